// The multiplicity invariant of a declared role, for either role.
#include <gtest/gtest.h>

#include "objectz/cardinality.hpp"

namespace tarn::objectz {
namespace {

TEST(CardinalityLineTest, EveryRowInBothColumns) {
  const struct {
    const char *multiplicity, *roleB, *roleA;
  } rows[] = {
      {"0..n", R"(0 <= \#r <= n   \\)", R"(0 <= \#r <= n   \\)"},
      {"0..1", R"(0 <= \#r <= 1  \\)", R"(0 <= \#r <= 1   \\)"},
      {"1..n", R"(1 <= \#r <= n   \\)", R"(1 <= \#r <= n   \\)"},
      {"n", R"(\#r = n  \\)", R"(\#r = n   \\)"},
      {"1", R"(\#r = 1 \\)", R"(\#r = 1 \\)"},
      {"", R"(\#r =  \\)", R"(\#r =  \\)"},
      {"*", R"(\#r = * \\)", R"(\#r = * \\)"},
      {"0..*", R"(\#r = 0..* \\)", R"(\#r = 0..* \\)"},
      {"1..*", R"(\#r = 1..* \\)", R"(\#r = 1..* \\)"},
      {"0..N", R"(\#r = 0..N \\)", R"(\#r = 0..N \\)"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(CardinalityLine("r", row.multiplicity, DeclaredRole::kRoleB), row.roleB) << row.multiplicity;
    EXPECT_EQ(CardinalityLine("r", row.multiplicity, DeclaredRole::kRoleA), row.roleA) << row.multiplicity;
  }
}

// To be typeset: a constraint only where the multiplicity constrains a set.
TEST(CardinalityLineTest, TypesetConstraints) {
  const struct {
    const char *multiplicity, *line;
  } rows[] = {
      {"0..1", R"(\#r \leq 1)"},        {"1..n", R"(\#r \geq 1)"},  {"1..*", R"(\#r \geq 1)"},
      {"2..5", R"(2 \leq \#r \leq 5)"}, {"0..5", R"(\#r \leq 5)"},  {"3", R"(\#r = 3)"},
      {"2..2", R"(\#r = 2)"},           {"0..n", ""},              {"n", ""},
      {"*", ""},                        {"0..*", ""},              {"1", ""},
      {"", ""},                         {"many", ""},              {"1..m", ""},
      {"x..3", ""},
  };
  for (const auto& row : rows) EXPECT_EQ(TypesetCardinalityLine("r", row.multiplicity), row.line) << row.multiplicity;
}

}  // namespace
}  // namespace tarn::objectz
