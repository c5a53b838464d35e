// The three working commands through ITarn: the Z/EVES documents of small
// models, what each command refuses and with which message, what it asks and
// shows when it succeeds, and the tools it starts. The documents of the
// examples are compared with their golden files through the tarn program.
#include <gmock/gmock.h>

#include <functional>

#include "addin/addin_fixture.hpp"

namespace tarn::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;

using Command = addin::Outcome (addin::ITarn::*)(const host::Application&);
constexpr Command kProperty = &addin::ITarn::RunPropertyChecker;
constexpr Command kRefinement = &addin::ITarn::RunRefinementChecker;
constexpr Command kGenerator = &addin::ITarn::RunGenerator;
using Change = std::function<void(host::MemoryModel&)>;

const std::string kZEvesQuestion = "The specification was generated successfully.\r\nDo you want to run Z/Eves?";
const std::string kTypeCheckerQuestion =
    "The specification was generated successfully.\r\nDo you want to run the Type Checker?";
const std::string kOperationsMessage = "The operations in Abstract and Concrete classes are different.";

class CommandsTest : public AddinTest {
 protected:
  // Runs the command on the model (examples/NAME.yaml, or a path from the
  // source folder) after the change, the save dialog answering `file`
  // (nothing: Cancel) in the test's folder and the offer answered `yes`.
  addin::Outcome Run(Command command, const std::string& model, const Change& change = nullptr, bool yes = false,
                     std::optional<std::string> file = "out.zed") {
    seams_.paths = {file ? std::optional(PathOf(*file)) : std::nullopt};
    seams_.answers = {yes};
    app_ = LoadModel(model.find('/') == std::string::npos ? "examples/" + model + ".yaml" : model);
    if (change) change(app_->model);
    return (tarn_.*command)(*app_);
  }
  static void SetTag(host::TaggedValues& tags, const std::string& name, const std::string& value) {
    tags = {};
    tags.Set(name, value);
  }

  std::unique_ptr<host::MemoryApplication> app_;
};

// Each model of tests/addin/data/ shows rules of the Z/EVES translation (its
// comment says which): the check of its selected item, read by the parser,
// visited and written, byte for byte.
TEST_F(CommandsTest, ZEvesDocumentsOfSmallModels) {
  const std::pair<Command, const char*> rows[] = {
      {kProperty, "bare_class"}, {kProperty, "declarations"}, {kProperty, "operation_flags"},
      {kRefinement, "refinement_obligations"}, {kRefinement, "empty_retrieve"}};
  WriteBytes(PathOf("out.zed"), std::string(5000, 'x'));
  for (const auto& [command, name] : rows) {
    EXPECT_EQ(Run(command, "tests/addin/data/" + std::string(name) + ".yaml"), addin::Outcome::kDone) << name;
    EXPECT_EQ(ReadBytes(PathOf("out.zed")), Golden("zeves/" + std::string(name) + ".zed")) << name;
  }
}

TEST_F(CommandsTest, RefusalsShowOneMessageAndKeepThePreviousFile) {
  const std::string oneClass = "You must select only 1 (one) class.",
                    noType = "Every attribute or argument must have a type.",
                    noProperties = "The Properties field cannot be empty.\r\n",
                    definition = "Every definition operation must have only one Post Condition.\r\n";
  const struct {
    const char* name;
    Command command;
    const char* model;
    Change change;
    std::size_t saveDialogs;  // the save dialog comes after the selection is checked
    std::string message;
  } rows[] = {
      {"nothing selected", kProperty, "register", [](auto& m) { m.selection.clear(); }, 0, oneClass},
      {"two selected", kProperty, "register", [](auto& m) { m.selection.push_back(m.selection[0]); }, 0, oneClass},
      {"an association selected", kProperty, "buffer", nullptr, 0, "The object you selected is not a class."},
      {"empty attribute type", kProperty, "register", [](auto& m) { m.classes[0].attributes[1].type = ""; }, 1, noType},
      {"empty parameter type", kProperty, "register",
       [](auto& m) { m.classes[0].operations[0].parameters[0].type = ""; }, 1, noType},
      {"empty properties", kProperty, "register", [](auto& m) { SetTag(m.classes[0].tags, "Properties", ""); }, 1,
       noProperties},
      {"blank properties", kProperty, "register",
       [](auto& m) { SetTag(m.classes[0].tags, "Properties", "   \r\n  "); }, 1, noProperties},
      {"property without header", kProperty, "register",
       [](auto& m) { SetTag(m.classes[0].tags, "Properties", "Reg \\implies max \\geq 0\r\n%Late"); }, 1,
       "Every property must start with '%'.\r\n"},
      {"definition with a precondition", kProperty, "register",
       [](auto& m) { m.classes[0].operations[3].pre = "n? \\in names"; }, 1, definition},
      {"definition without a postcondition", kProperty, "register",
       [](auto& m) { m.classes[0].operations[3].post = ""; }, 1, definition},
      {"32768 attributes", kProperty, "register",
       [](auto& m) { m.classes[0].attributes.resize(32768, host::MemoryAttribute(m.classes[0].attributes[1])); }, 1,
       "Overflow: a list of the model holds more items than its 16-bit count allows (32767)."},
      {"nothing selected", kRefinement, "buffer", [](auto& m) { m.selection.clear(); }, 0,
       "You must select the refine association\r\nbetween the Abstract and the Concrete classes of the Refinement."},
      {"a class selected", kRefinement, "register", nullptr, 0, "The object you selected is not a refine association."},
      {"operation names differ in case", kRefinement, "buffer",
       [](auto& m) { m.classes[1].operations[0].name = "put"; }, 1, kOperationsMessage},
      {"an extra concrete operation", kRefinement, "buffer",
       [](auto& m) { m.classes[1].operations.push_back(m.classes[1].operations[0]); }, 1, kOperationsMessage},
      {"empty concrete parameter type", kRefinement, "buffer",
       [](auto& m) { m.classes[1].operations[0].parameters[0].type = ""; }, 1, noType},
      {"definition with two postconditions", kRefinement, "buffer",
       [](auto& m) {
         for (auto& c : m.classes) c.operations[0].tags.Set("isDefinition", "True");
         m.classes[0].operations[0].post += "\r\nitems' = items";
       },
       1, "The definition operation Put must have no precondition and exactly one postcondition."},
      {"no class diagram", kGenerator, "bank", [](auto& m) { m.root.diagrams.clear(); }, 1,
       "Subscript out of range: the model has no class diagram to translate."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    seams_ = ScriptedPlatform{};
    WriteBytes(PathOf("out.zed"), "previous");
    EXPECT_EQ(Run(row.command, row.model, row.change), addin::Outcome::kFailed);
    EXPECT_THAT(seams_.messages, ElementsAre(row.message));
    EXPECT_EQ(seams_.saveDialogs.size(), row.saveDialogs);
    EXPECT_THAT(seams_.questions, IsEmpty());
    EXPECT_EQ(ReadBytes(PathOf("out.zed")), "previous");
    EXPECT_THAT(Entries(), ElementsAre("out.zed"));
  }
}

TEST_F(CommandsTest, CancelEndsSilentlyAndWritesNothing) {
  for (const auto& [command, model] : {std::pair(kProperty, "register"), std::pair(kRefinement, "buffer"),
                                       std::pair(kGenerator, "bank")}) {
    EXPECT_EQ(Run(command, model, nullptr, false, std::nullopt), addin::Outcome::kCancelled) << model;
    EXPECT_THAT(seams_.messages, IsEmpty());
    EXPECT_THAT(seams_.questions, IsEmpty());
    EXPECT_THAT(Entries(), IsEmpty());
  }
}

TEST_F(CommandsTest, WriteFailureShowsThePlatformDescription) {
  EXPECT_EQ(Run(kProperty, "register", nullptr, false, "missing/out.zed"), addin::Outcome::kFailed);
  EXPECT_THAT(seams_.messages, ElementsAre(::testing::HasSubstr("No such file or directory")));
  EXPECT_THAT(seams_.questions, IsEmpty());
}

// A run that succeeds writes the document and offers the tool; answered Yes,
// the offer starts the configured tool, and the document stays whatever
// becomes of the start.
TEST_F(CommandsTest, SuccessOffersTheToolAndYesStartsIt) {
  const struct {
    const char* name;
    Command command = kProperty;
    const char* model = "register";
    Change change = nullptr;
    bool yes = false;
    const char* settings = "";
    long taskId = 4242;
    std::string started = "";  // empty: nothing started
    std::string message = "";  // empty: none, and the command is done
    std::vector<std::string> warnings = {};
  } rows[] = {
      {.name = "property check"},
      {.name = "refinement check", .command = kRefinement, .model = "buffer"},
      {.name = "blank Retrieve", .command = kRefinement, .model = "buffer",
       .change = [](auto& m) { SetTag(m.associations[0].tags, "Retrieve", " \r\n "); },
       .warnings = {"The refine association has no Retrieve text: the Retrieve schema only includes BufA and BufC."}},
      {.name = "Object-Z document", .command = kGenerator, .model = "bank"},
      {.name = "command line as configured", .yes = true,
       .settings = "[tarn]\nzevespath=/opt/z eves/zeves --gui \"two words\"\n",
       .started = "run /opt/z eves/zeves --gui \"two words\" on " + PathOf("out.zed")},
      {.name = "refinement check", .command = kRefinement, .model = "buffer", .yes = true,
       .settings = "[Tarn]\nZEvesPath=zeves {file}\n", .started = "run zeves {file} on " + PathOf("out.zed")},
      {.name = "task id 0", .yes = true, .settings = "[Tarn]\r\nZEVESPATH=zeves\r\n", .taskId = 0,
       .started = "run zeves on " + PathOf("out.zed"),
       .message = "Z/Eves cannot run. Check your\r\nconfigurations and try again."},
      {.name = "no command line", .yes = true, .message = "No Z/EVES command line is configured."},
      {.name = "Wizard address", .command = kGenerator, .model = "bank", .yes = true,
       .settings = "[Tarn]\nWizardUrl=http://w/?a=1&b=$(x); y\n", .started = "open http://w/?a=1&b=$(x); y"},
      {.name = "task id 0", .command = kGenerator, .model = "bank", .yes = true,
       .settings = "[Tarn]\nWizardUrl=http://w/\n", .taskId = 0, .started = "open http://w/",
       .message = "Your browser cannot run. Check your\r\nconfigurations and try again."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    seams_ = ScriptedPlatform{};
    seams_.taskId = row.taskId;
    WriteSettings(row.settings);
    std::filesystem::remove(PathOf("out.zed"));
    const bool done = row.message.empty(), starts = !row.started.empty();
    EXPECT_EQ(Run(row.command, row.model, row.change, row.yes), done ? addin::Outcome::kDone : addin::Outcome::kFailed);
    EXPECT_EQ(seams_.messages, done ? std::vector<std::string>{} : std::vector{row.message});
    EXPECT_EQ(seams_.warnings, row.warnings);
    ASSERT_EQ(seams_.saveDialogs.size(), 1u);
    const auto& dialog = seams_.saveDialogs[0];
    EXPECT_EQ(dialog.title + dialog.filter + dialog.defaultExtension,
              " Save Z/Object-Z Schema Z Specification (*.zed;*.tex)|*.zed;*.tex|All Files (*.*)|*.*zed");
    EXPECT_THAT(seams_.questions, ElementsAre(row.command == kGenerator ? kTypeCheckerQuestion : kZEvesQuestion));
    EXPECT_EQ(seams_.started, starts ? std::vector{row.started} : std::vector<std::string>{});
    EXPECT_THAT(ReadBytes(PathOf("out.zed")), StartsWith("\\document"));
    EXPECT_THAT(Entries(), ElementsAre("config", "out.zed"));
  }
}

TEST_F(CommandsTest, ConfigurationOkWritesWhatWasTypedCancelWritesNothing) {
  host::MemoryApplication app;
  seams_.edit = {"zeves --batch", "http://wizard.example/"};
  tarn_.RunConfiguration(app);
  const std::string saved = "[Tarn]\r\nZEVESPATH=zeves --batch\r\nWIZARDURL=http://wizard.example/\r\n";
  EXPECT_EQ(ReadBytes(SettingsFile()), saved);

  seams_.edit = {"typed", "then cancelled"};
  seams_.ok = false;
  tarn_.RunConfiguration(app);
  EXPECT_THAT(seams_.loaded.back(), ::testing::Pair("zeves --batch", "http://wizard.example/"));
  EXPECT_EQ(ReadBytes(SettingsFile()), saved);
}

}  // namespace
}  // namespace tarn::testing
