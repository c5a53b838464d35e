// The platform seams on a terminal: the save dialog becomes -o or a prompt,
// message boxes and warnings become lines on stderr and stdout, the Yes/No offer becomes
// --run/--no-run or a prompt, and the two dialogs become prompts and text.
// Prompts appear only when standard input is a terminal (or when
// TARN_PROMPT=1 forces them, for scripts that answer through a pipe).
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "addin/seams.hpp"

namespace tarn::cli {

struct TerminalAnswers {
  std::optional<std::string> output;      // -o FILE
  std::optional<bool> run;                // --run / --no-run
  std::optional<std::string> zevesPath;   // tarn config --zeves-path
  std::optional<std::string> wizardUrl;   // tarn config --wizard-url
};

// Whether prompts may be shown: stdin is a terminal, or TARN_PROMPT=1.
bool PromptsAllowed();

// The text with its control bytes (a NUL, an escape, a DEL...) written as
// \xHH, so that a message shows them instead of being cut or handing them to
// the terminal. Line feeds and tabs stay.
std::string Printable(std::string_view text);

class Terminal final : public addin::SaveFileDialog, public addin::MessageBoxes, public addin::DialogWindows {
 public:
  Terminal(TerminalAnswers answers, bool prompts, std::istream& in, std::ostream& out, std::ostream& err);

  std::optional<std::string> ShowSave(const addin::SaveDialogSetup& setup) override;
  void ShowMessage(const std::string& text) override;
  bool AskYesNo(const std::string& question) override;
  void ShowWarning(const std::string& text) override;
  bool ShowConfiguration(addin::FormDialog& form) override;
  void ShowAbout(const addin::FormAbout& about) override;

 private:
  // One line of input; nothing at the end of input.
  std::optional<std::string> ReadLine();
  // Asks for a value, showing the current one; Enter keeps it.
  std::optional<std::string> AskValue(const std::string& label, const std::string& current);

  TerminalAnswers answers_;
  bool prompts_;
  std::istream& in_;
  std::ostream& out_;
  std::ostream& err_;
  std::string written_;  // the path the document went to
};

}  // namespace tarn::cli
