#include "win/scripted_seams.hpp"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "addin/dialogs/form_about.hpp"
#include "addin/dialogs/form_dialog.hpp"
#include "common/error.hpp"

namespace tarn::win {
namespace {

// A text on one line: CR and LF as \r and \n.
std::string OneLine(const std::string& text) {
  std::string line;
  for (const char c : text) {
    if (c == '\r')
      line += "\\r";
    else if (c == '\n')
      line += "\\n";
    else
      line += c;
  }
  return line;
}

std::string Quoted(const std::string& text) { return "\"" + OneLine(text) + "\""; }

}  // namespace

std::optional<std::string> ScriptedDialogs::Folder() {
  const char* folder = std::getenv("TARN_SCRIPTED_UI");
  if (folder == nullptr || *folder == '\0') return std::nullopt;
  return std::string(folder);
}

ScriptedDialogs::ScriptedDialogs(std::string folder) : folder_(std::move(folder)) {
  std::ifstream file(folder_ + "\\answers.txt", std::ios::binary);
  std::string line;
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == "yes" || line == "no") {
      answers_["yes/no"].push_back(line);
      continue;
    }
    const auto blank = line.find(' ');
    if (blank != std::string::npos) answers_[line.substr(0, blank)].push_back(line.substr(blank + 1));
  }
}

std::string ScriptedDialogs::Answer(const std::string& kind) {
  auto& queue = answers_[kind];
  if (queue.empty()) throw Error(kInvalidCall, "answers.txt holds no answer for the " + kind + " dialog.");
  std::string answer = queue.front();
  if (queue.size() > 1) queue.pop_front();
  return answer;
}

void ScriptedDialogs::Show(const std::string& line) const {
  std::ofstream file(folder_ + "\\shown.txt", std::ios::binary | std::ios::app);
  file << line << "\r\n";
}

std::optional<std::string> ScriptedDialogs::ShowSave(const addin::SaveDialogSetup& setup) {
  const std::string answer = Answer("save");
  Show("save " + Quoted(setup.title) + " " + Quoted(setup.filter) + " " + Quoted(setup.defaultExtension) + " -> " +
       answer);
  if (answer == "cancel") return std::nullopt;
  return answer;
}

void ScriptedDialogs::ShowMessage(const std::string& text) { Show("message " + OneLine(text)); }

bool ScriptedDialogs::AskYesNo(const std::string& question) {
  const std::string answer = Answer("yes/no");
  Show("question " + OneLine(question) + " -> " + answer);
  return answer == "yes";
}

void ScriptedDialogs::ShowWarning(const std::string& text) { Show("warning " + OneLine(text)); }

bool ScriptedDialogs::ShowConfiguration(addin::FormDialog& form) {
  const std::string answer = Answer("configuration");
  const std::string shown = "configuration " + Quoted(form.Caption) + " " + Quoted(form.Label1) + " " +
                            Quoted(form.Text1) + " " + Quoted(form.Label2) + " " + Quoted(form.Text2) + " -> ";
  if (!answer.starts_with("ok ")) {
    Show(shown + "cancel");
    return false;
  }
  const std::string typed = answer.substr(3);
  const auto tab = typed.find('\t');
  form.Text1 = typed.substr(0, tab);
  form.Text2 = tab == std::string::npos ? std::string() : typed.substr(tab + 1);
  Show(shown + "ok " + Quoted(form.Text1) + " " + Quoted(form.Text2));
  return true;
}

void ScriptedDialogs::ShowAbout(const addin::FormAbout& about) {
  Show("about " + Quoted(about.Caption) + " " + Quoted(about.lblTitle) + " " + Quoted(about.lblDescription) + " " +
       Quoted(about.lblVersion));
}

}  // namespace tarn::win
