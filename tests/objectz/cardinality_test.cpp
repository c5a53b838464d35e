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

}  // namespace
}  // namespace tarn::objectz
