// Dialogs answered from a file, for tests that run the add-in without anyone
// at the screen. When the environment variable TARN_SCRIPTED_UI names a
// folder, the commands' save dialog, message boxes, configuration dialog and
// About box are not shown: each takes its answer from FOLDER\answers.txt and
// appends what it would have shown to FOLDER\shown.txt. Programs are still
// started for real.
//
// answers.txt holds one answer a line, taken in order by the dialogs of its
// kind; once a kind's answers are used up, its last one is given again:
//   save PATH | save cancel
//   yes | no
//   configuration ok TEXT1<TAB>TEXT2 | configuration cancel
// shown.txt gets one line a dialog, with CR and LF in texts written as \r and
// \n, and the answer after " -> ":
//   save "TITLE" "FILTER" "EXTENSION" -> PATH
//   message TEXT
//   question TEXT -> yes
//   configuration "CAPTION" "LABEL1" "TEXT1" "LABEL2" "TEXT2" -> ok "TEXT1" "TEXT2"
//   about "CAPTION" "TITLE" "DESCRIPTION" "MAKER"
//   warning TEXT
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>

#include "addin/seams.hpp"

namespace tarn::win {

class ScriptedDialogs final : public addin::SaveFileDialog,
                              public addin::MessageBoxes,
                              public addin::DialogWindows {
 public:
  // The folder named by TARN_SCRIPTED_UI; nothing when it is not set.
  static std::optional<std::string> Folder();

  explicit ScriptedDialogs(std::string folder);

  std::optional<std::string> ShowSave(const addin::SaveDialogSetup& setup) override;
  void ShowMessage(const std::string& text) override;
  bool AskYesNo(const std::string& question) override;
  void ShowWarning(const std::string& text) override;
  bool ShowConfiguration(addin::FormDialog& form) override;
  void ShowAbout(const addin::FormAbout& about) override;

 private:
  // The next answer of a kind ("save", "yes/no", "configuration").
  std::string Answer(const std::string& kind);
  void Show(const std::string& line) const;

  std::string folder_;
  std::map<std::string, std::deque<std::string>> answers_;
};

}  // namespace tarn::win
