#include "common/line_rule.hpp"

#include <gtest/gtest.h>

namespace tarn {
namespace {

// CR LF and a bare CR end a line, a bare LF joins both sides, blank lines
// vanish, and only blanks are trimmed: tabs and '%' stay.
TEST(LineRule, SplitLines) {
  const struct {
    const char* text;
    std::vector<std::string> lines;
  } rows[] = {
      {"a\r\n\r\n  \r\nb\rc", {"a", "b", "c"}},
      {"\r\n\r\n", {}},
      {"", {}},
      {"x' = 1\ny' = 2", {"x' = 1y' = 2"}},
      {"a\n\r\n\nb", {"a", "b"}},
      {"  x = 5 % 2  \r\n\tindented\t", {"x = 5 % 2", "\tindented\t"}},
  };
  for (const auto& row : rows) EXPECT_EQ(SplitLines(row.text), row.lines) << row.text;
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Trim(" \t a \t "), "\t a \t");
}

}  // namespace
}  // namespace tarn
