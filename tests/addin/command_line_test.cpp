#include "addin/command_line.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/error.hpp"

namespace tarn::addin {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(SplitCommandLine, BlanksSeparateQuotesGroup) {
  EXPECT_THAT(SplitCommandLine("  zeves   -x\tfile "), ElementsAre("zeves", "-x", "file"));
  EXPECT_THAT(SplitCommandLine("\"/opt/Z EVES/zeves\" 'a \"b\"' c\\ d"),
              ElementsAre("/opt/Z EVES/zeves", "a \"b\"", "c d"));
  EXPECT_THAT(SplitCommandLine("\"say \\\"hi\\\" \\\\ \\n\""), ElementsAre("say \"hi\" \\ \\n"));
  EXPECT_THAT(SplitCommandLine("a''b \"\""), ElementsAre("ab", ""));
  EXPECT_THAT(SplitCommandLine("   "), IsEmpty());
}

TEST(SplitCommandLine, ShellCharactersAreOrdinary) {
  EXPECT_THAT(SplitCommandLine("zeves; rm -rf $(x) | y"), ElementsAre("zeves;", "rm", "-rf", "$(x)", "|", "y"));
}

TEST(SplitCommandLine, UnterminatedQuoteIsRefused) {
  EXPECT_THROW(SplitCommandLine("zeves \"open"), Error);
  EXPECT_THROW(SplitCommandLine("zeves 'open"), Error);
}

}  // namespace
}  // namespace tarn::addin
