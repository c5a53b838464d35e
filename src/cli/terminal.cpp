#include "cli/terminal.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>

#include "addin/dialogs/form_about.hpp"
#include "addin/dialogs/form_dialog.hpp"
#include "common/atomic_file.hpp"

namespace tarn::cli {
namespace {

bool IsYes(const std::string& answer) {
  return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes" || answer == "YES";
}

void PrintRefusal(std::ostream& err, const std::string& reason) {
  PrintText(err, Unplaced(Diagnostic::Severity::kError, reason));
}

}  // namespace

bool PromptsAllowed() {
  const char* forced = std::getenv("TARN_PROMPT");
  if (forced != nullptr && std::string(forced) == "1") return true;
  return ::isatty(STDIN_FILENO) == 1;
}

bool WritesToStandardOutput(const std::string& path) {
  if (path == kStandardOutput) return true;
  struct stat file {};
  struct stat out {};
  return ::stat(path.c_str(), &file) == 0 && ::fstat(STDOUT_FILENO, &out) == 0 && file.st_dev == out.st_dev &&
         file.st_ino == out.st_ino;
}

Terminal::Terminal(TerminalAnswers answers, bool prompts, std::istream& in, std::ostream& out,
                   std::ostream& err, TerminalHooks hooks)
    : answers_(std::move(answers)),
      prompts_(prompts),
      in_(in),
      out_(out),
      err_(err),
      hooks_(std::move(hooks)) {}

std::optional<std::string> Terminal::ReadLine() {
  std::string line;
  if (!std::getline(in_, line)) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::optional<std::string> Terminal::ShowSave(const addin::SaveDialogSetup& setup) {
  if (answers_.output) return written_ = *answers_.output;
  if (!prompts_) return std::nullopt;  // the command line checks for -o before this
  err_ << "--" << setup.title << "--\n";
  auto name = AskFileName(hooks_.defaultExtension.empty() ? setup.defaultExtension : hooks_.defaultExtension);
  if (!name) {
    // At the end of input the terminal has not ended the prompt's line.
    err_ << (in_.eof() ? "\n" : "") << "tarn: cancelled: nothing written\n";
    return std::nullopt;
  }
  return written_ = *name;
}

std::optional<std::string> Terminal::AskFileName(const std::string& extension) {
  for (;;) {
    err_ << "File name (." << extension << " is added when none is given; empty cancels): " << std::flush;
    auto name = ReadLine();
    if (!name) return std::nullopt;
    name->erase(0, name->find_first_not_of(" \t"));
    name->erase(name->find_last_not_of(" \t") + 1);
    if (name->empty()) return std::nullopt;
    if (name->starts_with("~/")) {
      const char* home = std::getenv("HOME");
      if (home != nullptr) name->replace(0, 1, home);
    }
    const auto slash = name->rfind('/');
    const auto base = slash == std::string::npos ? *name : name->substr(slash + 1);
    if (base.find('.') == std::string::npos && *name != kStandardOutput) *name += "." + extension;
    const auto refused = hooks_.refuseOutput ? hooks_.refuseOutput(*name) : std::string();
    if (!refused.empty()) {
      PrintRefusal(err_, refused);
      continue;
    }
    struct stat existing {};
    if (*name != kStandardOutput && ::stat(name->c_str(), &existing) == 0) {
      if (S_ISDIR(existing.st_mode)) {
        err_ << *name << " is a folder: give the document's file name\n";
        continue;
      }
      err_ << *name << " exists; replace it? [y/N] " << std::flush;
      const auto answer = ReadLine();
      if (!answer) return std::nullopt;
      if (!IsYes(*answer)) continue;
    }
    return name;
  }
}

void Terminal::ShowMessage(const std::string& text) {
  PrintText(err_, Unplaced(Diagnostic::Severity::kError, MessageLines(text)));
}

void Terminal::ShowError(const std::string& text, const Error& cause) {
  Diagnostic diagnostic{Diagnostic::Severity::kError, std::nullopt, MessageLines(text), cause.Number(), {}};
  if (hooks_.explain) diagnostic.notes = hooks_.explain(cause);
  PrintText(err_, diagnostic);
}

void Terminal::ShowWarning(const std::string& text) {
  PrintText(err_, Unplaced(Diagnostic::Severity::kWarning, MessageLines(text)));
}

bool Terminal::AskYesNo(const std::string& question) {
  // The first lines report; the last one asks.
  const auto lines = MessageLines(question);
  const auto lastBreak = lines.rfind('\n');
  const auto report = lastBreak == std::string::npos ? std::string() : lines.substr(0, lastBreak + 1);
  const auto ask = lastBreak == std::string::npos ? lines : lines.substr(lastBreak + 1);
  if (!hooks_.quiet) {
    // A document on standard output keeps it to itself.
    auto& to = !written_.empty() && WritesToStandardOutput(written_) ? err_ : out_;
    to << report;
    if (!written_.empty())
      to << "Written to " << (written_ == kStandardOutput ? "standard output" : written_) << hooks_.writtenDetail
         << "\n";
  }
  if (answers_.run) return *answers_.run;
  if (!prompts_) return false;
  // The report before the question; otherwise standard output is flushed,
  // and checked, when the program ends.
  out_.flush();
  err_ << ask << " [y/N] " << std::flush;
  const auto answer = ReadLine();
  return answer && IsYes(*answer);
}

std::optional<std::string> Terminal::AskValue(const std::string& label, const std::string& current,
                                              bool commandLine) {
  for (;;) {
    err_ << label << " [" << current << "]: " << std::flush;
    auto value = ReadLine();
    if (!value) return std::nullopt;
    if (value->empty()) return current;
    const auto refused = hooks_.refuseSetting ? hooks_.refuseSetting(commandLine, *value) : std::string();
    if (refused.empty()) return value;
    PrintRefusal(err_, refused);
  }
}

bool Terminal::ShowConfiguration(addin::FormDialog& form) {
  if (answers_.zevesPath || answers_.wizardUrl) {
    if (answers_.zevesPath) form.Text1 = *answers_.zevesPath;
    if (answers_.wizardUrl) form.Text2 = *answers_.wizardUrl;
    return true;
  }
  if (!prompts_) return false;
  err_ << "--" << form.Caption << " --\n";
  const auto zeves = AskValue(form.Label1, form.Text1, true);
  if (!zeves) return false;
  const auto wizard = AskValue(form.Label2, form.Text2, false);
  if (!wizard) return false;
  err_ << "OK or Cancel? [OK/cancel]: " << std::flush;
  const auto choice = ReadLine();
  if (!choice || (!choice->empty() && (*choice)[0] != 'o' && (*choice)[0] != 'O')) return false;
  form.Text1 = *zeves;
  form.Text2 = *wizard;
  return true;
}

void Terminal::ShowAbout(const addin::FormAbout& about) {
  out_ << about.Caption << "\n"
       << about.lblTitle << "\n"
       << about.lblDescription << "\n"
       << about.lblVersion << "\n";
}

}  // namespace tarn::cli
