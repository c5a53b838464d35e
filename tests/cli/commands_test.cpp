// The three translations through the program, and each error they report.
#include <gmock/gmock.h>

#include "cli/run_tarn.hpp"

namespace tarn::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

std::string Golden(const std::string& name) { return Slurp(std::string(TARN_GOLDEN_DIR) + "/" + name); }

// A one-class model in the exact text mode; `extra` is added to the class.
std::string ClassModel(const std::string& classFields, const std::string& selection = "[C]") {
  return "tarn-model: 1\ntext: exact\nselection: " + selection +
         "\nclasses:\n  - name: C\n" + classFields +
         "\nassociations:\n  - id: link\n    roles:\n      - { class: C }\n      - { class: C }\n";
}

class CommandsTest : public TarnRun {
 protected:
  // Runs a check that must fail with exactly this message and write nothing.
  void ExpectRefused(const std::string& command, const std::string& model, const std::string& message) {
    const auto result = Run({command, Write("model.yaml", model), "-o", "out.zed", "--no-run"});
    EXPECT_EQ(result.code, 1) << result.err;
    EXPECT_EQ(result.err, message);
    EXPECT_EQ(result.out, "");
    EXPECT_FALSE(std::filesystem::exists(Path("out.zed")));
  }
};

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

TEST_F(CommandsTest, SelectionErrors) {
  ExpectRefused("property-check", ClassModel("", "[]"), "You must select only 1 (one) class.\n");
  ExpectRefused("property-check", ClassModel("", "[C, link]"), "You must select only 1 (one) class.\n");
  ExpectRefused("property-check", ClassModel("", "[link]"), "The object you selected is not a class.\n");
  ExpectRefused("refinement-check", ClassModel("", "[]"),
                "You must select the refine association\nbetween the Abstract and the Concrete classes of the "
                "Refinement.\n");
  ExpectRefused("refinement-check", ClassModel(""), "The object you selected is not a refine association.\n");
}

TEST_F(CommandsTest, SelectOnTheCommandLineReplacesTheFileSelection) {
  const auto model = Write("model.yaml", ClassModel("    tags: { Properties: \"%P\" }", "[link]"));
  auto result = Run({"property-check", model, "--select", "C", "-o", "out.zed"});
  EXPECT_EQ(result.code, 0) << result.err;
  result = Run({"property-check", model, "--select", "Nope", "-o", "other.zed"});
  EXPECT_EQ(result.code, 2);
  EXPECT_THAT(result.err, HasSubstr("Nope"));
  EXPECT_THAT(result.err, HasSubstr("\n  C\n  link\n"));
  EXPECT_FALSE(std::filesystem::exists(Path("other.zed")));
}

TEST_F(CommandsTest, PropertyCheckErrors) {
  const std::string typed = "    attributes: [{ name: a, type: A }]\n";
  ExpectRefused("property-check", ClassModel("    attributes: [{ name: a }]\n    tags: { Properties: \"%P\" }"),
                "Every attribute or argument must have a type.\n");
  ExpectRefused("property-check", ClassModel(typed), "The Properties field cannot be empty.\n");
  ExpectRefused("property-check", ClassModel(typed + "    tags: { Properties: \"  \\r\\n \" }"),
                "The Properties field cannot be empty.\n");
  ExpectRefused("property-check", ClassModel(typed + "    tags: { Properties: \"a = a\\r\\n%P\" }"),
                "Every property must start with '%'.\n");
  ExpectRefused("property-check",
                ClassModel(typed + "    tags: { Properties: \"%P\" }\n    operations:\n"
                                   "      - { name: D, post: \"x\\r\\ny\", tags: { isDefinition: \"True\" } }"),
                "Every definition operation must have only one Post Condition.\n");
}

TEST_F(CommandsTest, RefinementCheckErrors) {
  const std::string pair =
      "tarn-model: 1\nselection: [r]\nclasses:\n"
      "  - { id: A, name: S, operations: [{ name: Push }] }\n"
      "  - { id: C, name: S, operations: [{ name: push }] }\n"
      "associations:\n  - { id: r, roles: [{ class: A }, { class: C }] }\n";
  ExpectRefused("refinement-check", pair, "The operations in Abstract and Concrete classes are different.\n");
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
  EXPECT_THAT(result.err, StartsWith(typo + ":4:5: "));
  EXPECT_THAT(result.err, HasSubstr("atributes"));

  const auto broken = Write("broken.yaml", "tarn-model: 1\nclasses: [\n");
  result = Run({"objectz", broken, "-o", "out.zed"});
  EXPECT_EQ(result.code, 1);
  EXPECT_THAT(result.err, StartsWith(broken + ":"));

  result = Run({"property-check", Path("missing.yaml").string(), "-o", "out.zed"});
  EXPECT_EQ(result.code, 1);
  EXPECT_THAT(result.err, HasSubstr("missing.yaml"));
  EXPECT_FALSE(std::filesystem::exists(Path("out.zed")));
}

TEST_F(CommandsTest, UsageErrors) {
  EXPECT_EQ(Run({}).code, 2);
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
