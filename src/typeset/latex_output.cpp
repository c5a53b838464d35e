#include "typeset/latex_output.hpp"

#include <algorithm>
#include <cctype>

#include "common/line_rule.hpp"

namespace tarn::typeset {
namespace {

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const auto end = text.find('\n');
    auto line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

// "FILE:LINE: TEXT", as -file-line-error writes an error; FILE is a path
// ("./document.tex", "/usr/share/.../oz.sty").
bool ReadFileLineError(std::string_view line, LatexMessage& message) {
  if (!line.starts_with("./") && !line.starts_with("/")) return false;
  for (auto colon = line.find(':'); colon != std::string_view::npos; colon = line.find(':', colon + 1)) {
    const auto close = line.find(": ", colon + 1);
    if (close == std::string_view::npos) return false;
    const auto number = line.substr(colon + 1, close - colon - 1);
    if (!AllDigits(number)) continue;
    message.error = true;
    message.file = std::string(line.substr(0, colon));
    message.line = std::stoi(std::string(number));
    message.text = Trim(line.substr(close + 2));
    return true;
  }
  return false;
}

// "LaTeX Warning: TEXT", "Package NAME Warning: TEXT" and the like. The
// package's name in parentheses starts each continuation line.
bool ReadWarning(std::string_view line, LatexMessage& message, std::string& continuation) {
  const auto marker = line.find(" Warning: ");
  if (marker == std::string_view::npos) return false;
  const auto source = line.substr(0, marker);
  std::string_view name;
  if (source == "LaTeX" || source == "LaTeX Font" || source == "pdfTeX") {
    name = source == "LaTeX Font" ? "Font" : source;
  } else if (source.starts_with("Package ") || source.starts_with("Class ")) {
    name = source.substr(source.find(' ') + 1);
    if (name.empty() || name.find(' ') != std::string_view::npos) return false;
  } else {
    return false;
  }
  message.error = false;
  message.text = source == "LaTeX" ? std::string(line.substr(marker + 10))
                                   : std::string(source) + ": " + std::string(line.substr(marker + 10));
  continuation = "(" + std::string(name) + ")";
  return true;
}

// "... on input line 12." at the end of a warning.
int InputLine(std::string_view text) {
  const std::string_view marker = "on input line ";
  const auto at = text.rfind(marker);
  if (at == std::string_view::npos) return 0;
  auto number = text.substr(at + marker.size());
  if (number.ends_with('.')) number.remove_suffix(1);
  return AllDigits(number) ? std::stoi(std::string(number)) : 0;
}

// "Overfull \hbox (12.5pt too wide) in paragraph at lines 23--24" and the
// like: a line wider than the text, or (a \vbox too high) content taller
// than the page. One that TeX meets while it ships out a page has no line:
// a box taller than the page, which will not all be on any page, is an error.
bool ReadOverfullBox(std::string_view line, LatexMessage& message) {
  if (!line.starts_with("Overfull \\hbox") && !line.starts_with("Overfull \\vbox")) return false;
  const auto close = line.find(')');
  message.text = std::string(line.substr(0, close == std::string_view::npos ? line.size() : close + 1));
  for (const std::string_view marker : {"at lines ", "at line "}) {
    const auto at = line.find(marker);
    if (at == std::string_view::npos) continue;
    const auto digits = line.substr(at + marker.size());
    const auto end = digits.find_first_not_of("0123456789");
    if (end != 0) message.line = std::stoi(std::string(digits.substr(0, std::min<std::size_t>(end, 9))));
    break;
  }
  message.error = line.find("while \\output is active") != std::string_view::npos;
  if (message.error)
    message.text += ": content taller than the page, which will not all be on any page";
  else if (message.text.starts_with("Overfull \\hbox"))
    message.text += ": a line runs into the margin";
  return true;
}

bool IsClosingError(const LatexMessage& message) {
  return message.text == "Emergency stop." || message.text.starts_with("==> Fatal error occurred");
}

}  // namespace

std::vector<LatexMessage> ReadLatexOutput(std::string_view output) {
  std::vector<LatexMessage> messages;
  const auto lines = Lines(output);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    LatexMessage message;
    std::string continuation;
    if (lines[i].starts_with("! ")) {
      message.error = true;
      message.text = Trim(lines[i].substr(2));
    } else if (ReadOverfullBox(lines[i], message)) {
      messages.push_back(std::move(message));
      continue;
    } else if (lines[i] == "No pages of output.") {
      // Not an error to TeX, but there is no PDF to write.
      messages.push_back({true, "", 0,
                          "No pages of output: the document sets nothing on a page (an Object-Z document of a "
                          "class diagram that shows no class, say)",
                          ""});
      continue;
    } else if (!ReadFileLineError(lines[i], message) && !ReadWarning(lines[i], message, continuation)) {
      continue;
    }

    if (message.error) {
      // The context follows, up to the line "l.N text read so far".
      for (std::size_t j = i + 1; j < lines.size() && j <= i + 12; ++j) {
        const auto next = lines[j];
        LatexMessage ignored;
        if (next.starts_with("! ") || ReadFileLineError(next, ignored)) break;
        if (!next.starts_with("l.")) continue;
        const auto blank = next.find(' ');
        const auto number = next.substr(2, blank == std::string_view::npos ? blank : blank - 2);
        if (!AllDigits(number)) continue;
        if (message.line == 0) message.line = std::stoi(std::string(number));
        if (blank != std::string_view::npos) message.context = Trim(next.substr(blank + 1));
        break;
      }
    } else {
      while (i + 1 < lines.size() && lines[i + 1].starts_with(continuation)) {
        message.text += " " + Trim(lines[i + 1].substr(continuation.size()));
        ++i;
      }
      message.line = InputLine(message.text);
    }
    messages.push_back(std::move(message));
  }

  // Tarn's styles name each box taller than the page; the page that such a
  // box overfills, before or after, says no more.
  auto named = std::count_if(messages.begin(), messages.end(), [](const LatexMessage& m) {
    return m.error && m.text.find(" is taller than the page (") != std::string::npos;
  });
  std::erase_if(messages, [&named](const LatexMessage& m) {
    return named > 0 && m.error && m.text.starts_with("Overfull \\vbox") && named-- > 0;
  });

  // "Emergency stop" and "Fatal error occurred" only repeat an earlier error.
  bool explained = false;
  for (const auto& message : messages)
    if (message.error && !IsClosingError(message)) explained = true;
  if (explained) std::erase_if(messages, IsClosingError);
  return messages;
}

}  // namespace tarn::typeset
