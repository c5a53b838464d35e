// Typesetting a document that Tarn wrote into a PDF: pdflatex runs on a copy
// of it in a temporary folder that also holds Tarn's style files.
#pragma once

#include <string>
#include <vector>

#include "typeset/latex_output.hpp"

namespace tarn::typeset {

struct TypesetResult {
  bool written = false;  // the PDF was written
  // pdflatex's errors and warnings; those of the document's own lines name
  // `document` as their file.
  std::vector<LatexMessage> messages;
};

// The full path of an executable `name` in a folder of $PATH, or "" when
// there is none.
std::string FindOnPath(const std::string& name);

// Typesets `document` with the pdflatex found on $PATH, with Tarn's style
// files first and the document's folder next on TeX's search path, and
// writes the PDF to `pdf` (replacing any file there at once) when pdflatex
// reported no error; otherwise `pdf` is left as it was. "-" reads the
// document from standard input. Raises tarn::Error when pdflatex is not
// installed, the document cannot be read or is not a LaTeX document (a
// model file, say), or the PDF cannot be written. Lines of messages are the
// document's as an editor counts them.
TypesetResult Typeset(const std::string& document, const std::string& pdf);

// Ends the pdflatex of a run in progress and removes its temporary folder,
// if there is one. Safe to call from a signal handler, which is what it is
// for: Ctrl-C during a run leaves nothing behind.
void RemoveTypesetFolderInProgress();

}  // namespace tarn::typeset
