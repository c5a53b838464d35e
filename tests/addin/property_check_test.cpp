#include <gmock/gmock.h>

#include "addin/addin_fixture.hpp"

namespace tarn::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class PropertyCheckTest : public AddinTest {
 protected:
  host::MemoryClass& SelectReg() {
    auto& reg = AddRegClass(app_.model);
    app_.model.selection = {&reg};
    return reg;
  }
  // Runs the command with the save dialog answering `out.zed`.
  addin::Outcome Run(std::deque<bool> answers = {false}) {
    saveDialog_.answers = {OutputPath()};
    messages_.answers = std::move(answers);
    return tarn_.RunPropertyChecker(app_);
  }
  // Expects exactly this one message, no offer and no document.
  void ExpectOnlyMessage(const std::string& message) {
    EXPECT_THAT(messages_.messages, ElementsAre(message));
    EXPECT_THAT(messages_.questions, IsEmpty());
    EXPECT_FALSE(OutputExists());
  }
};

TEST_F(PropertyCheckTest, RegisterDocumentByteForByte) {
  SelectReg();
  EXPECT_EQ(Run(), addin::Outcome::kDone);
  EXPECT_EQ(ReadFileBytes(OutputPath()), Golden("zeves/reg_property_check.zed"));

  ASSERT_EQ(saveDialog_.shown.size(), 1u);
  EXPECT_EQ(saveDialog_.shown[0].title, " Save Z/Object-Z Schema ");
  EXPECT_EQ(saveDialog_.shown[0].filter, "Z Specification (*.zed;*.tex)|*.zed;*.tex|All Files (*.*)|*.*");
  EXPECT_EQ(saveDialog_.shown[0].defaultExtension, "zed");
  EXPECT_THAT(messages_.questions,
              ElementsAre("The specification was generated successfully.\r\nDo you want to run Z/Eves?"));
  EXPECT_THAT(messages_.messages, IsEmpty());
  EXPECT_THAT(starter_.started, IsEmpty());
  EXPECT_THAT(OutputFolder(), ElementsAre("out.zed"));
}

TEST_F(PropertyCheckTest, SelectionMustBeExactlyOneClass) {
  EXPECT_EQ(Run(), addin::Outcome::kFailed);
  ExpectOnlyMessage("You must select only 1 (one) class.");

  messages_.messages.clear();
  auto& reg = SelectReg();
  app_.model.selection.push_back(&reg);
  EXPECT_EQ(Run(), addin::Outcome::kFailed);
  ExpectOnlyMessage("You must select only 1 (one) class.");

  messages_.messages.clear();
  app_.model.selection = {&AddBufRefinement(app_.model)};
  EXPECT_EQ(Run(), addin::Outcome::kFailed);
  ExpectOnlyMessage("The object you selected is not a class.");
  EXPECT_THAT(saveDialog_.shown, IsEmpty());
}

TEST_F(PropertyCheckTest, EmptyTypesAreRefused) {
  auto& reg = SelectReg();
  reg.attributes[1].type = "";
  EXPECT_EQ(Run(), addin::Outcome::kFailed);
  ExpectOnlyMessage("Every attribute or argument must have a type.");

  messages_.messages.clear();
  reg.attributes[1].type = "\\nat";
  reg.operations[0].parameters[0].type = "";
  EXPECT_EQ(Run(), addin::Outcome::kFailed);
  ExpectOnlyMessage("Every attribute or argument must have a type.");
}

TEST_F(PropertyCheckTest, EmptyPropertiesAskForTheFileFirstThenWriteNothing) {
  auto& reg = SelectReg();
  for (const char* properties : {"", "   \r\n  "}) {
    messages_.messages.clear();
    saveDialog_.shown.clear();
    reg.tags = {};
    reg.tags.Set("Properties", properties);
    EXPECT_EQ(Run(), addin::Outcome::kFailed);
    EXPECT_EQ(saveDialog_.shown.size(), 1u);
    ExpectOnlyMessage("The Properties field cannot be empty.\r\n");
  }
}

TEST_F(PropertyCheckTest, PropertiesMustStartWithAHeader) {
  auto& reg = SelectReg();
  reg.tags = {};
  reg.tags.Set("Properties", "Reg \\implies max \\geq 0\r\n%Late");
  EXPECT_EQ(Run(), addin::Outcome::kFailed);
  ExpectOnlyMessage("Every property must start with '%'.\r\n");
}

TEST_F(PropertyCheckTest, MalformedDefinitionLeavesAnExistingFileUntouched) {
  auto& reg = SelectReg();
  reg.operations[3].pre = "n? \\in names";
  std::ofstream(OutputPath()) << "previous document";
  EXPECT_EQ(Run(), addin::Outcome::kFailed);
  EXPECT_THAT(messages_.messages, ElementsAre("Every definition operation must have only one Post Condition.\r\n"));
  EXPECT_EQ(ReadFileBytes(OutputPath()), "previous document");
  EXPECT_THAT(OutputFolder(), ElementsAre("out.zed"));
}

TEST_F(PropertyCheckTest, CancelEndsSilently) {
  SelectReg();
  saveDialog_.answers = {std::nullopt};
  EXPECT_EQ(tarn_.RunPropertyChecker(app_), addin::Outcome::kCancelled);
  EXPECT_THAT(messages_.messages, IsEmpty());
  EXPECT_THAT(messages_.questions, IsEmpty());
  EXPECT_THAT(OutputFolder(), IsEmpty());
}

TEST_F(PropertyCheckTest, The32768thAttributeIsAnOverflow) {
  auto& reg = SelectReg();
  reg.attributes.resize(32768, Attribute("a", "A"));
  EXPECT_EQ(Run(), addin::Outcome::kFailed);
  ExpectOnlyMessage("Overflow: a list of the model holds more items than its 16-bit count allows (32767).");
}

TEST_F(PropertyCheckTest, WriteFailureShowsThePlatformDescription) {
  SelectReg();
  saveDialog_.answers = {(dir_ / "missing" / "out.zed").string()};
  messages_.answers = {};
  EXPECT_EQ(tarn_.RunPropertyChecker(app_), addin::Outcome::kFailed);
  ASSERT_EQ(messages_.messages.size(), 1u);
  EXPECT_THAT(messages_.messages[0], ::testing::HasSubstr("No such file or directory"));
  EXPECT_THAT(messages_.questions, IsEmpty());
}

TEST_F(PropertyCheckTest, DirectCallLetsTheErrorThrough) {
  const auto& reg = AddRegClass(app_.model);
  try {
    tarn_.PropertyCheck(reg, "", OutputPath());
    FAIL() << "expected 1008";
  } catch (const Error& error) {
    EXPECT_EQ(error.Number(), kEmptyProperties);
  }
  EXPECT_THAT(messages_.messages, IsEmpty());
  EXPECT_FALSE(OutputExists());
}

}  // namespace
}  // namespace tarn::testing
