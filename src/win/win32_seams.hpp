// The platform seams of the commands on Windows: the common save dialog,
// message boxes, the two dialogs of the DLL's resources, and starting
// programs.
#pragma once

#include <optional>
#include <string>

#include "addin/seams.hpp"
#include "common/windows_api.hpp"

namespace tarn::win {

class Win32SaveDialog final : public addin::SaveFileDialog {
 public:
  // The common save dialog with the title, filter ("|" between names and
  // patterns) and default extension given; it asks before replacing a file.
  std::optional<std::string> ShowSave(const addin::SaveDialogSetup& setup) override;
};

class Win32MessageBoxes final : public addin::MessageBoxes {
 public:
  // OK, no icon; the caption is the add-in's name.
  void ShowMessage(const std::string& text) override;
  // Yes and No, with the question icon.
  bool AskYesNo(const std::string& question) override;
  // The modelling tool shows no warnings of the add-in: it goes to the
  // debugger's output.
  void ShowWarning(const std::string& text) override;
};

class Win32ProgramStarter final : public addin::ProgramStarter {
 public:
  // The command line as it stands, started by CreateProcess in a maximised
  // window; the task id is the process id.
  long StartCommandLine(const std::string& commandLine, const std::string& document) override;
  // The address opened with the shell's "open" verb, as "start" opens it.
  long OpenAddress(const std::string& address) override;
};

class Win32DialogWindows final : public addin::DialogWindows {
 public:
  bool ShowConfiguration(addin::FormDialog& form) override;
  void ShowAbout(const addin::FormAbout& about) override;
};

// The window that owns the add-in's windows: the modelling tool's active
// window on the calling thread, if any.
HWND OwnerWindow();

}  // namespace tarn::win
