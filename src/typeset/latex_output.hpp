// Reading what pdflatex reports while it typesets: its errors, with the file
// and line they arose at, and its warnings.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarn::typeset {

struct LatexMessage {
  bool error = false;  // an error; otherwise a warning
  // The file as pdflatex names it ("./document.tex", a style file's path);
  // empty when the message names none.
  std::string file;
  int line = 0;  // 0 when not known
  std::string text;
  // Errors: the source line up to the place where TeX stopped.
  std::string context;
};

// The messages of pdflatex's terminal output, run with -file-line-error and
// unwrapped lines (max_print_line), in the order they came. The closing
// "Emergency stop" and "Fatal error occurred" lines are kept only when no
// other error explains them.
std::vector<LatexMessage> ReadLatexOutput(std::string_view output);

}  // namespace tarn::typeset
