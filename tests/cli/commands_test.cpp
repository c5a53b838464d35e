// The three translations through the program.
#include <gmock/gmock.h>

#include "cli/run_tarn.hpp"

namespace tarn::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

std::string Golden(const std::string& name) { return Slurp(std::string(TARN_GOLDEN_DIR) + "/" + name); }

class CommandsTest : public TarnRun {};

TEST_F(CommandsTest, WorkedExamplesByteForByte) {
  const struct {
    const char* command;
    const char* model;
    const char* golden;
  } examples[] = {{"property-check", "register.yaml", "zeves/reg_property_check.zed"},
                  {"refinement-check", "buffer.yaml", "zeves/buf_refinement_check.zed"},
                  {"objectz", "bank.yaml", "objectz/bank_account.tex"}};
  for (const auto& example : examples) {
    const auto result = Run({example.command, Example(example.model), "-o", "doc.out"});
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out, "The specification was generated successfully.\nWritten to doc.out\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(Slurp(Path("doc.out")), Golden(example.golden)) << example.command;
  }
}

TEST_F(CommandsTest, SelectOnTheCommandLineReplacesTheFileSelection) {
  const auto model =
      Write("model.yaml",
            "tarn-model: 1\nselection: [link]\nclasses:\n  - { name: C, tags: { Properties: \"%P\" } }\n"
            "associations:\n  - { id: link, roles: [{ class: C }, { class: C }] }\n");
  auto result = Run({"property-check", model, "--select", "C", "-o", "out.zed"});
  EXPECT_EQ(result.code, 0) << result.err;
  result = Run({"property-check", model, "--select", "Nope", "-o", "other.zed"});
  EXPECT_EQ(result.code, 2);
  EXPECT_THAT(result.err, HasSubstr("Nope"));
  EXPECT_THAT(result.err, HasSubstr("\n  C\n  link\n"));
  EXPECT_FALSE(std::filesystem::exists(Path("other.zed")));
}

TEST_F(CommandsTest, EmptyRetrieveIsWarnedAboutOnStandardError) {
  const auto model = Write("model.yaml",
                           "tarn-model: 1\nselection: [r]\nclasses:\n  - { id: A, name: S }\n  - { id: C, name: S }\n"
                           "associations:\n  - { id: r, roles: [{ class: A }, { class: C }] }\n");
  const auto result = Run({"refinement-check", model, "-o", "out.zed", "--no-run"});
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_EQ(result.err,
            "tarn: warning: The refine association has no Retrieve text: the Retrieve schema only includes SA and "
            "SC.\n");
  EXPECT_THAT(result.out, HasSubstr("Written to out.zed"));
  EXPECT_THAT(Slurp(Path("out.zed")), HasSubstr("    SC\r\n\\end{schema}"));
}

TEST_F(CommandsTest, ModelFileErrorsNameTheirPlace) {
  const auto typo = Write("typo.yaml", "tarn-model: 1\nclasses:\n  - name: C\n    atributes: []\n");
  auto result = Run({"property-check", typo, "-o", "out.zed"});
  EXPECT_EQ(result.code, 1);
  EXPECT_THAT(result.err, StartsWith("tarn: " + typo + ":4:5: error: "));
  EXPECT_THAT(result.err, HasSubstr("atributes"));

  const auto broken = Write("broken.yaml", "tarn-model: 1\nclasses: [\n");
  result = Run({"objectz", broken, "-o", "out.zed"});
  EXPECT_EQ(result.code, 1);
  EXPECT_THAT(result.err, StartsWith("tarn: " + broken + ":"));

  result = Run({"property-check", Path("missing.yaml").string(), "-o", "out.zed"});
  EXPECT_EQ(result.code, 1);
  EXPECT_THAT(result.err, HasSubstr("missing.yaml"));
  EXPECT_FALSE(std::filesystem::exists(Path("out.zed")));
}

TEST_F(CommandsTest, UsageErrors) {
  const auto nothing = Run({});
  EXPECT_EQ(nothing.code, 2);
  EXPECT_EQ(nothing.err, "tarn: error: no command given\ntarn: note: tarn help lists the commands\n");
  EXPECT_EQ(Run({"translate"}).code, 2);
  EXPECT_EQ(Run({"property-check", Example("register.yaml"), "--run", "--no-run", "-o", "x.zed"}).code, 2);
  const auto noOutput = Run({"property-check", Example("register.yaml")});
  EXPECT_EQ(noOutput.code, 2);
  EXPECT_THAT(noOutput.err, HasSubstr("-o FILE"));
  EXPECT_EQ(Run({"--help"}).code, 0);
  EXPECT_EQ(Run({"--version"}).out, "tarn 1.0.0\n");
}

TEST_F(CommandsTest, DumpOfADumpIsTheSameBytes) {
  const auto first = Run({"dump", Example("register.yaml")});
  ASSERT_EQ(first.code, 0) << first.err;
  const auto second = Run({"dump", Write("dump.yaml", first.out)});
  ASSERT_EQ(second.code, 0) << second.err;
  EXPECT_EQ(second.out, first.out);
  const auto check = Run({"property-check", Path("dump.yaml").string(), "-o", "again.zed"});
  EXPECT_EQ(check.code, 0) << check.err;
  EXPECT_EQ(Slurp(Path("again.zed")), Golden("zeves/reg_property_check.zed"));
}

}  // namespace
}  // namespace tarn::testing

namespace tarn::testing {
namespace {

// The model file shown in the README stays a valid model.
TEST_F(CommandsTest, ReadmeModelFileLoads) {
  const auto readme = Slurp(std::string(TARN_SOURCE_DIR) + "/README.md");
  const auto start = readme.find("```yaml\n");
  ASSERT_NE(start, std::string::npos);
  const auto end = readme.find("```", start + 8);
  const auto model = Write("readme.yaml", readme.substr(start + 8, end - start - 8));
  const auto result = Run({"property-check", model, "-o", "readme.zed"});
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_THAT(Slurp(Path("readme.zed")), HasSubstr("\\begin{theorem}{NonNegative}"));
}

}  // namespace
}  // namespace tarn::testing

namespace tarn::testing {
namespace {

TEST_F(CommandsTest, DiagramOptionChoosesAnotherDiagram) {
  const auto model = Write("model.yaml",
                           "tarn-model: 1\ndiagrams:\n  - { name: Empty }\n  - { name: Second, classes: [B] }\n"
                           "  - { name: Twice }\n  - { name: Twice }\nclasses:\n  - { name: B }\n");
  auto result = Run({"objectz", model, "-o", "first.tex"});
  ASSERT_EQ(result.code, 0) << result.err;
  EXPECT_THAT(Slurp(Path("first.tex")), ::testing::Not(HasSubstr("\\begin{class}{B}")));

  for (const char* name : {"Second", "Logical View::Second"}) {
    result = Run({"objectz", model, "--diagram", name, "-o", "second.tex"});
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_THAT(Slurp(Path("second.tex")), HasSubstr("\\begin{class}{B}"));
  }

  result = Run({"objectz", model, "--diagram", "Third", "-o", "x.tex"});
  EXPECT_EQ(result.code, 2);
  EXPECT_THAT(result.err, HasSubstr("\n  Logical View::Empty\n  Logical View::Second\n"));
  result = Run({"objectz", model, "--diagram", "Twice", "-o", "x.tex"});
  EXPECT_EQ(result.code, 2);
  EXPECT_THAT(result.err, HasSubstr("more than one"));
  EXPECT_FALSE(std::filesystem::exists(Path("x.tex")));
}

}  // namespace
}  // namespace tarn::testing
