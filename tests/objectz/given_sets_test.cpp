// The given-set table: reducing type texts, recording names once in
// first-seen order, the zed paragraph, and the 16-bit limit of the table.
#include <gtest/gtest.h>

#include "common/error.hpp"
#include "objectz/generator.hpp"

namespace tarn::objectz {
namespace {

TEST(CreateGivenSetsTest, RemovesOperatorsBracketsAndCommasKeepingBlanks) {
  EXPECT_EQ(Generator::CreateGivenSets("\\power PERSON"), " PERSON");
  EXPECT_EQ(Generator::CreateGivenSets("NAME \\pfun DATE"), "NAME  DATE");
  EXPECT_EQ(Generator::CreateGivenSets("\\power_1 X"), " X");
  EXPECT_EQ(Generator::CreateGivenSets("\\finset_1 (A \\cross B)"), " A  B");
  EXPECT_EQ(Generator::CreateGivenSets("\\seq_1 S \\iseq T \\nat_1 \\num_1 \\bag U"), " S  T    U");
  EXPECT_EQ(Generator::CreateGivenSets("A \\ffun B \\fun C \\finj D \\pinj E \\inj F"), "A  B  C  D  E  F");
  EXPECT_EQ(Generator::CreateGivenSets("A \\psurj B \\surj C \\bij D"), "A  B  C  D");
  EXPECT_EQ(Generator::CreateGivenSets("[A,B]"), "AB");
  EXPECT_EQ(Generator::CreateGivenSets("\\nat"), "");
  EXPECT_EQ(Generator::CreateGivenSets("\\Power P \\natural"), "\\Power P ural");
}

TEST(CreateGivenSetsTest, EachOperatorIsRemovedInOnePass) {
  // Removing "\fun" joins "\p" and "fun" into "\pfun", which was removed
  // before: it stays.
  EXPECT_EQ(Generator::CreateGivenSets("\\p\\funfun"), "\\pfun");
  // "\power" inside "\po\powerwer" leaves "\power", which is not searched again.
  EXPECT_EQ(Generator::CreateGivenSets("\\po\\powerwer"), "\\power");
}

TEST(GivenSetTableTest, EmptyTableGivesNoParagraph) {
  Generator generator;
  generator.UpdateGivenSets("");
  generator.UpdateGivenSets("   ");
  EXPECT_EQ(generator.ProcessGivenSets(), "");
}

TEST(GivenSetTableTest, NamesAreSplitAtBlanksAndRecordedOnceInFirstSeenOrder) {
  Generator generator;
  for (const char* type : {"PERSON", "\\power PERSON", "NAME \\pfun DATE", "\\nat", "int", "INT", "DATE",
                           "A\nB C\rD"})
    generator.UpdateGivenSets(Generator::CreateGivenSets(type));
  EXPECT_EQ(generator.ProcessGivenSets(), "\\begin{zed}\r[PERSON, NAME, DATE, int, INT, AB]\r\\end{zed}\r");
}

TEST(GivenSetTableTest, OnlyZNamesAreRecorded) {
  Generator generator;
  for (const char* type : {"NAME \\rel NUMBER", "1 \\upto 10", "\\mathbb{Z}", "max\\_size", "\xC9TAT"})
    generator.UpdateGivenSets(Generator::CreateGivenSets(type));
  EXPECT_EQ(generator.ProcessGivenSets(), "\\begin{zed}\r[NAME, NUMBER, max\\_size, \xC9TAT]\r\\end{zed}\r");
}

TEST(GivenSetTableTest, ElevenNamesGrowTheTableAndKeepTheirOrder) {
  Generator generator;
  std::string expected;
  for (int i = 11; i >= 1; --i) {
    generator.UpdateGivenSets("N" + std::to_string(i));
    expected += (expected.empty() ? "" : ", ") + ("N" + std::to_string(i));
  }
  generator.UpdateGivenSets("N3 N11");
  EXPECT_EQ(generator.ProcessGivenSets(), "\\begin{zed}\r[" + expected + "]\r\\end{zed}\r");
}

TEST(GivenSetTableTest, The20480thDistinctNameOverflows) {
  Generator generator;
  for (int i = 1; i < 20480; ++i) generator.UpdateGivenSets("T" + std::to_string(i));
  generator.UpdateGivenSets("T1 T20479");  // known names still pass
  try {
    generator.UpdateGivenSets("T20480");
    FAIL() << "expected an overflow";
  } catch (const Error& error) {
    EXPECT_EQ(error.Number(), kOverflow);
  }
}

}  // namespace
}  // namespace tarn::objectz
