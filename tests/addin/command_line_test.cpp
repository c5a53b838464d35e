#include "addin/command_line.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

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

// {file} becomes the document's absolute path, which stays one word.
TEST(NameDocument, FileStandsForTheDocumentsPath) {
  const auto cwd = std::filesystem::current_path().string();
  EXPECT_THAT(NameDocument({"zeves", "--load", "{file}"}, "/tmp/my doc.zed"),
              ElementsAre("zeves", "--load", "/tmp/my doc.zed"));
  EXPECT_THAT(NameDocument({"zeves", "--in={file}", "{file}{file}"}, "out.zed"),
              ElementsAre("zeves", "--in=" + cwd + "/out.zed", cwd + "/out.zed" + cwd + "/out.zed"));
  EXPECT_THAT(NameDocument({"zeves", "-gui"}, "out.zed"), ElementsAre("zeves", "-gui"));
  EXPECT_THAT(NameDocument({"zeves", "{file"}, "-"), ElementsAre("zeves", "{file"));
  EXPECT_THROW(NameDocument({"zeves", "{file}"}, "-"), Error);
}

}  // namespace
}  // namespace tarn::addin
