#include "common/line_rule.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tarn {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(LineRule, CrLfAndBareCrEndLinesBlankLinesVanish) {
  EXPECT_THAT(SplitLines("a\r\n\r\n  \r\nb\rc"), ElementsAre("a", "b", "c"));
  EXPECT_THAT(SplitLines("\r\n\r\n"), IsEmpty());
  EXPECT_THAT(SplitLines(""), IsEmpty());
}

TEST(LineRule, BareLineFeedJoinsBothSides) {
  EXPECT_THAT(SplitLines("x' = 1\ny' = 2"), ElementsAre("x' = 1y' = 2"));
  EXPECT_THAT(SplitLines("a\n\r\n\nb"), ElementsAre("a", "b"));
}

TEST(LineRule, TrimsBlanksButKeepsTabsAndPercent) {
  EXPECT_THAT(SplitLines("  x = 5 % 2  \r\n\tindented\t"), ElementsAre("x = 5 % 2", "\tindented\t"));
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Trim(" \t a \t "), "\t a \t");
}

}  // namespace
}  // namespace tarn
