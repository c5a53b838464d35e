#include "cli/diagnostic.hpp"

#include <cstdio>
#include <ostream>

#include "modelfile/text/utf8.hpp"

namespace tarn::cli {
namespace {

void PrintLocation(std::ostream& out, const std::optional<Location>& at) {
  if (!at) return;
  out << Printable(at->file);
  if (at->line != 0) out << ':' << at->line << ':' << at->column;
  out << ": ";
}

// A JSON string; bytes that are not UTF-8 are taken as Latin-1 characters.
std::string Json(const std::string& text) {
  std::string json = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      const std::size_t length = modelfile::text::Utf8SequenceLength(text, i);
      if (length > 0) {
        json.append(text, i, length);
        i += length;
        continue;
      }
      json += static_cast<char>(0xC0 | (c >> 6));
      json += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c == '"' || c == '\\') {
      json += '\\';
      json += static_cast<char>(c);
    } else if (c == '\n') {
      json += "\\n";
    } else if (c < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04X", c);
      json += escaped;
    } else {
      json += static_cast<char>(c);
    }
    ++i;
  }
  return json + "\"";
}

void JsonLocation(std::ostream& out, const std::optional<Location>& at) {
  if (!at) return;
  out << "\"file\":" << Json(at->file) << ",";
  if (at->line != 0) out << "\"line\":" << at->line << ",\"column\":" << at->column << ",";
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

Diagnostic Unplaced(Diagnostic::Severity severity, std::string message, std::vector<Note> notes) {
  return Diagnostic{severity, std::nullopt, std::move(message), 0, std::move(notes)};
}

std::optional<Location> LocationOf(const host::MemoryModel& model, const host::Place& place) {
  if (place.line == 0 || place.file >= model.files.size()) return std::nullopt;
  return Location{model.files[place.file], place.line, place.column};
}

std::string MessageLines(const std::string& text) {
  std::string lines;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      lines += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      lines += text[i];
    }
  }
  while (!lines.empty() && lines.back() == '\n') lines.pop_back();
  return lines;
}

void PrintText(std::ostream& out, const Diagnostic& diagnostic) {
  out << "tarn: ";
  PrintLocation(out, diagnostic.at);
  out << (diagnostic.severity == Diagnostic::Severity::kError ? "error: " : "warning: ")
      << Printable(diagnostic.message) << '\n';
  for (const Note& note : diagnostic.notes) {
    out << "tarn: ";
    PrintLocation(out, note.at);
    out << "note: " << Printable(note.text) << '\n';
  }
  out.flush();
}

void PrintJson(std::ostream& out, const Diagnostic& diagnostic) {
  out << "{\"severity\":"
      << (diagnostic.severity == Diagnostic::Severity::kError ? "\"error\"," : "\"warning\",");
  JsonLocation(out, diagnostic.at);
  if (diagnostic.number != 0) out << "\"number\":" << diagnostic.number << ",";
  out << "\"message\":" << Json(diagnostic.message) << ",\"notes\":[";
  for (std::size_t i = 0; i < diagnostic.notes.size(); ++i) {
    out << (i == 0 ? "{" : ",{");
    JsonLocation(out, diagnostic.notes[i].at);
    out << "\"message\":" << Json(diagnostic.notes[i].text) << "}";
  }
  out << "]}\n";
  out.flush();
}

Diagnostic ParseReaderWarning(const std::string& line) {
  Diagnostic diagnostic;
  diagnostic.severity = Diagnostic::Severity::kWarning;
  constexpr std::string_view kMark = ": warning: ";
  const auto mark = line.find(kMark);
  if (mark == std::string::npos) {
    diagnostic.message = line;
    return diagnostic;
  }
  diagnostic.message = line.substr(mark + kMark.size());
  Location at{line.substr(0, mark)};
  // FILE:LINE:COLUMN when the last two parts are numbers.
  const auto second = at.file.rfind(':');
  const auto first =
      second == std::string::npos || second == 0 ? std::string::npos : at.file.rfind(':', second - 1);
  const auto number = [](const std::string& text) {
    return !text.empty() && text.size() < 10 && text.find_first_not_of("0123456789") == std::string::npos;
  };
  if (first != std::string::npos && number(at.file.substr(first + 1, second - first - 1)) &&
      number(at.file.substr(second + 1))) {
    at.line = static_cast<std::uint32_t>(std::stoul(at.file.substr(first + 1, second - first - 1)));
    at.column = static_cast<std::uint32_t>(std::stoul(at.file.substr(second + 1)));
    at.file.resize(first);
  }
  diagnostic.at = at;
  return diagnostic;
}

std::vector<Diagnostic> LoadDiagnostics(const modelfile::LoadError& error) {
  std::vector<Diagnostic> diagnostics;
  const auto add = [&](const modelfile::LoadError& one) {
    const Location at{one.File(), static_cast<std::uint32_t>(one.Line()), static_cast<std::uint32_t>(one.Column())};
    Diagnostic diagnostic{Diagnostic::Severity::kError, at, one.Message(), 0, {}};
    if (!one.Hint().empty()) diagnostic.notes.push_back({at, one.Hint()});
    diagnostics.push_back(std::move(diagnostic));
  };
  add(error);
  for (const auto& other : error.more) add(other);
  if (error.unreported > 0)
    diagnostics.push_back(Unplaced(Diagnostic::Severity::kError,
                                   std::to_string(error.unreported) + " more error" +
                                       (error.unreported == 1 ? " is" : "s are") + " not shown"));
  return diagnostics;
}

}  // namespace tarn::cli
