// The platform seams of the command layer: the save-file dialog, message
// boxes and starting a program. The terminal implements them in cli/, tests
// implement them with scripted answers.
#pragma once

#include <optional>
#include <string>

#include "common/error.hpp"

namespace tarn::addin {

struct SaveDialogSetup {
  std::string title;
  std::string filter;
  std::string defaultExtension;
};

class SaveFileDialog {
 public:
  virtual ~SaveFileDialog() = default;
  // The full path the user chose, or nothing when the dialog was cancelled.
  virtual std::optional<std::string> ShowSave(const SaveDialogSetup& setup) = 0;
};

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // An error message with an OK button and no icon.
  virtual void ShowMessage(const std::string& text) = 0;
  // The same for a command's error, which a platform may describe further
  // (which items it is about, where they are).
  virtual void ShowError(const std::string& text, const Error& cause) {
    static_cast<void>(cause);
    ShowMessage(text);
  }
  // A question with Yes and No buttons; true for Yes.
  virtual bool AskYesNo(const std::string& question) = 0;
  // A warning about a document that was written all the same; nothing to
  // answer.
  virtual void ShowWarning(const std::string& text) = 0;
};

// Starting the external tools without waiting for them. Each start returns
// the task id; 0 when the program could not be started for a reason of its
// own. A platform failure (no such program, no permission) raises its
// platform error.
class ProgramStarter {
 public:
  virtual ~ProgramStarter() = default;
  // Starts the configured Z/EVES command line, not blank, in a maximised
  // window that gets the focus. `document` is the file just written, which a
  // platform may let the command line name.
  virtual long StartCommandLine(const std::string& commandLine, const std::string& document) = 0;
  // Opens the Wizard address, not empty, in the desktop's browser, with no
  // window of its own.
  virtual long OpenAddress(const std::string& address) = 0;
};

}  // namespace tarn::addin

namespace tarn::addin {

class FormDialog;
struct FormAbout;

// The two modal windows of the add-in.
class DialogWindows {
 public:
  virtual ~DialogWindows() = default;
  // Lets the user edit the loaded dialog's texts; true when closed with OK.
  virtual bool ShowConfiguration(FormDialog& form) = 0;
  virtual void ShowAbout(const FormAbout& about) = 0;
};

}  // namespace tarn::addin
