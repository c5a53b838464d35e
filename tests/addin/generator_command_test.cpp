#include <gmock/gmock.h>

#include "addin/addin_fixture.hpp"

namespace tarn::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The bank diagram: Bank and Account joined by Bank's accounts.
class GeneratorCommandTest : public AddinTest {
 protected:
  void SetUp() override {
    auto& diagram = app_.model.root.diagrams.emplace_back();
    auto& bank = app_.model.classes.emplace_back();
    bank.name = "Bank";
    auto& account = app_.model.classes.emplace_back();
    account.name = "Account";
    account.attributes.push_back(Attribute("owner", "PERSON"));
    account.attributes.push_back(Attribute("balance", "int"));
    account.attributes.back().tags.Set("Invariant", "balance >= 0");
    account.attributes.push_back(Attribute("limit", "\\nat", "100"));
    auto& deposit = account.operations.emplace_back(Operation("deposit", "amount? > 0", "balance' = balance + amount?"));
    deposit.parameters.push_back(Parameter("amount", "\\nat"));
    account.operations.emplace_back(Operation("getBalance", "", "result! = balance")).result = "int";
    auto& holds = app_.model.associations.emplace_back();
    holds.first = {};
    holds.first.name = "bank";
    holds.first.supplier = &bank;
    holds.first.multiplicity = "1";
    holds.second.name = "accounts";
    holds.second.supplier = &account;
    holds.second.multiplicity = "0..n";
    holds.second.navigable = true;
    holds.tags.Set("TypeOfRoleB", "\\power");
    holds.tags.Set("RoleBInvariant", "");
    diagram.classes = {&bank, &account};
    diagram.associations = {&holds};
    // Whatever is selected, the whole first diagram is translated.
    app_.model.selection = {&holds, &bank};
  }
  addin::Outcome Run(bool answer) {
    saveDialog_.answers = {OutputPath("bank.tex")};
    messages_.answers = {answer};
    return tarn_.RunGenerator(app_);
  }
};

TEST_F(GeneratorCommandTest, BankDocumentByteForByte) {
  EXPECT_EQ(Run(false), addin::Outcome::kDone);
  EXPECT_EQ(ReadFileBytes(OutputPath("bank.tex")), Golden("objectz/bank_account.tex"));
  EXPECT_THAT(messages_.questions,
              ElementsAre("The specification was generated successfully.\r\nDo you want to run the Type Checker?"));
  EXPECT_THAT(starter_.started, IsEmpty());
  EXPECT_THAT(messages_.messages, IsEmpty());
}

TEST_F(GeneratorCommandTest, YesOpensTheWizardAddressAsOneArgument) {
  WriteSettings("[Tarn]\nWizardUrl=http://w/?a=1&b=$(x); y\n");
  EXPECT_EQ(Run(true), addin::Outcome::kDone);
  EXPECT_THAT(starter_.started, ElementsAre(ElementsAre("xdg-open", "http://w/?a=1&b=$(x); y")));
  EXPECT_THAT(starter_.states, ElementsAre(addin::WindowState::kHidden));
}

TEST_F(GeneratorCommandTest, TaskIdZeroIs1007) {
  WriteSettings("[Tarn]\nWizardUrl=http://w/\n");
  starter_.taskId = 0;
  EXPECT_EQ(Run(true), addin::Outcome::kFailed);
  EXPECT_THAT(messages_.messages, ElementsAre("Your browser cannot run. Check your\r\nconfigurations and try again."));
  EXPECT_TRUE(OutputExists("bank.tex"));
}

TEST_F(GeneratorCommandTest, ModelWithoutDiagramsIsReportedNotCrashed) {
  app_.model.root.diagrams.clear();
  EXPECT_EQ(Run(false), addin::Outcome::kFailed);
  EXPECT_THAT(messages_.messages,
              ElementsAre("Subscript out of range: the model has no class diagram to translate."));
  EXPECT_FALSE(OutputExists("bank.tex"));
}

TEST_F(GeneratorCommandTest, CancelWritesNothing) {
  saveDialog_.answers = {std::nullopt};
  EXPECT_EQ(tarn_.RunGenerator(app_), addin::Outcome::kCancelled);
  EXPECT_THAT(messages_.messages, IsEmpty());
  EXPECT_THAT(messages_.questions, IsEmpty());
  EXPECT_THAT(OutputFolder(), IsEmpty());
}

}  // namespace
}  // namespace tarn::testing
