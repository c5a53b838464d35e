// The platform seams on a terminal: the save dialog becomes -o or a prompt,
// message boxes become diagnostics on stderr, the success report a text on
// stdout, the Yes/No offer --run/--no-run or a prompt, and the two dialogs
// prompts and text. Prompts go to stderr, so that stdout holds only what a
// command produces, and appear only when standard input is a terminal (or
// when TARN_PROMPT=1 forces them, for scripts that answer through a pipe).
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "addin/seams.hpp"
#include "cli/diagnostic.hpp"

namespace tarn::cli {

struct TerminalAnswers {
  std::optional<std::string> output;     // -o FILE
  std::optional<bool> run;               // --run / --no-run
  std::optional<std::string> zevesPath;  // tarn config --zeves-path
  std::optional<std::string> wizardUrl;  // tarn config --wizard-url
};

// What the command around the terminal adds to it.
struct TerminalHooks {
  // The notes that follow a command's error message.
  std::function<std::vector<Note>(const Error&)> explain;
  // Why a file name typed at the prompt may not be written ("" when it may).
  std::function<std::string(const std::string&)> refuseOutput;
  // Why a setting typed at the prompt cannot be stored ("" when it can):
  // the Z/EVES command line (true) or the Wizard address (false).
  std::function<std::string(bool commandLine, const std::string& value)> refuseSetting;
  bool quiet = false;  // -q: no success report
  // Said after the name of the document written: what it translated.
  std::string writtenDetail;
  // The extension the file name prompt adds when none is typed, in place of
  // the save dialog's own ("tex" for an Object-Z document).
  std::string defaultExtension;
};

// Whether prompts may be shown: stdin is a terminal, or TARN_PROMPT=1.
bool PromptsAllowed();

// Whether a document written to `path` lands on standard output: "-", or
// the file that standard output is.
bool WritesToStandardOutput(const std::string& path);

class Terminal final : public addin::SaveFileDialog, public addin::MessageBoxes, public addin::DialogWindows {
 public:
  Terminal(TerminalAnswers answers, bool prompts, std::istream& in, std::ostream& out, std::ostream& err,
           TerminalHooks hooks = {});

  std::optional<std::string> ShowSave(const addin::SaveDialogSetup& setup) override;
  void ShowMessage(const std::string& text) override;
  void ShowError(const std::string& text, const Error& cause) override;
  bool AskYesNo(const std::string& question) override;
  void ShowWarning(const std::string& text) override;
  bool ShowConfiguration(addin::FormDialog& form) override;
  void ShowAbout(const addin::FormAbout& about) override;

 private:
  // One line of input; nothing at the end of input.
  std::optional<std::string> ReadLine();
  // Asks for the file name until one may be written: blanks around it
  // trimmed, ~/ expanded, the extension added, an existing file replaced
  // only after a yes. Nothing when the user cancels.
  std::optional<std::string> AskFileName(const std::string& extension);
  // Asks for a value, showing the current one; Enter keeps it. Asks again
  // while the value is refused.
  std::optional<std::string> AskValue(const std::string& label, const std::string& current, bool commandLine);

  TerminalAnswers answers_;
  bool prompts_;
  std::istream& in_;
  std::ostream& out_;
  std::ostream& err_;
  TerminalHooks hooks_;
  std::string written_;  // the path the document went to
};

}  // namespace tarn::cli
