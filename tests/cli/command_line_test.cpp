#include "cli/command_line.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "common/error.hpp"

namespace tarn::cli {
namespace {

using ::testing::ElementsAre;

TEST(SplitCommandLine, BlanksSeparateQuotesGroupShellCharactersAreOrdinary) {
  const struct {
    const char* line;
    std::vector<std::string> words;
  } rows[] = {
      {"  zeves   -x\tfile ", {"zeves", "-x", "file"}},
      {"\"/opt/Z EVES/zeves\" 'a \"b\"' c\\ d", {"/opt/Z EVES/zeves", "a \"b\"", "c d"}},
      {"\"say \\\"hi\\\" \\\\ \\n\"", {"say \"hi\" \\ \\n"}},
      {"\"C:\\Program Files\\\\\" x", {"C:\\Program Files\\", "x"}},
      {"a''b \"\"", {"ab", ""}},
      {"   ", {}},
      {"zeves; rm -rf $(x) | y", {"zeves;", "rm", "-rf", "$(x)", "|", "y"}},
  };
  for (const auto& row : rows) EXPECT_EQ(SplitCommandLine(row.line), row.words) << row.line;
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
}  // namespace tarn::cli
