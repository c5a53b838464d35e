#include "cli/terminal.hpp"

#include <unistd.h>

#include <cstdlib>
#include <iostream>

#include "addin/dialogs/form_about.hpp"
#include "addin/dialogs/form_dialog.hpp"

namespace tarn::cli {
namespace {

// A message box's text as terminal lines: CR LF and CR become line breaks,
// and the text ends with exactly the line breaks it has, or one.
std::string AsLines(const std::string& text) {
  std::string lines;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      lines += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      lines += text[i];
    }
  }
  if (lines.empty() || lines.back() != '\n') lines += '\n';
  return lines;
}

bool IsYes(const std::string& answer) {
  return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes" || answer == "YES";
}

}  // namespace

std::string Printable(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string shown;
  shown.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && c != '\n' && c != '\t') || byte == 0x7f) {
      shown += "\\x";
      shown += kHex[byte >> 4];
      shown += kHex[byte & 15];
    } else {
      shown += c;
    }
  }
  return shown;
}

bool PromptsAllowed() {
  const char* forced = std::getenv("TARN_PROMPT");
  if (forced != nullptr && std::string(forced) == "1") return true;
  return ::isatty(STDIN_FILENO) == 1;
}

Terminal::Terminal(TerminalAnswers answers, bool prompts, std::istream& in, std::ostream& out, std::ostream& err)
    : answers_(std::move(answers)), prompts_(prompts), in_(in), out_(out), err_(err) {}

std::optional<std::string> Terminal::ReadLine() {
  std::string line;
  if (!std::getline(in_, line)) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::optional<std::string> Terminal::ShowSave(const addin::SaveDialogSetup& setup) {
  if (answers_.output) return written_ = *answers_.output;
  if (!prompts_) return std::nullopt;  // the command line checks for -o before this
  out_ << "--" << setup.title << "--\n"
       << "File name (." << setup.defaultExtension << " is added when none is given; empty cancels): "
       << std::flush;
  auto name = ReadLine();
  if (!name || name->empty()) return std::nullopt;
  const auto slash = name->rfind('/');
  const auto base = slash == std::string::npos ? *name : name->substr(slash + 1);
  if (base.find('.') == std::string::npos) *name += "." + setup.defaultExtension;
  return written_ = *name;
}

void Terminal::ShowMessage(const std::string& text) { err_ << Printable(AsLines(text)) << std::flush; }

void Terminal::ShowWarning(const std::string& text) { err_ << "tarn: warning: " << AsLines(text) << std::flush; }

bool Terminal::AskYesNo(const std::string& question) {
  // The first lines report; the last one asks.
  auto lines = AsLines(question);
  lines.pop_back();
  const auto lastBreak = lines.rfind('\n');
  const auto report = lastBreak == std::string::npos ? std::string() : lines.substr(0, lastBreak + 1);
  const auto ask = lastBreak == std::string::npos ? lines : lines.substr(lastBreak + 1);
  out_ << report;
  if (!written_.empty()) out_ << "Written to " << written_ << "\n";
  if (answers_.run) return *answers_.run;
  if (!prompts_) return false;
  out_ << ask << " [y/N] " << std::flush;
  const auto answer = ReadLine();
  return answer && IsYes(*answer);
}

std::optional<std::string> Terminal::AskValue(const std::string& label, const std::string& current) {
  out_ << label << " [" << current << "]: " << std::flush;
  auto value = ReadLine();
  if (!value) return std::nullopt;
  return value->empty() ? current : *value;
}

bool Terminal::ShowConfiguration(addin::FormDialog& form) {
  if (answers_.zevesPath || answers_.wizardUrl) {
    if (answers_.zevesPath) form.Text1 = *answers_.zevesPath;
    if (answers_.wizardUrl) form.Text2 = *answers_.wizardUrl;
    return true;
  }
  if (!prompts_) return false;
  out_ << "--" << form.Caption << " --\n";
  const auto zeves = AskValue(form.Label1, form.Text1);
  if (!zeves) return false;
  const auto wizard = AskValue(form.Label2, form.Text2);
  if (!wizard) return false;
  out_ << "OK or Cancel? [OK/cancel]: " << std::flush;
  const auto choice = ReadLine();
  if (!choice || (!choice->empty() && (*choice)[0] != 'o' && (*choice)[0] != 'O')) return false;
  form.Text1 = *zeves;
  form.Text2 = *wizard;
  return true;
}

void Terminal::ShowAbout(const addin::FormAbout& about) {
  out_ << about.Caption << "\n" << about.lblTitle << "\n" << about.lblDescription << "\n" << about.lblVersion << "\n";
}

}  // namespace tarn::cli
