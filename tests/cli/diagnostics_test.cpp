// What tarn says on standard error: every message of the error table as it
// stands, followed by the items it is about, their places and the fix; one
// style for everything; names that are nearly right get a suggestion.
#include <gmock/gmock.h>

#include "cli/run_tarn.hpp"

namespace tarn::testing {
namespace {

using ::testing::HasSubstr;

// Replaces every {model} in `text` by `model`.
std::string WithModel(std::string text, const std::string& model) {
  for (auto at = text.find("{model}"); at != std::string::npos; at = text.find("{model}", at + model.size()))
    text.replace(at, 7, model);
  return text;
}

class DiagnosticsTest : public TarnRun {};

// One model holds every fault; the selection picks the one a case is about.
constexpr const char* kFaults = R"(tarn-model: 1
text: exact
classes:
  - name: Typed
    tags: { Properties: "%P" }
    attributes: [{ name: a, type: T }]
  - name: Untyped
    tags: { Properties: "%P" }
    attributes: [{ name: b }]
    operations:
      - { name: Op, parameters: [{ name: x }] }
  - name: Blank
    attributes: [{ name: a, type: T }]
    tags: { Properties: "  \r\n " }
  - name: Headless
    tags: { Properties: "a = a\r\n%P" }
  - name: Defining
    tags: { Properties: "%P" }
    operations:
      - { name: D, pre: p, post: "x\r\ny", tags: { isDefinition: "True" } }
  - { id: Abstract, name: S, operations: [{ name: Push }, { name: Pop }] }
  - { id: Concrete, name: S, operations: [{ name: push }, { name: Pop }, { name: Top }] }
associations:
  - { id: refines, roles: [{ class: Abstract }, { class: Concrete }], tags: { Retrieve: "s = t" } }
  - { id: plain, roles: [{ class: Typed }, { class: Typed }] }
)";

TEST_F(DiagnosticsTest, EveryErrorOfTheTableWithItsItemsPlacesAndFix) {
  const auto model = Write("model.yaml", kFaults);
  const struct {
    const char* command;
    std::vector<std::string> select;
    const char* err;
  } cases[] = {
      {"property-check",
       {},
       "tarn: error: You must select only 1 (one) class.\n"
       "tarn: note: the model selects no item\n"
       "tarn: note: --select ID chooses one; the classes with Properties: Typed, Untyped, Blank, Headless, "
       "Defining\n"},
      {"property-check",
       {"Typed", "plain"},
       "tarn: error: You must select only 1 (one) class.\n"
       "tarn: note: the model selects 2 items:\n"
       "tarn: {model}:4:5: note: selected: class \"Typed\"\n"
       "tarn: {model}:25:5: note: selected: association \"plain\"\n"
       "tarn: note: --select ID chooses one; the classes with Properties: Typed, Untyped, Blank, Headless, "
       "Defining\n"},
      {"property-check",
       {"plain"},
       "tarn: error: The object you selected is not a class.\n"
       "tarn: {model}:25:5: note: the selected item is association \"plain\"\n"
       "tarn: note: --select ID chooses one; the classes with Properties: Typed, Untyped, Blank, Headless, "
       "Defining\n"},
      {"refinement-check",
       {},
       "tarn: error: You must select the refine association\n"
       "between the Abstract and the Concrete classes of the Refinement.\n"
       "tarn: note: the model selects no item\n"
       "tarn: note: --select ID chooses one; the associations with a Retrieve: refines\n"},
      {"refinement-check",
       {"Typed"},
       "tarn: error: The object you selected is not a refine association.\n"
       "tarn: {model}:4:5: note: the selected item is class \"Typed\"\n"
       "tarn: note: --select ID chooses one; the associations with a Retrieve: refines\n"},
      {"refinement-check",
       {"refines"},
       "tarn: error: The operations in Abstract and Concrete classes are different.\n"
       "tarn: {model}:21:43: note: operation \"Push\" of the abstract class \"S\" has no match in the "
       "concrete "
       "class \"S\" (it has \"push\": letter case counts)\n"
       "tarn: {model}:22:43: note: operation \"push\" of the concrete class \"S\" has no match in the "
       "abstract "
       "class \"S\" (it has \"Push\": letter case counts)\n"
       "tarn: {model}:22:74: note: operation \"Top\" of the concrete class \"S\" has no match in the "
       "abstract "
       "class \"S\"\n"
       "tarn: note: both classes need the same operations, matched by name\n"},
      {"property-check",
       {"Untyped"},
       "tarn: error: Every attribute or argument must have a type.\n"
       "tarn: {model}:9:18: note: attribute \"b\" of class \"Untyped\" has no type\n"
       "tarn: {model}:11:34: note: parameter \"x\" of operation \"Op\" of class \"Untyped\" has no type\n"
       "tarn: note: give each a Z type, such as \\nat or the name of a given set\n"},
      {"property-check",
       {"Blank"},
       "tarn: error: The Properties field cannot be empty.\n"
       "tarn: {model}:12:5: note: class \"Blank\" has a Properties text of blank lines only\n"
       "tarn: note: write each property as a header line %Name followed by its predicate lines\n"},
      {"property-check",
       {"Headless"},
       "tarn: error: Every property must start with '%'.\n"
       "tarn: {model}:15:5: note: the Properties text of class \"Headless\" begins with \"a = a\"\n"
       "tarn: note: write each property as a header line %Name followed by its predicate lines\n"},
      {"property-check",
       {"Defining"},
       "tarn: error: Every definition operation must have only one Post Condition.\n"
       "tarn: {model}:20:9: note: operation \"D\" of class \"Defining\" is a definition (isDefinition True) "
       "with 1 "
       "precondition line and 2 postcondition lines\n"
       "tarn: note: a definition has no precondition and exactly one postcondition line\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{c.command, model, "-o", "out.zed", "--no-run"};
    for (const auto& id : c.select) args.insert(args.end(), {"--select", id});
    const auto result = Run(args);
    EXPECT_EQ(result.code, 1) << c.err;
    EXPECT_EQ(result.err, WithModel(c.err, model));
    EXPECT_EQ(result.out, "");
    EXPECT_FALSE(std::filesystem::exists(Path("out.zed")));
  }
}

// A class without Properties in a model that selects nothing: the note says
// how to choose any class.
TEST_F(DiagnosticsTest, AModelWithoutCandidatesSaysSo) {
  const auto model = Write("model.yaml", "tarn-model: 1\nclasses: [{ name: C }]\n");
  const auto result = Run({"property-check", model, "-o", "out.zed"});
  EXPECT_EQ(result.err,
            "tarn: error: You must select only 1 (one) class.\ntarn: note: the model selects no item\n"
            "tarn: note: the model has no class with Properties; --select ID chooses any class by its id\n");
}

// Past ten candidates the note counts the rest.
TEST_F(DiagnosticsTest, ManyCandidatesAreCounted) {
  std::string model = "tarn-model: 1\nclasses:\n";
  for (int i = 1; i <= 12; ++i)
    model += "  - { name: C" + std::to_string(i) + ", tags: { Properties: \"%P\" } }\n";
  const auto result = Run({"property-check", Write("model.yaml", model), "-o", "out.zed"});
  EXPECT_THAT(result.err,
              HasSubstr("\ntarn: note: --select ID chooses one; the classes with Properties: C1, C2, C3, "
                        "C4, C5, C6, C7, C8, C9, C10 and 2 more (tarn list MODEL)\n"));
}

// A Rose model's elements have places too: the object that defines them.
TEST_F(DiagnosticsTest, RoseElementsHaveTheirPlaces) {
  auto text = Slurp(Example("rose/register.mdl"));
  const std::string typed = "type       \t\"NAME\"))";
  text.replace(text.find(typed), typed.size(), "type       \t\"\"))");
  const auto model = Write("register.mdl", text);
  auto result = Run({"property-check", model, "--select", "Reg", "-o", "out.zed"});
  EXPECT_EQ(result.code, 1);
  EXPECT_EQ(result.err,
            "tarn: error: Every attribute or argument must have a type.\n"
            "tarn: " +
                model +
                ":75:16: note: parameter \"n\" of operation \"Add\" of class \"Reg\" has no type\n"
                "tarn: note: give each a Z type, such as \\nat or the name of a given set\n");
  result = Run({"refinement-check", model, "--select", "Reg", "-o", "out.zed"});
  EXPECT_THAT(result.err, HasSubstr("tarn: " + model + ":56:14: note: the selected item is class \"Reg\"\n"));
}

TEST_F(DiagnosticsTest, NearlyRightWordsGetASuggestion) {
  const auto model = Example("register.yaml");
  const auto rose = Example("rose/register.mdl");
  const struct {
    std::vector<std::string> args;
    const char* err;
  } cases[] = {
      {{"objectZ"}, "tarn: error: unknown command objectZ\ntarn: note: did you mean objectz?\n"},
      {{"propertycheck", model},
       "tarn: error: unknown command propertycheck\ntarn: note: did you mean property-check?\n"},
      {{"-V"}, "tarn: error: unknown option -V\ntarn: note: did you mean --version?\n"},
      {{"--sel", "Reg"},
       "tarn: error: unknown option --sel\n"
       "tarn: note: did you mean --select? It goes after the command, as in tarn property-check ... "
       "--select\n"},
      {{"property-check", model, "--sel", "Reg"},
       "tarn: error: unknown option --sel of tarn property-check\ntarn: note: did you mean --select?\n"
       "tarn: note: tarn help property-check lists its options\n"},
      {{"property-check", model, "-o", "x.zed", "--slect=Reg"},
       "tarn: error: unknown option --slect=Reg of tarn property-check\ntarn: note: did you mean --select?\n"
       "tarn: note: tarn help property-check lists its options\n"},
      {{"help", "objectZ"}, "tarn: error: unknown command objectZ\ntarn: note: did you mean objectz?\n"},
      {{"property-check", model, "--select", "reg", "-o", "x.zed"},
       "tarn: error: --select reg: no class or association has this id; the model's ids are:\n  Reg\n"
       "tarn: note: did you mean Reg?\n"},
      {{"property-check", rose, "--select", "Rge", "-o", "x.zed"},
       "tarn: error: --select Rge: no class or association of the model has this name or quid; the model's "
       "classes and associations are:\n  3A5F0C1E0010 (Logical View::Reg)\ntarn: note: did you mean Reg?\n"},
      {{"objectz", Example("bank.yaml"), "--diagram", "main", "-o", "x.tex"},
       "tarn: error: --diagram main: no class diagram has this name; the model's class diagrams are:\n"
       "  Logical View::Main\ntarn: note: did you mean Main?\n"},
      {{"list", model, "extra"},
       "tarn: error: unexpected argument extra of tarn list\ntarn: note: tarn help list shows what it "
       "takes\n"},
  };
  for (const auto& c : cases) {
    const auto result = Run(c.args);
    EXPECT_EQ(result.code, 2) << c.err;
    EXPECT_EQ(result.err, c.err);
    EXPECT_FALSE(std::filesystem::exists(Path("x.zed")));
  }
  EXPECT_THAT(Run({"translate"}).err,
              HasSubstr("the commands are property-check, refinement-check, objectz, "));
}

TEST_F(DiagnosticsTest, HelpForEachCommandAndSettingsAfterTheCommand) {
  const auto help = Run({"help", "objectz"});
  EXPECT_EQ(help.code, 0);
  EXPECT_THAT(help.out, HasSubstr("Usage: tarn objectz [OPTIONS] MODEL"));
  EXPECT_EQ(help.out, Run({"objectz", "--help"}).out);
  EXPECT_THAT(Run({"help"}).out, HasSubstr("Subcommands:"));

  const auto settings = Path("elsewhere.ini").string();
  EXPECT_EQ(Run({"config", "--settings", settings, "--zeves-path", "zeves"}).code, 0);
  EXPECT_THAT(Slurp(settings), HasSubstr("ZEVESPATH=zeves"));
  EXPECT_THAT(Run({"--settings", settings, "config"}).out, HasSubstr("(ZEvesPath): zeves\n"));
}

// The YAML library's message, then what Z text most likely did to it.
TEST_F(DiagnosticsTest, YamlTrapsGetAHint) {
  const std::string head = "tarn-model: 1\nclasses:\n  - name: C\n";
  const struct {
    std::string tail;
    const char* place;
    const char* hint;
  } cases[] = {
      {"    operations:\n      - name: Op\n        post: x: \\nat\n", "6:16",
       "\": \" inside a plain value starts a mapping (a Z declaration such as x: \\nat); quote the text "
       "('...') "
       "or write it as a \"|\" block"},
      {"    operations: [{ name: Op, post: x: \\nat }]\n", "4:37",
       "\": \" inside a plain value starts a mapping"},
      {"    attributes:\n      - { name: a, type: \"\\power X\" }\n", "5:27",
       "in double quotes a backslash starts an escape such as \\n; LaTeX such as \\power goes in single "
       "quotes "
       "('\\power X') or in a \"|\" block"},
      {"    tags:\n      Properties: %P\n", "5:19",
       "a plain value cannot start with \"%\"; quote the text ('...') or write it as a \"|\" block"},
      {"    tags: { Invariant: #x > 0 }\n", "5:1",
       "\" #\" starts a comment, which hides the rest of the line"},
      {"\t  attributes: []\n", "4:1",
       "YAML indents with spaces only; replace the tabs at the start of the line"},
  };
  for (const auto& c : cases) {
    const auto model = Write("trap.yaml", head + c.tail);
    const auto result = Run({"dump", model});
    EXPECT_EQ(result.code, 1);
    EXPECT_THAT(result.err,
                ::testing::StartsWith("tarn: " + model + ":" + c.place + ": error: syntax error: "))
        << c.tail;
    EXPECT_THAT(result.err, HasSubstr("\ntarn: " + model + ":" + c.place + ": note: " + c.hint)) << c.tail;
  }
}

// The settings that start the tools, when they are missing or wrong.
TEST_F(DiagnosticsTest, ToolsSayHowToConfigureThem) {
  auto result = Run({"property-check", Example("register.yaml"), "-o", "out.zed", "--run"});
  EXPECT_EQ(result.code, 1);
  EXPECT_EQ(result.err,
            "tarn: error: No Z/EVES command line is configured.\n"
            "tarn: note: set the command line that starts Z/EVES with tarn config --zeves-path "
            "'COMMAND LINE'; a {file} in it stands for the document\n");
  result = Run({"objectz", Example("bank.yaml"), "-o", "out.tex", "--run"});
  EXPECT_EQ(result.err,
            "tarn: error: No Wizard address is configured.\n"
            "tarn: note: set the Wizard address with tarn config --wizard-url URL\n");
  ASSERT_EQ(Run({"config", "--zeves-path", Path("no-such-zeves").string()}).code, 0);
  result = Run({"property-check", Example("register.yaml"), "-o", "out.zed", "--run"});
  EXPECT_THAT(result.err,
              HasSubstr("\ntarn: note: the Z/EVES command line is \"" + Path("no-such-zeves").string() +
                        "\"; tarn config --zeves-path 'COMMAND LINE' changes it\n"));
}

}  // namespace
}  // namespace tarn::testing
