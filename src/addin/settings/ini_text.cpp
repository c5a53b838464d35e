#include "addin/settings/ini_text.hpp"

#include <cstddef>
#include <vector>

namespace tarn::addin {
namespace {

// One line of the file: its text and the line ending that follows it ("\r\n",
// "\n", or nothing on a last line that has none).
struct Line {
  std::string_view text;
  std::string_view ending;
};

enum class LineKind { kSection, kKey, kOther };

// What a line is, with the section name or the key and value it holds.
struct ParsedLine {
  LineKind kind = LineKind::kOther;
  std::string_view name;
  std::string_view value;
};

// A UTF-8 byte order mark, which editors may put before the first line.
std::size_t ByteOrderMarkSize(std::string_view text) {
  constexpr std::string_view kMark = "\xEF\xBB\xBF";
  return text.substr(0, kMark.size()) == kMark ? kMark.size() : 0;
}

std::vector<Line> SplitIntoLines(std::string_view text) {
  std::vector<Line> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t feed = text.find('\n', start);
    if (feed == std::string_view::npos) {
      lines.push_back({text.substr(start), {}});
      break;
    }
    std::size_t end = feed;
    if (end > start && text[end - 1] == '\r') --end;
    lines.push_back({text.substr(start, end - start), text.substr(end, feed + 1 - end)});
    start = feed + 1;
  }
  return lines;
}

// Blanks are spaces and tabs, as the Windows functions skip them.
std::string_view TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// "[name]" is a section header (text after the ']' does not count, and a
// header without one runs to the end of the line); ";" starts a comment;
// "key=value" is a key line; anything else is kept but means nothing.
ParsedLine Parse(std::string_view line) {
  const std::string_view text = TrimBlanks(line);
  if (text.empty() || text.front() == ';') return {};
  if (text.front() == '[') {
    const std::size_t close = text.find(']');
    const std::string_view inside =
        close == std::string_view::npos ? text.substr(1) : text.substr(1, close - 1);
    return {LineKind::kSection, TrimBlanks(inside), {}};
  }
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) return {};
  return {LineKind::kKey, TrimBlanks(text.substr(0, equals)), TrimBlanks(text.substr(equals + 1))};
}

// Where one section lies: its header line and the line after its last line.
struct SectionSpan {
  std::size_t header = 0;
  std::size_t end = 0;
};

std::optional<SectionSpan> FindSection(const std::vector<Line>& lines, std::string_view section) {
  const std::string_view wanted = TrimBlanks(section);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const ParsedLine header = Parse(lines[i].text);
    if (header.kind != LineKind::kSection || !EqualsIgnoringCase(header.name, wanted)) continue;
    std::size_t end = i + 1;
    while (end < lines.size() && Parse(lines[end].text).kind != LineKind::kSection) ++end;
    return SectionSpan{i, end};
  }
  return std::nullopt;
}

std::optional<std::size_t> FindKey(const std::vector<Line>& lines, const SectionSpan& span,
                                   std::string_view key) {
  const std::string_view wanted = TrimBlanks(key);
  for (std::size_t i = span.header + 1; i < span.end; ++i) {
    const ParsedLine line = Parse(lines[i].text);
    if (line.kind == LineKind::kKey && EqualsIgnoringCase(line.name, wanted)) return i;
  }
  return std::nullopt;
}

std::size_t LastKeyLine(const std::vector<Line>& lines, const SectionSpan& span) {
  std::size_t last = span.header;
  for (std::size_t i = span.header + 1; i < span.end; ++i) {
    if (Parse(lines[i].text).kind == LineKind::kKey) last = i;
  }
  return last;
}

// The lines joined again, with `added` (whole lines, each with its ending)
// put before line `insertAt`. Only the last line can lack an ending; it gets
// `ending` when lines are appended after it.
std::string Join(const std::vector<Line>& lines, std::size_t insertAt, std::string_view added,
                 std::string_view ending) {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i == insertAt) out += added;
    out += lines[i].text;
    out += lines[i].ending;
  }
  if (insertAt == lines.size() && !added.empty()) {
    if (!lines.empty() && lines.back().ending.empty()) out += ending;
    out += added;
  }
  return out;
}

}  // namespace

bool EqualsIgnoringCase(std::string_view left, std::string_view right) {
  if (left.size() != right.size()) return false;
  const auto lower = [](char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  };
  for (std::size_t i = 0; i < left.size(); ++i) {
    if (lower(left[i]) != lower(right[i])) return false;
  }
  return true;
}

std::optional<std::string_view> FindIniValue(std::string_view text, std::string_view section,
                                             std::string_view key) {
  const std::vector<Line> lines = SplitIntoLines(text.substr(ByteOrderMarkSize(text)));
  const std::optional<SectionSpan> span = FindSection(lines, section);
  if (!span) return std::nullopt;
  const std::optional<std::size_t> keyLine = FindKey(lines, *span, key);
  if (!keyLine) return std::nullopt;
  return Parse(lines[*keyLine].text).value;
}

std::string SetIniValue(std::string_view text, std::string_view section, std::string_view key,
                        std::string_view value) {
  const std::size_t mark = ByteOrderMarkSize(text);
  if (mark > 0) return std::string(text.substr(0, mark)) + SetIniValue(text.substr(mark), section, key, value);
  std::vector<Line> lines = SplitIntoLines(text);
  const std::string_view ending = (!lines.empty() && !lines.front().ending.empty())
                                      ? lines.front().ending
                                      : std::string_view("\r\n");
  const std::string keyLine = std::string(key) + "=" + std::string(value);

  const std::optional<SectionSpan> span = FindSection(lines, section);
  if (!span) {
    std::string added = "[";
    added.append(section).append("]").append(ending).append(keyLine).append(ending);
    return Join(lines, lines.size(), added, ending);
  }
  if (const std::optional<std::size_t> existing = FindKey(lines, *span, key)) {
    lines[*existing].text = keyLine;
    return Join(lines, lines.size(), {}, ending);
  }
  return Join(lines, LastKeyLine(lines, *span) + 1, keyLine + std::string(ending), ending);
}

}  // namespace tarn::addin
