// Scripted stand-ins for the platform seams: they answer from a script and
// record every prompt, message and program start.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "addin/dialogs/form_about.hpp"
#include "addin/dialogs/form_dialog.hpp"
#include "addin/seams.hpp"

namespace tarn::testing {

struct ScriptedSaveDialog : addin::SaveFileDialog {
  std::deque<std::optional<std::string>> answers;  // nothing = Cancel
  std::vector<addin::SaveDialogSetup> shown;

  std::optional<std::string> ShowSave(const addin::SaveDialogSetup& setup) override {
    shown.push_back(setup);
    auto answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

struct ScriptedMessages : addin::MessageBoxes {
  std::deque<bool> answers;  // Yes = true
  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::vector<std::string> warnings;

  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void ShowWarning(const std::string& text) override { warnings.push_back(text); }
  bool AskYesNo(const std::string& question) override {
    questions.push_back(question);
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

struct ScriptedStarter : addin::ProgramStarter {
  long taskId = 4242;
  std::vector<std::vector<std::string>> started;
  std::vector<addin::WindowState> states;

  long Start(const std::vector<std::string>& argv, addin::WindowState state) override {
    started.push_back(argv);
    states.push_back(state);
    return taskId;
  }
};

struct ScriptedWindows : addin::DialogWindows {
  std::optional<std::pair<std::string, std::string>> edit;  // nothing = Cancel
  std::vector<std::pair<std::string, std::string>> loaded;
  std::vector<std::string> aboutTitles;

  bool ShowConfiguration(addin::FormDialog& form) override {
    loaded.emplace_back(form.Text1, form.Text2);
    if (!edit) return false;
    form.Text1 = edit->first;
    form.Text2 = edit->second;
    return true;
  }
  void ShowAbout(const addin::FormAbout& about) override { aboutTitles.push_back(about.lblTitle); }
};

}  // namespace tarn::testing
