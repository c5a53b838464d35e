#include "modelfile/native/yaml_hints.hpp"

namespace tarn::modelfile::native {
namespace {

constexpr const char* kMend = "; quote the text ('...') or write it as a \"|\" block";

// The plain value of a "key: value" line (after the first ": "), or "":
// none when the line is a flow mapping or list ("- { name: x }") or the
// value is quoted or a block.
std::string_view ValueOf(std::string_view line) {
  auto content = line.substr(std::min(line.find_first_not_of(' '), line.size()));
  if (content.starts_with("- ")) content = content.substr(std::min(content.find_first_not_of(' ', 2), content.size()));
  if (content.starts_with('{') || content.starts_with('[')) return {};
  const auto colon = content.find(": ");
  if (colon == std::string_view::npos) return {};
  const auto value = content.substr(colon + 2);
  const auto first = value.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const char c = value[first];
  const bool plain = c != '\'' && c != '"' && c != '|' && c != '>' && c != '{' && c != '[';
  return plain ? value.substr(first) : std::string_view();
}

// A line of a block: an item of a list ("- ...") or a key of a mapping
// ("key: ..."), and how far it is indented; kOther for the rest.
enum class LineKind { kItem, kKey, kOther };
struct BlockLine {
  LineKind kind = LineKind::kOther;
  std::size_t indent = 0;
};
BlockLine ReadBlockLine(std::string_view line) {
  const auto indent = line.find_first_not_of(' ');
  if (indent == std::string_view::npos || line[indent] == '#') return {};
  const auto content = line.substr(indent);
  if (content == "-" || content.starts_with("- ")) return {LineKind::kItem, indent};
  const auto colon = content.find(':');
  if (colon != std::string_view::npos && colon > 0 && (colon + 1 == content.size() || content[colon + 1] == ' ') &&
      content.find_first_of("{[\"'") > colon)
    return {LineKind::kKey, indent};
  return {};
}

// The flow mapping or list of a line ("{ name: x }", "[a, b]"), or "".
std::string_view FlowOf(std::string_view line) {
  const auto open = line.find_first_of("{[");
  return open == std::string_view::npos ? std::string_view() : line.substr(open);
}

bool HasComment(std::string_view line) {
  const auto value = ValueOf(line);
  if (value.starts_with('#') || value.find(" #") != std::string_view::npos) return true;
  const auto flow = FlowOf(line);
  return flow.find(" #") != std::string_view::npos;
}

// Whether a plain value holds ": ": in a block ("post: x: \nat"), or in an
// entry of a flow mapping ("{ post: x: \nat }": a second ": " before the
// entry ends).
bool ColonInValue(std::string_view line) {
  if (ValueOf(line).find(": ") != std::string_view::npos) return true;
  const auto flow = FlowOf(line);
  for (std::size_t at = flow.find(": "); at != std::string_view::npos; at = flow.find(": ", at + 2)) {
    const auto next = flow.find(": ", at + 2);
    if (next == std::string_view::npos) break;
    if (flow.substr(at + 2, next - at - 2).find_first_of(",{}[]") == std::string_view::npos) return true;
  }
  return false;
}

}  // namespace

std::string IndentationSlip(std::string_view before, std::string_view line, int lineNumber, std::string_view problem) {
  if (problem.find("did not find expected") == std::string_view::npos &&
      problem.find("mapping values are not allowed") == std::string_view::npos)
    return {};
  const auto slipped = ReadBlockLine(line);
  if (slipped.kind == LineKind::kOther) return {};
  // Back through the lines before, to the nearest of the same kind that is
  // indented about as much: the list or mapping the line was meant to
  // continue. One indented the same means the slip is elsewhere.
  int number = lineNumber;
  while (!before.empty()) {
    const auto end = before.rfind('\n');
    auto previous = end == std::string_view::npos ? before : before.substr(end + 1);
    if (previous.ends_with('\r')) previous.remove_suffix(1);
    before = end == std::string_view::npos ? std::string_view() : before.substr(0, end);
    --number;
    const auto other = ReadBlockLine(previous);
    if (other.kind != slipped.kind) continue;
    if (other.indent == slipped.indent) return {};
    if (other.indent + 3 < slipped.indent || slipped.indent + 3 < other.indent) continue;
    const bool item = slipped.kind == LineKind::kItem;
    return "line " + std::to_string(lineNumber) + " is indented " + std::to_string(slipped.indent) +
           " spaces, but the " + (item ? "list" : "mapping") + " it continues (line " + std::to_string(number) +
           ") is indented " + std::to_string(other.indent) + ": line its " + (item ? "items" : "keys") + " up";
  }
  return {};
}

std::string YamlHint(std::string_view line, std::string_view before, int column, std::string_view message) {
  if (message.find("unknown escape character") != std::string_view::npos)
    return "in double quotes a backslash starts an escape such as \\n; LaTeX such as \\power goes "
           "in single quotes "
           "('\\power X') or in a \"|\" block";
  const auto indent = line.substr(0, line.find_first_not_of(" \t"));
  if (indent.find('\t') != std::string_view::npos)
    return "YAML indents with spaces only; replace the tabs at the start of the line";
  const auto at = static_cast<std::size_t>(column - 1);
  if (message.find("cannot start any token") != std::string_view::npos && at < line.size() &&
      (line[at] == '%' || line[at] == '@' || line[at] == '`'))
    return std::string("a plain value cannot start with \"") + line[at] + "\"" + kMend;
  // A mapping value where none may stand, or a flow mapping or list whose
  // end a comment has hidden.
  if (message.find("mapping values are not allowed") == std::string_view::npos &&
      message.find("did not find expected") == std::string_view::npos)
    return {};
  for (const auto candidate : {line, before}) {
    if (HasComment(candidate))
      return std::string("\" #\" starts a comment, which hides the rest of the line") + kMend;
    if (ColonInValue(candidate))
      return std::string(
                 "\": \" inside a plain value starts a mapping (a Z declaration such as x: "
                 "\\nat)") +
             kMend;
  }
  return {};
}

}  // namespace tarn::modelfile::native
