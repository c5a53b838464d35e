#include <gmock/gmock.h>

#include "addin/addin_fixture.hpp"

namespace tarn::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class RefinementCheckTest : public AddinTest {
 protected:
  host::MemoryAssociation& SelectBuf() {
    auto& refines = AddBufRefinement(app_.model);
    app_.model.selection = {&refines};
    return refines;
  }
  host::MemoryClass& Concrete(host::MemoryAssociation& refines) {
    return const_cast<host::MemoryClass&>(*refines.second.supplier);
  }
  addin::Outcome Run() {
    saveDialog_.answers = {OutputPath()};
    messages_.answers = {false};
    return tarn_.RunRefinementChecker(app_);
  }
  void ExpectOnlyMessage(const std::string& message) {
    EXPECT_THAT(messages_.messages, ElementsAre(message));
    EXPECT_THAT(messages_.questions, IsEmpty());
    EXPECT_FALSE(OutputExists());
    messages_.messages.clear();
  }
};

TEST_F(RefinementCheckTest, BufferDocumentByteForByte) {
  SelectBuf();
  EXPECT_EQ(Run(), addin::Outcome::kDone);
  EXPECT_EQ(ReadFileBytes(OutputPath()), Golden("zeves/buf_refinement_check.zed"));
  EXPECT_THAT(messages_.questions,
              ElementsAre("The specification was generated successfully.\r\nDo you want to run Z/Eves?"));
  EXPECT_THAT(messages_.messages, IsEmpty());
  EXPECT_THAT(messages_.warnings, IsEmpty());
}

TEST_F(RefinementCheckTest, EmptyRetrieveIsWrittenWithAWarning) {
  SelectBuf().tags.entries.front().value = " \r\n ";
  EXPECT_EQ(Run(), addin::Outcome::kDone);
  EXPECT_THAT(ReadFileBytes(OutputPath()),
              HasSubstr("\\begin{schema}{Retrieve}\r\n    BufA \\\\\r\n    BufC\r\n\\end{schema}\r\n"));
  EXPECT_THAT(messages_.warnings,
              ElementsAre("The refine association has no Retrieve text: the Retrieve schema only includes BufA and "
                          "BufC."));
  EXPECT_THAT(messages_.messages, IsEmpty());
}

TEST_F(RefinementCheckTest, SelectionMustBeOneAssociation) {
  EXPECT_EQ(Run(), addin::Outcome::kFailed);
  ExpectOnlyMessage(
      "You must select the refine association\r\nbetween the Abstract and the Concrete classes of the Refinement.");
  app_.model.selection = {&AddRegClass(app_.model)};
  EXPECT_EQ(Run(), addin::Outcome::kFailed);
  ExpectOnlyMessage("The object you selected is not a refine association.");
}

TEST_F(RefinementCheckTest, OperationsThatDoNotPairUp) {
  auto& refines = SelectBuf();
  auto& concrete = Concrete(refines);
  concrete.operations[0].name = "put";
  EXPECT_EQ(Run(), addin::Outcome::kFailed);
  ExpectOnlyMessage("The operations in Abstract and Concrete classes are different.");
  concrete.operations[0].name = "Put";
  concrete.operations.push_back(testing::Operation("Get", "", ""));
  EXPECT_EQ(Run(), addin::Outcome::kFailed);
  ExpectOnlyMessage("The operations in Abstract and Concrete classes are different.");
}

TEST_F(RefinementCheckTest, EmptyConcreteTypeIsRefused) {
  auto& refines = SelectBuf();
  Concrete(refines).operations[0].parameters[0].type = "";
  EXPECT_EQ(Run(), addin::Outcome::kFailed);
  ExpectOnlyMessage("Every attribute or argument must have a type.");
}

TEST_F(RefinementCheckTest, MalformedDefinitionIsDescribedByName) {
  auto& refines = SelectBuf();
  auto& abstractBuf = const_cast<host::MemoryClass&>(*refines.first.supplier);
  abstractBuf.operations[0].tags.Set("isDefinition", "True");
  abstractBuf.operations[0].post += "\r\nitems' = items";
  Concrete(refines).operations[0].tags.Set("isDefinition", "True");
  EXPECT_EQ(Run(), addin::Outcome::kFailed);
  ASSERT_EQ(messages_.messages.size(), 1u);
  EXPECT_THAT(messages_.messages[0], HasSubstr("Put"));
  EXPECT_THAT(messages_.messages[0], HasSubstr("exactly one postcondition"));
  EXPECT_FALSE(OutputExists());
}

TEST_F(RefinementCheckTest, SameClassNamesGetDistinctSchemaNames) {
  SelectBuf();
  ASSERT_EQ(Run(), addin::Outcome::kDone);
  const auto text = ReadFileBytes(OutputPath());
  EXPECT_THAT(text, HasSubstr("\\begin{schema}{BufA}"));
  EXPECT_THAT(text, HasSubstr("\\begin{schema}{BufC}"));
}

}  // namespace
}  // namespace tarn::testing
