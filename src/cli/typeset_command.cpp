// tarn typeset: a document Tarn wrote, typeset into a PDF with pdflatex and
// Tarn's style files.
#include <filesystem>
#include <iostream>

#include "cli/commands.hpp"
#include "typeset/pdflatex.hpp"

namespace tarn::cli {
namespace {

// pdflatex's messages in Tarn's style, "tarn: FILE:LINE: error: TEXT", with
// the source text up to the place of an error below it. Past the tenth error
// only their number is told: the first errors are the ones to mend.
void ShowLatexMessages(const std::vector<typeset::LatexMessage>& messages) {
  constexpr int kErrorsShown = 10;
  int errors = 0;
  for (const auto& message : messages) {
    if (message.error && ++errors > kErrorsShown) continue;
    std::cerr << "tarn: ";
    if (!message.file.empty()) {
      std::cerr << message.file;
      if (message.line > 0) std::cerr << ":" << message.line;
      std::cerr << ": ";
    }
    std::cerr << (message.error ? "error: " : "warning: ") << message.text << "\n";
    if (!message.context.empty()) std::cerr << "    " << message.context << "\n";
  }
  if (errors > kErrorsShown)
    std::cerr << "tarn: error: " << errors - kErrorsShown << " more errors are not shown\n";
}

}  // namespace

int RunTypeset(const Options& options) {
  namespace fs = std::filesystem;
  if (options.document == "-" && options.pdf.empty())
    throw UsageError("a document read from standard input needs -o FILE.pdf");
  const auto pdf = options.pdf.empty() ? fs::path(options.document).replace_extension(".pdf").string() : options.pdf;
  std::error_code unknown;
  if (fs::path(pdf).lexically_normal() == fs::path(options.document).lexically_normal() ||
      fs::equivalent(pdf, options.document, unknown))
    throw UsageError("the PDF " + pdf + " would replace the document: give -o FILE.pdf");
  const auto result = typeset::Typeset(options.document, pdf);
  ShowLatexMessages(result.messages);
  if (!result.written) return kErrorShown;
  if (!options.quiet) std::cout << "Written to " << pdf << "\n";
  return kSuccess;
}

}  // namespace tarn::cli
