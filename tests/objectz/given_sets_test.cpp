// The given-set table: reducing type texts, recording names once in
// first-seen order, the zed paragraph, and the 16-bit limit of the table.
#include <gmock/gmock.h>

#include "common/error.hpp"
#include "objectz/generator.hpp"

namespace tarn::objectz {
namespace {

TEST(CreateGivenSetsTest, RemovesOperatorsBracketsAndCommasKeepingBlanks) {
  const struct {
    const char *type, *reduced;
  } rows[] = {
      {"\\power PERSON", " PERSON"},
      {"NAME \\pfun DATE", "NAME  DATE"},
      {"\\power_1 X", " X"},
      {"\\finset_1 (A \\cross B)", " A  B"},
      {"\\seq_1 S \\iseq T \\nat_1 \\num_1 \\bag U", " S  T    U"},
      {"A \\ffun B \\fun C \\finj D \\pinj E \\inj F", "A  B  C  D  E  F"},
      {"A \\psurj B \\surj C \\bij D", "A  B  C  D"},
      {"[A,B]", "AB"},
      {"\\nat", ""},
      {"\\Power P \\natural", "\\Power P ural"},
      // Each operator is removed in one pass: what comes together around a
      // removal ("\p" + "fun", "\po" + "wer") is not searched again.
      {"\\p\\funfun", "\\pfun"},
      {"\\po\\powerwer", "\\power"},
  };
  for (const auto& row : rows) EXPECT_EQ(Generator::CreateGivenSets(row.type), row.reduced) << row.type;
}

TEST(GivenSetTableTest, RecordsZNamesOnceInFirstSeenOrder) {
  const struct {
    const char* name;
    std::vector<std::string> types;
    std::string paragraph;
  } rows[] = {
      {"nothing recorded", {"", "   ", "\\nat"}, ""},
      {"split at blanks, recorded once",
       {"PERSON", "\\power PERSON", "NAME \\pfun DATE", "\\nat", "int", "INT", "DATE", "A\nB C\rD"},
       "\\begin{zed}\r[PERSON, NAME, DATE, int, INT, AB]\r\\end{zed}\r"},
      {"only Z names",
       {"NAME \\rel NUMBER", "1 \\upto 10", "\\mathbb{Z}", "max\\_size", "\xC9TAT"},
       "\\begin{zed}\r[NAME, NUMBER, max\\_size, \xC9TAT]\r\\end{zed}\r"},
      {"eleven names grow the table",
       {"N11", "N10", "N9", "N8", "N7", "N6", "N5", "N4", "N3", "N2", "N1", "N3 N11"},
       "\\begin{zed}\r[N11, N10, N9, N8, N7, N6, N5, N4, N3, N2, N1]\r\\end{zed}\r"},
  };
  for (const auto& row : rows) {
    Generator generator;
    for (const auto& type : row.types) generator.UpdateGivenSets(Generator::CreateGivenSets(type));
    EXPECT_EQ(generator.ProcessGivenSets(), row.paragraph) << row.name;
  }
}

TEST(GivenSetTableTest, The20480thDistinctNameOverflows) {
  Generator generator;
  for (int i = 1; i < 20480; ++i) generator.UpdateGivenSets("T" + std::to_string(i));
  generator.UpdateGivenSets("T1 T20479");  // known names still pass
  EXPECT_THAT([&] { generator.UpdateGivenSets("T20480"); },
              ::testing::Throws<Error>(::testing::Property(&Error::Number, kOverflow)));
}

}  // namespace
}  // namespace tarn::objectz
