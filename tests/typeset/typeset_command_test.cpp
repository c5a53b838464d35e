// tarn typeset through the program: every document of every example model
// typesets without an error or a warning, and the failures say what is wrong.
#include <gmock/gmock.h>

#include <cstdlib>
#include <filesystem>

#include "cli/model_loading.hpp"
#include "cli/run_tarn.hpp"
#include "host/host.hpp"
#include "typeset/pdflatex.hpp"

namespace tarn::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace fs = std::filesystem;

// Without pdflatex the test is skipped, unless TARN_REQUIRE_PDFLATEX is set
// (CI installs TeX Live and sets it).
#define REQUIRE_PDFLATEX()                                                                              \
  do {                                                                                                  \
    if (typeset::FindOnPath("pdflatex").empty()) {                                                      \
      if (std::getenv("TARN_REQUIRE_PDFLATEX") != nullptr) FAIL() << "pdflatex is not on PATH";        \
      GTEST_SKIP() << "pdflatex is not installed (Debian packages texlive-latex-base and texlive-science)"; \
    }                                                                                                   \
  } while (false)

class TypesetTest : public TarnRun {
 protected:
  TypesetTest() {
    // pdflatex's temporary folders go to a folder of the test's own.
    fs::create_directories(Path("tmp"));
    env_["TMPDIR"] = Path("tmp").string();
  }
  bool TemporaryFoldersLeft() const { return !fs::is_empty(dir_ / "tmp"); }
  // A document of tests/typeset/data/ copied into the test's folder.
  std::string CopyData(const std::string& name) {
    return Write(name, Slurp(std::string(TARN_SOURCE_DIR) + "/tests/typeset/data/" + name));
  }
};

// The example model files of every format, as paths under examples/.
std::vector<std::string> ExampleModels() {
  std::vector<std::string> models;
  const fs::path root = fs::path(TARN_SOURCE_DIR) / "examples";
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const auto extension = entry.path().extension();
    if (extension == ".yaml" || extension == ".mdl" || extension == ".uml" || extension == ".xmi")
      models.push_back(fs::relative(entry.path(), root).string());
  }
  std::sort(models.begin(), models.end());
  return models;
}

// tarn's arguments that write each document of a model: the property check
// of every class with Properties, the refinement check of every association
// with a Retrieve, and the Object-Z document in both forms.
std::vector<std::vector<std::string>> DocumentsOf(const std::string& model) {
  const auto loaded = cli::LoadedModel::Load(model, {});
  std::vector<std::vector<std::string>> commands;
  for (const auto& c : loaded.Model().classes)
    if (!c.TaggedValue(host::kTool, "Properties").empty())
      commands.push_back({"property-check", model, "--select", c.id});
  for (const auto& a : loaded.Model().associations)
    if (!a.TaggedValue(host::kTool, "Retrieve").empty())
      commands.push_back({"refinement-check", model, "--select", a.id});
  commands.push_back({"objectz", model});
  commands.push_back({"objectz", model, "--typeset", "--title", "Example", "--date", "2024"});
  return commands;
}

class ExampleDocumentsTest : public TypesetTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(ExampleDocumentsTest, TypesetWithoutErrorsOrWarnings) {
  REQUIRE_PDFLATEX();
  const auto model = Example(GetParam());
  int number = 0;
  for (auto command : DocumentsOf(model)) {
    const auto name = "doc" + std::to_string(++number);
    command.insert(command.end(), {"-o", name + ".tex", "--no-run"});
    const auto written = Run(command);
    ASSERT_EQ(written.code, 0) << written.err;
    const auto typeset = Run({"typeset", name + ".tex"});
    EXPECT_EQ(typeset.code, 0) << command[0] << " " << command.back();
    EXPECT_EQ(typeset.err, "") << command[0];
    EXPECT_EQ(typeset.out, "Written to " + name + ".pdf\n");
    EXPECT_THAT(Slurp(Path(name + ".pdf")), StartsWith("%PDF-"));
  }
  EXPECT_GE(number, 2);
  EXPECT_FALSE(TemporaryFoldersLeft());
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleDocumentsTest, ::testing::ValuesIn(ExampleModels()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           for (auto& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

TEST_F(TypesetTest, ZEvesMarkupBeyondOzTypesets) {
  REQUIRE_PDFLATEX();
  const auto result = Run({"typeset", CopyData("markup.zed")});
  EXPECT_EQ(result.code, 0);
  EXPECT_EQ(result.err, "");
}

TEST_F(TypesetTest, LatexErrorsNameTheDocumentLineAndKeepThePreviousPdf) {
  REQUIRE_PDFLATEX();
  const auto document = CopyData("broken.zed");
  Write("broken.pdf", "previous");
  const auto result = Run({"typeset", document});
  EXPECT_EQ(result.code, 1);
  EXPECT_EQ(result.err, "tarn: " + document + ":6: error: Undefined control sequence.\n    x = \\foo\n");
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(Slurp(Path("broken.pdf")), "previous");
  EXPECT_FALSE(TemporaryFoldersLeft());

  // A message longer than the 79 characters where pdflatex would break it.
  const std::string style(90, 's');
  const auto missing = Write("missing.zed", "\\documentclass{article}\n\\usepackage{" + style +
                                                      "}\n\\begin{document}\nx\n\\end{document}\n");
  EXPECT_EQ(Run({"typeset", missing}).err, "tarn: error: LaTeX Error: File `" + style + ".sty' not found.\n");
}

// The user's environment reaches pdflatex: here a style of their own TeX tree.
TEST_F(TypesetTest, FilesBesideTheDocumentAndTheUsersStylesAreFoundButTarnsStylesComeFirst) {
  REQUIRE_PDFLATEX();
  fs::create_directories(Path("spec"));
  fs::create_directories(Path("texmf/tex/latex"));
  Write("texmf/tex/latex/mine.sty", "\\newcommand{\\mine}{}\n");
  env_["TEXMFHOME"] = Path("texmf").string();
  Write("spec/defs.tex", "\\begin{zed}\n  [Y]\n\\end{zed}\n");
  Write("spec/z-eves.sty", "\\errmessage{not Tarn's style}\n");
  const auto document = Write("spec/main.zed",
                              "\\documentclass{article}\n\\usepackage{z-eves,mine}\n\\begin{document}\n"
                              "\\input{defs}\\mine\n\\end{document}\n");
  const auto result = Run({"typeset", document, "-o", "main.pdf"});
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_EQ(result.out, "Written to main.pdf\n");
}

TEST_F(TypesetTest, MissingPdfLatexNamesTheDebianPackages) {
  const auto document = Write("doc.zed", "\\documentclass{article}\n");
  env_["PATH"] = Path("tmp").string();
  const auto result = Run({"typeset", document});
  EXPECT_EQ(result.code, 1);
  EXPECT_EQ(result.err,
            "tarn: error: pdflatex was not found on PATH. It comes with the Debian packages texlive-latex-base and "
            "texlive-science: apt-get install texlive-latex-base texlive-science\n");
  EXPECT_FALSE(fs::exists(Path("doc.pdf")));
}

TEST_F(TypesetTest, ThePdfNeverReplacesTheDocument) {
  Write("doc.pdf", "%PDF- a document named like a PDF");
  for (const auto& args : {std::vector<std::string>{"typeset", "doc.pdf"},
                           std::vector<std::string>{"typeset", "doc.pdf", "-o", "./doc.pdf"}}) {
    const auto result = Run(args);
    EXPECT_EQ(result.code, 2);
    EXPECT_THAT(result.err, HasSubstr("would replace the document"));
  }
  EXPECT_EQ(Slurp(Path("doc.pdf")), "%PDF- a document named like a PDF");
  EXPECT_EQ(Run({"typeset", "missing.zed"}).err, "tarn: error: Cannot read missing.zed: No such file or directory\n");
}

TEST_F(TypesetTest, FrontMatterOptionsNeedTypesetAndTheModelsCodePage) {
  const auto model = Example("bank.yaml");
  auto result = Run({"objectz", model, "--title", "Bank", "-o", "bank.tex"});
  EXPECT_EQ(result.code, 2);
  EXPECT_THAT(result.err, HasSubstr("--title requires --typeset"));

  result = Run({"objectz", model, "--typeset", "--author", "\xCE\xBB-calculus", "-o", "bank.tex"});
  EXPECT_EQ(result.code, 2);
  EXPECT_THAT(result.err, HasSubstr("--author \xCE\xBB-calculus: the model's code page windows-1252"));
  EXPECT_FALSE(fs::exists(Path("bank.tex")));

  result = Run({"objectz", model, "--typeset", "--title", "Caf\xC3\xA9", "-o", "bank.tex", "--no-run"});
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_THAT(Slurp(Path("bank.tex")), HasSubstr("\\title{Caf\xE9}\r\n\\author{}\r\n\\date{}\r\n"));
}

}  // namespace
}  // namespace tarn::testing
