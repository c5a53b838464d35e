// The completion scripts that tarn prints, run in their shells; the man
// pages, checked by man itself; the model file shown in the README.
#include <gmock/gmock.h>

#include "cli/run_tarn.hpp"

namespace tarn::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

bool Installed(const std::string& program) { return std::filesystem::exists("/usr/bin/" + program); }

class DocsTest : public TarnRun {
 protected:
  void SetUp() override {
    const char* path = std::getenv("PATH");
    env_["PATH"] =
        std::filesystem::path(TARN_BINARY).parent_path().string() + ":" + (path ? path : "/usr/bin:/bin");
    std::filesystem::copy_file(Example("register.yaml"), Path("register.yaml"));
    std::filesystem::copy_file(Example("bank.yaml"), Path("bank.yaml"));
    std::filesystem::copy_file(Example("buffer.yaml"), Path("my buffer.yaml"));
  }
  std::string Script(const std::string& shell) {
    const auto result = Run({"completion", shell});
    EXPECT_EQ(result.code, 0) << result.err;
    return Write("completion." + shell, result.out);
  }
};

// What bash offers after the words (in bash's syntax for an array), the
// last one being completed.
TEST_F(DocsTest, BashOffersCommandsOptionsIdsAndDiagrams) {
  const auto script = Script("bash");
  std::filesystem::create_directories(Path("docs"));
  const struct {
    const char* words;
    const char* offered;
  } cases[] = {
      {"tarn pro", "property-check|"},
      {"tarn property-check register.yaml --sel", "--select|"},
      {"tarn property-check register.yaml --select ''", "Reg|"},
      // A model path as typed (quoted, escaped): bash hands it over so.
      {"tarn refinement-check \"'my buffer.yaml'\" -o out.zed --select ''", "refines|"},
      {"tarn property-check 'my\\ buffer.yaml' --select ''", "BufAbstract|BufConcrete|"},
      {"tarn check '\"my buffer\".yaml' --select ''", "BufAbstract|BufConcrete|refines|"},
      {"tarn objectz bank.yaml --diagram ''", "Main|"},
      {"tarn check register.yaml --format j", "json|"},
      {"tarn help obj", "objectz|"},
      {"tarn completion f", "fish|"},
      {"tarn list ban", "bank.yaml|"},
      {"tarn objectz bank.yaml --all --output-dir d", "docs|"},
  };
  for (const auto& c : cases) {
    const auto result =
        Spawn({"/bin/bash", "-c",
               "source " + script + "; COMP_WORDS=(" + c.words +
                   "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _tarn; printf '%s|' \"${COMPREPLY[@]}\""},
              "");
    EXPECT_EQ(result.out, c.offered) << c.words << result.err;
  }
}

TEST_F(DocsTest, FishOffersCommandsOptionsIdsAndDiagrams) {
  if (!Installed("fish")) GTEST_SKIP() << "fish is not installed (scripts/install-deps.sh --dev)";
  const auto script = Script("fish");
  const auto result =
      Spawn({"/usr/bin/fish", "--no-config", "-c",
             "source " + script +
                 "; complete -C 'tarn obj'; complete -C 'tarn property-check register.yaml --sel';"
                 " complete -C 'tarn property-check register.yaml --select ';"
                 " complete -C 'tarn refinement-check \\'my buffer.yaml\\' --select '"},
            "");
  EXPECT_EQ(result.err, "");
  EXPECT_THAT(result.out, HasSubstr("objectz\tObject-Z document"));
  EXPECT_THAT(result.out, HasSubstr("--select\t"));
  EXPECT_THAT(result.out, HasSubstr("\nReg\tLogical View::Reg"));
  EXPECT_THAT(result.out, HasSubstr("\nrefines\tLogical View::(Buf"));
  EXPECT_THAT(result.out, Not(HasSubstr("BufAbstract")));
}

TEST_F(DocsTest, ZshLoadsTheScript) {
  if (!Installed("zsh")) GTEST_SKIP() << "zsh is not installed (scripts/install-deps.sh --dev)";
  const auto script = Script("zsh");
  EXPECT_EQ(Spawn({"/usr/bin/zsh", "-n", script}, "").code, 0);
  // The model's ids as _tarn_listed hands them to compadd.
  const auto result = Spawn({"/usr/bin/zsh", "-f", "-c",
                             "compadd() { print -l -- ${(P)${@[-1]}} }; source " + script +
                                 " 2>/dev/null; words=(property-check register.yaml --select ''); "
                                 "CURRENT=4; _tarn_listed --ids;"
                                 "words=(refinement-check \"'my buffer.yaml'\" --select ''); "
                                 "CURRENT=4; _tarn_listed --ids"},
                            "");
  EXPECT_EQ(result.out, "Reg\nrefines\n");
  const auto text = Slurp(script);
  EXPECT_THAT(text, HasSubstr("#compdef tarn\n"));
  EXPECT_THAT(text, HasSubstr("'--select[select the class with this id"));
  EXPECT_THAT(text, HasSubstr("'1:MODEL:_files'"));
  EXPECT_THAT(text, HasSubstr(":ID:_tarn_listed --ids'"));
  EXPECT_THAT(text, HasSubstr(":NAME:_tarn_listed --diagram-names'"));
}

// Every command but help has a page, and man reads every page without a
// warning.
TEST_F(DocsTest, ManPagesForTarnAndEachCommand) {
  if (!Installed("man")) GTEST_SKIP() << "man is not installed (scripts/install-deps.sh --dev)";
  const std::string pages = std::string(TARN_SOURCE_DIR) + "/docs/man/";
  auto help = Run({"help"}).out;
  help = help.substr(help.find("Subcommands:"));
  help.resize(help.find("\n\n"));
  std::vector<std::string> names{"tarn"};
  for (auto at = help.find("\n  "); at != std::string::npos; at = help.find("\n  ", at + 1)) {
    const auto name = help.substr(at + 3, help.find(' ', at + 3) - at - 3);
    if (name != "help") names.push_back("tarn-" + name);
  }
  EXPECT_GE(names.size(), 10u);
  env_["MANWIDTH"] = "80";
  for (const auto& name : names) {
    const auto result = Spawn({"/usr/bin/man", "--warnings", "-E", "UTF-8", "-l", pages + name + ".1"}, "");
    EXPECT_EQ(result.code, 0) << name;
    EXPECT_EQ(result.err, "") << name;
    EXPECT_THAT(result.out, HasSubstr("NAME\n       " + name + " ")) << name;
  }
}

// The model file shown in the README stays a valid model.
TEST_F(DocsTest, ReadmeModelFileLoads) {
  const auto readme = Slurp(std::string(TARN_SOURCE_DIR) + "/README.md");
  const auto start = readme.find("```yaml\n");
  ASSERT_NE(start, std::string::npos);
  const auto model = Write("readme.yaml", readme.substr(start + 8, readme.find("```", start + 8) - start - 8));
  const auto result = Run({"property-check", model, "-o", "readme.zed"});
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_THAT(Slurp(Path("readme.zed")), HasSubstr("\\begin{theorem}{NonNegative}"));
}

}  // namespace
}  // namespace tarn::testing
