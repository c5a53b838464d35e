// tarn typeset through the program: every document of every example model
// typesets without an error or a warning, and the failures say what is wrong.
#include <gmock/gmock.h>

#include <unistd.h>

#include <csignal>
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

// A model of one class with an operation of 70 lines, taller than a page,
// and letters outside ASCII in its names.
std::string TallModel(const std::string& encoding) {
  std::string post;
  for (int i = 0; i < 70; ++i) post += "          x' = x + " + std::to_string(i) + "\n";
  return "tarn-model: 1\nencoding: " + encoding +
         "\nselection: [Big]\ndiagrams:\n  - { name: Main, classes: [Big] }\nclasses:\n  - name: Big\n"
         "    tags:\n      Properties: |\n        %P\n        Big \\implies x \\geq 0\n"
         "    attributes: [ { name: x, type: \\nat }, { name: st\xC3\xA4nde, type: \\nat } ]\n"
         "    operations:\n      - { name: Erh\xC3\xB6he, post: \"st\xC3\xA4nde' = st\xC3\xA4nde + 1\" }\n"
         "      - name: Grow\n        post: |\n" +
         post;
}

// Content that would be on no page: a box taller than the page, named, in
// every kind of document (on the editor's line: the Wizard form's given
// sets end lines with a lone CR, which TeX counts as line ends), and a
// character that no font has. Letters outside ASCII are no such loss, in
// either code page.
TEST_F(TypesetTest, WhatWouldBeOnNoPageIsAnError) {
  REQUIRE_PDFLATEX();
  for (const std::string encoding : {"windows-1252", "utf-8"}) {
    SCOPED_TRACE(encoding);
    Write("big.yaml", TallModel(encoding));
    const struct {
      std::vector<std::string> command;
      std::string expected;
    } documents[] = {
        {{"objectz", "big.yaml"},
         "doc.tex:122: error: `Grow' in `Big' is taller than the page (1058pt, the page 686pt)"},
        {{"objectz", "big.yaml", "--typeset"}, "doc.tex:93: error: `Grow' in `Big' is taller than the page (877pt"},
        {{"property-check", "big.yaml"}, "doc.tex:95: error: `Grow' is taller than the page (593pt, the page 550pt)"},
    };
    for (const auto& document : documents) {
      if (encoding == "utf-8" && document.command[0] == "property-check") continue;  // declares latin1
      auto command = document.command;
      command.insert(command.end(), {"-o", "doc.tex", "--no-run"});
      const auto written = Run(command);
      ASSERT_EQ(written.code, 0) << written.err;
      const auto result = Run({"typeset", "doc.tex"});
      EXPECT_EQ(result.code, 1);
      EXPECT_THAT(result.err, StartsWith("tarn: " + document.expected)) << document.command.back();
      EXPECT_THAT(result.err, ::testing::Not(HasSubstr("Overfull")));
      EXPECT_THAT(result.err, ::testing::Not(HasSubstr("accent")));
      EXPECT_FALSE(fs::exists(Path("doc.pdf")));
    }
  }
  Write("lost.tex", "\\documentclass{article}\n\\begin{document}\nx \\char\"E4 y\n\\end{document}\n");
  EXPECT_THAT(Run({"typeset", "lost.tex"}).err,
              StartsWith("tarn: lost.tex:3: error: Missing character: There is no \xE4 (\"E4) in font cmr10"));
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

  // The preamble names the model's code page as LaTeX knows it.
  for (const auto& [encoding, latex] : {std::pair{"UTF-8", "utf8"}, {"iso-8859-15", "latin9"}, {"KOI8-R", ""}}) {
    Write("m.yaml", std::string("tarn-model: 1\nencoding: ") + encoding +
                        "\ndiagrams: [ { name: D, classes: [C] } ]\nclasses: [ { name: C } ]\n");
    result = Run({"objectz", "m.yaml", "--typeset", "-o", "m.tex", "--no-run"});
    if (*latex == '\0') {
      EXPECT_EQ(result.code, 2);
      EXPECT_THAT(result.err, HasSubstr("KOI8-R has no name in LaTeX's inputenc"));
    } else {
      EXPECT_EQ(result.code, 0) << result.err;
      EXPECT_THAT(Slurp(Path("m.tex")), HasSubstr(std::string("\\usepackage[") + latex + "]{inputenc}\r\n"));
    }
  }
}

// A model given instead of a document is refused in one sentence that
// names it, before pdflatex runs.
TEST_F(TypesetTest, AFileThatIsNotADocumentIsNamed) {
  const struct {
    const char *file, *text, *what;
  } cases[] = {
      {"m.yaml", "# a model\ntarn-model: 1\n", "a Tarn model file"},
      {"m.mdl", "\n(object Petal\n", "a Rose model"},
      {"m.xmi", "<?xml version=\"1.0\"?>\n<xmi:XMI/>", "an XML (XMI) model"},
      {"notes.txt", "Some notes.\n", "not a LaTeX document"},
  };
  env_["PATH"] = "/bin:/usr/bin";
  for (const auto& c : cases) {
    const auto result = Run({"typeset", Write(c.file, c.text)});
    EXPECT_EQ(result.code, 1);
    EXPECT_THAT(result.err, StartsWith("tarn: error: " + Path(c.file).string() + " is " + c.what +
                                       ", not a document Tarn wrote: typeset what"));
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1);
  }
}

// "-" reads the document from standard input; the PDF then needs a name.
TEST_F(TypesetTest, StandardInputIsADocument) {
  const auto document = Slurp(std::string(TARN_SOURCE_DIR) + "/tests/typeset/data/markup.zed");
  EXPECT_EQ(Run({"typeset", "-"}, document).code, 2);
  REQUIRE_PDFLATEX();
  const auto result = Run({"typeset", "-", "-o", "in.pdf"}, document);
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_THAT(Slurp(Path("in.pdf")), StartsWith("%PDF-"));
  EXPECT_THAT(Run({"typeset", "-", "-o", "in.pdf"}, "\\documentclass{article}\\begin{document}\\foo\n").err,
              StartsWith("tarn: standard input:1: error: Undefined control sequence."));
}

// Ctrl-C while pdflatex runs ends pdflatex and removes the temporary folder;
// tarn ends by the signal. The pdflatex here only says it started and waits.
TEST_F(TypesetTest, InterruptedTypesettingLeavesNoTemporaryFolder) {
  fs::create_directories(Path("bin"));
  Write("bin/pdflatex", "#!/bin/sh\n: >\"$STARTED\"\nexec /bin/sleep 60\n");
  fs::permissions(Path("bin/pdflatex"), fs::perms::owner_all);
  env_["PATH"] = Path("bin").string();
  env_["STARTED"] = Path("started").string();
  const auto document = CopyData("markup.zed");
  const pid_t pid = Start({TARN_BINARY, "typeset", document}, "");
  ASSERT_GT(pid, 0);
  for (int i = 0; i < 1000 && !fs::exists(Path("started")); ++i) ::usleep(10000);
  ASSERT_TRUE(fs::exists(Path("started")));
  EXPECT_TRUE(TemporaryFoldersLeft());
  ::kill(pid, SIGINT);
  const auto result = Finish(pid);
  EXPECT_EQ(result.signal, SIGINT) << result.err;
  EXPECT_FALSE(TemporaryFoldersLeft());
  EXPECT_FALSE(fs::exists(Path("markup.pdf")));
}

}  // namespace
}  // namespace tarn::testing
