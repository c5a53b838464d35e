// The whole document: the opening lines, the given-set paragraph, the class
// paragraphs in diagram order, and how the file is written.
#include <gtest/gtest.h>

#include "common/error.hpp"
#include "objectz/document_fixture.hpp"

namespace tarn::objectz {
namespace {

const std::string kGolden = std::string(TARN_GOLDEN_DIR) + "/objectz/";

// The first 30 lines of every document, taken from the golden document.
std::string OpeningLines() {
  const std::string golden = ReadBytes(kGolden + "bank_account.tex");
  std::size_t end = 0;
  for (int line = 0; line < 30; ++line) end = golden.find("\r\n", end) + 2;
  return golden.substr(0, end);
}

class BankDocumentTest : public DocumentTest {
 protected:
  void BuildBank() {
    auto& bank = AddClass("Bank");
    auto& account = AddClass("Account");
    AddAttribute(account, "owner", "PERSON");
    AddAttribute(account, "balance", "int").tags.Set("Invariant", "balance >= 0");
    AddAttribute(account, "limit", "\\nat", "100");
    auto& deposit = AddOperation(account, "deposit");
    auto& amount = deposit.parameters.emplace_back();
    amount.name = "amount";
    amount.type = "\\nat";
    deposit.pre = "amount? > 0";
    deposit.post = "balance' = balance + amount?";
    auto& getBalance = AddOperation(account, "getBalance");
    getBalance.result = "int";
    getBalance.post = "result! = balance";
    auto& holds = AddAssociation(bank, "bank", account, "accounts");
    holds.first.multiplicity = "1";
    holds.second.multiplicity = "0..n";
    holds.second.navigable = true;
    holds.tags.Set("TypeOfRoleB", "\\power");
    holds.tags.Set("RoleBInvariant", "");
  }
};

TEST_F(BankDocumentTest, MatchesTheGoldenDocumentByteForByte) {
  BuildBank();
  EXPECT_EQ(Generate(), ReadBytes(kGolden + "bank_account.tex"));
}

TEST_F(BankDocumentTest, TypesetDocumentMatchesItsGoldenDocument) {
  BuildBank();
  typeset_ = FrontMatter{};
  EXPECT_EQ(Generate(), ReadBytes(kGolden + "bank_account_typeset.tex"));
}

TEST_F(BankDocumentTest, ReplacesAnExistingFileAndStartsEachRunAfresh) {
  BuildBank();
  {
    std::ofstream old(OutputPath(), std::ios::binary);
    old << std::string(5000, 'x');
  }
  Generator generator;
  generator.Generate(app_, OutputPath());
  generator.Generate(app_, OutputPath());
  EXPECT_EQ(ReadBytes(OutputPath()), ReadBytes(kGolden + "bank_account.tex"));
}

TEST_F(DocumentTest, DiagramWithoutClassesHasOpeningEmptyLineAndEnd) {
  EXPECT_EQ(Generate(), OpeningLines() + "\r\n\\end{document}\r\n");
}

TEST_F(DocumentTest, OnlyTheFirstDiagramIsWrittenAndSuppliesGivenSets) {
  auto& shown = AddClass("Shown");
  AddAttribute(shown, "a", "ALPHA");
  auto& hidden = model().classes.emplace_back();  // in the model, on no diagram
  hidden.name = "Hidden";
  AddAttribute(hidden, "b", "BETA");
  auto& other = model().classes.emplace_back();  // on the second diagram only
  other.name = "Other";
  AddAttribute(other, "c", "GAMMA");
  model().root.diagrams.emplace_back().classes.push_back(&other);

  const std::string document = Generate();
  EXPECT_NE(document.find("\r[ALPHA]\r"), std::string::npos);
  EXPECT_EQ(document.find("BETA"), std::string::npos);
  EXPECT_EQ(document.find("GAMMA"), std::string::npos);
  EXPECT_EQ(document.find("Hidden"), std::string::npos);
  EXPECT_EQ(document.find("Other"), std::string::npos);
}

TEST_F(DocumentTest, ClassListedTwiceIsWrittenTwiceInDiagramOrder) {
  auto& twice = AddClass("Twice");
  AddAttribute(twice, "t", "T");
  AddClass("Middle");
  diagram().classes.push_back(&twice);

  const std::string paragraph = CrLfLines({"\\begin{class}{Twice}", "\\begin{state}", "t : T", "\\ST",
                                           "\\end{state}", "", "\\end{class}"});
  const std::string middle =
      CrLfLines({"\\section{Middle}", "\\begin{class}{Middle}", "\\begin{state}", "\\ST", "\\end{state}", "",
                 "\\end{class}"});
  EXPECT_EQ(Generate(), OpeningLines() + "\\begin{zed}\r[T]\r\\end{zed}\r\r\n" + "\\section{Twice}\r\n" + paragraph +
                            middle + "\\section{Twice}\r\n" + paragraph + "\\end{document}\r\n");
}

TEST_F(DocumentTest, ErrorDuringTheWalkLeavesThePreviousFileUntouched) {
  // 20480 distinct type names overflow the given-set table.
  auto& wide = AddClass("Wide");
  for (int i = 0; i < 20480; ++i) AddAttribute(wide, "a", "T" + std::to_string(i));
  {
    std::ofstream old(OutputPath(), std::ios::binary);
    old << "previous";
  }
  Generator generator;
  try {
    generator.Generate(app_, OutputPath());
    FAIL() << "expected an error";
  } catch (const Error& error) {
    EXPECT_EQ(error.Number(), kOverflow);
  }
  EXPECT_EQ(ReadBytes(OutputPath()), "previous");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), std::filesystem::directory_iterator()), 1);
}

}  // namespace
}  // namespace tarn::objectz
