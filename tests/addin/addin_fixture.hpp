// A command object wired to scripted seams, a settings file and a folder of
// its own; the seams answer from a script and record every prompt, message
// and program start.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "addin/i_tarn.hpp"
#include "support/models.hpp"

namespace tarn::testing {

struct ScriptedPlatform : addin::SaveFileDialog, addin::MessageBoxes, addin::ProgramStarter, addin::DialogWindows {
  std::deque<std::optional<std::string>> paths;  // the save dialog's answers; nothing = Cancel
  std::vector<addin::SaveDialogSetup> saveDialogs;
  std::deque<bool> answers;  // Yes = true
  std::vector<std::string> messages, questions, warnings;
  long taskId = 4242;
  std::vector<std::string> started;  // "run COMMAND LINE on DOCUMENT" or "open ADDRESS"
  std::optional<std::pair<std::string, std::string>> edit;  // what is typed in the configuration dialog
  bool ok = true;                                           // how it is closed: OK or Cancel
  std::vector<std::pair<std::string, std::string>> loaded;  // what the configuration dialog showed

  std::optional<std::string> ShowSave(const addin::SaveDialogSetup& setup) override {
    saveDialogs.push_back(setup);
    auto answer = paths.front();
    paths.pop_front();
    return answer;
  }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void ShowWarning(const std::string& text) override { warnings.push_back(text); }
  bool AskYesNo(const std::string& question) override {
    questions.push_back(question);
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  long StartCommandLine(const std::string& commandLine, const std::string& document) override {
    started.push_back("run " + commandLine + " on " + document);
    return taskId;
  }
  long OpenAddress(const std::string& address) override {
    started.push_back("open " + address);
    return taskId;
  }
  bool ShowConfiguration(addin::FormDialog& form) override {
    loaded.emplace_back(form.Text1, form.Text2);
    if (edit) std::tie(form.Text1, form.Text2) = *edit;
    return ok;
  }
  void ShowAbout(const addin::FormAbout&) override {}
};

class AddinTest : public ScratchTest {
 protected:
  AddinTest() : tarn_(addin::Platform{seams_, seams_, seams_, seams_, addin::SettingsLocation(SettingsFile())}) {}

  std::filesystem::path SettingsFile() const { return dir_ / "config" / "Tarn.ini"; }
  void WriteSettings(const std::string& text) {
    std::filesystem::create_directories(SettingsFile().parent_path());
    WriteBytes(SettingsFile(), text);
  }

  ScriptedPlatform seams_;
  addin::ITarn tarn_;
};

}  // namespace tarn::testing
