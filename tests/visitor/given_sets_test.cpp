// The given sets of a check: the Z names left in the declared types once the
// Z type operators, brackets and commas are removed, each once, in
// first-seen order. The proof obligations are checked through the documents
// of the models in tests/addin/data/.
#include <gtest/gtest.h>

#include "visitor/z_visitor.hpp"

namespace tarn::visitor {
namespace {

std::vector<std::string> GivenSetsOf(const std::vector<std::string>& types) {
  zmodel::Collection<std::string> collected;
  for (const auto& type : types) collected.Add(type);
  const auto names = ZVisitor().CreateGivenSets(collected);
  return {names.begin(), names.end()};
}

TEST(GivenSets, OperatorsVanishZNamesStayInFirstSeenOrder) {
  const struct {
    std::vector<std::string> types, names;
  } rows[] = {
      {{"\\power NAME", "\\nat", "NAME \\fun \\seq CHAR"}, {"NAME", "CHAR"}},
      {{"X \\cross Y", "\\finset (A \\pfun B)", "Y"}, {"X", "Y", "A", "B"}},
      {{"name", "NAME", "name"}, {"name", "NAME"}},
      // Longer operators go first.
      {{"\\power_1 X"}, {"X"}},
      {{"\\seq_1 S", "\\iseq T", "\\finset_1 U", "\\nat_1 \\num_1"}, {"S", "T", "U"}},
      // Removal works on substrings, not words.
      {{"A,B"}, {"AB"}},
      {{"A, B"}, {"A", "B"}},
      {{"MY\\natX"}, {"MYX"}},
      // Only Z names are declared.
      {{"NAME \\rel NUMBER", "1 \\upto 10", "\\mathbb{Z}", "\\power (PERSON \\rel CAR)"},
       {"NAME", "NUMBER", "PERSON", "CAR"}},
      {{"max\\_size", "\xC9TAT", "\x82\xA0NAME", "X2"}, {"max\\_size", "\xC9TAT", "\x82\xA0NAME", "X2"}},
      // A line feed joins the two sides of a word; any other character that
      // is not a letter or a digit keeps the word from being a name.
      {{"A\nB", "C\rD", "\tE", "F\r", "G'", "H?"}, {"AB"}},
      {{"\\nat", "\\num", "   "}, {}},
      {{}, {}},
  };
  for (const auto& row : rows) EXPECT_EQ(GivenSetsOf(row.types), row.names) << ::testing::PrintToString(row.types);
}

TEST(GivenSets, The32768thDistinctNameOverflows) {
  std::string many;
  for (int i = 0; i < 32768; ++i) many += " N" + std::to_string(i);
  EXPECT_THROW(GivenSetsOf({many}), Error);
  EXPECT_EQ(GivenSetsOf({many.substr(0, many.rfind(' ')) + " N0 N1"}).size(), 32767u);
}

}  // namespace
}  // namespace tarn::visitor
