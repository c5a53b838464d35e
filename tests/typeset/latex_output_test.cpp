// What pdflatex's terminal output says, read into errors and warnings.
#include "typeset/latex_output.hpp"

#include <gtest/gtest.h>

namespace tarn::typeset {
namespace {

std::string Describe(const std::vector<LatexMessage>& messages) {
  std::string text;
  for (const auto& m : messages)
    text += (m.error ? "E " : "W ") + m.file + ":" + std::to_string(m.line) + " " + m.text + " [" + m.context + "]\n";
  return text;
}

TEST(LatexOutput, ErrorsWarningsAndTheirPlaces) {
  const struct {
    const char *output, *expected;
  } cases[] = {
      // An error of the document, with the source read up to the bad control sequence.
      {"(./document.tex\n./document.tex:5: Undefined control sequence.\nl.5   x = \\foo\n               y \\\\\n",
       "E ./document.tex:5 Undefined control sequence. [x = \\foo]\n"},
      // Context lines before "l.N"; an error inside a style file names it.
      {"/usr/share/texmf/oz.sty:12: Extra }, or forgotten $.\n\\z@stopfield ->\\egroup\n\nl.7 \\end{zed}\n",
       "E /usr/share/texmf/oz.sty:12 Extra }, or forgotten $. [\\end{zed}]\n"},
      // A missing file stops the run: the closing lines repeat it.
      {"! LaTeX Error: File `nosuch.sty' not found.\n\nType X to quit or <RETURN> to proceed,\nEnter file name: \n"
       "./document.tex:4: Emergency stop.\n<read *> \nl.4 \\begin\n          {document}^^M\n"
       "./document.tex:4:  ==> Fatal error occurred, no output PDF file produced!\n",
       "E :0 LaTeX Error: File `nosuch.sty' not found. []\n"},
      // Without -file-line-error's form, the line comes from the context.
      {"! Undefined control sequence.\nl.7 \\foo\n", "E :7 Undefined control sequence. [\\foo]\n"},
      // An error at the very end has no context.
      {"./document.tex:3: Undefined control sequence.", "E ./document.tex:3 Undefined control sequence. []\n"},
      // Alone, the closing lines are the only explanation there is.
      {"./document.tex:9: Emergency stop.\nl.9 \\end\n", "E ./document.tex:9 Emergency stop. [\\end]\n"},
      // Warnings: continuation lines joined, the input line read.
      {"LaTeX Warning: Reference `x' on page 1 undefined on input line 8.\n\n"
       "Package inputenc Warning: Invalid UTF-8 byte 233\n(inputenc)                on input line 3.\n"
       "LaTeX Font Warning: Font shape `OT1/cmr/bx/it' undefined\n(Font)              using `OT1/cmr/bx/n' instead.\n"
       "LaTeX Warning: There were undefined references.\n",
       "W :8 Reference `x' on page 1 undefined on input line 8. []\n"
       "W :3 Package inputenc: Invalid UTF-8 byte 233 on input line 3. []\n"
       "W :0 LaTeX Font: Font shape `OT1/cmr/bx/it' undefined using `OT1/cmr/bx/n' instead. []\n"
       "W :0 There were undefined references. []\n"},
      // Overfull boxes: a line into the margin is a warning at its first line;
      // content taller than the page, met while a page is shipped, an error.
      {"Overfull \\hbox (3.0pt too wide) in paragraph at lines 4--5\n[]\\OT1/cmr/m/n/10 text\n"
       "Overfull \\hbox (1.5pt too wide) detected at line 12\n"
       "Overfull \\vbox (109.6pt too high) has occurred while \\output is active\n",
       "W :4 Overfull \\hbox (3.0pt too wide): a line runs into the margin []\n"
       "W :12 Overfull \\hbox (1.5pt too wide): a line runs into the margin []\n"
       "E :0 Overfull \\vbox (109.6pt too high): content taller than the page, which will not all be on any page []\n"},
      // A box that Tarn's styles name as taller than the page stands for one
      // page that it overfills, reported before or after it.
      {"Overfull \\vbox (43.4pt too high) has occurred while \\output is active\n"
       "./document.tex:95: `Grow' is taller than the page (593pt, the page 550pt): split it.\nl.95 \\end{schema}\n"
       "Overfull \\vbox (1.0pt too high) has occurred while \\output is active\n",
       "E ./document.tex:95 `Grow' is taller than the page (593pt, the page 550pt): split it. [\\end{schema}]\n"
       "E :0 Overfull \\vbox (1.0pt too high): content taller than the page, which will not all be on any page []\n"},
      // An empty document has no PDF to write.
      {"(./document.tex)\nNo pages of output.\n",
       "E :0 No pages of output: the document sets nothing on a page (an Object-Z document of a class diagram "
       "that shows no class, say) []\n"},
      // Ordinary output is neither.
      {"This is pdfTeX, Version 3.14\n(./document.tex LaTeX2e <2022-11-01>\nOutput written on document.pdf (1 page).\n"
       "my: text 3: no\n./document.tex:: odd\n"
       "Package of two words Warning: prose, not a package's warning\nDocument Warning: nor is this\n",
       ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Describe(ReadLatexOutput(c.output)), c.expected) << c.output;
}

}  // namespace
}  // namespace tarn::typeset
