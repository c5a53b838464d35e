#include "modelfile/native/yaml_hints.hpp"

namespace tarn::modelfile::native {
namespace {

constexpr const char* kMend = "; quote the text ('...') or write it as a \"|\" block";

// Line `number` (from 1) without its line end; "" past the end.
std::string_view Line(std::string_view text, int number) {
  std::size_t start = 0;
  for (int line = 1; line < number; ++line) {
    start = text.find('\n', start);
    if (start == std::string_view::npos) return {};
    ++start;
  }
  auto line = text.substr(start, text.find('\n', start) - start);
  if (line.ends_with('\r')) line.remove_suffix(1);
  return line;
}

// The value part of a "key: value" line (after the first ": "), or "".
std::string_view ValueOf(std::string_view line) {
  const auto colon = line.find(": ");
  return colon == std::string_view::npos ? std::string_view() : line.substr(colon + 2);
}

bool HasComment(std::string_view line) {
  const auto value = ValueOf(line);
  return value.starts_with('#') || value.find(" #") != std::string_view::npos;
}

}  // namespace

std::string YamlHint(std::string_view text, Position at, std::string_view message) {
  const auto line = Line(text, at.line);
  const auto before = at.line > 1 ? Line(text, at.line - 1) : std::string_view();
  if (message.find("unknown escape character") != std::string_view::npos)
    return "in double quotes a backslash starts an escape such as \\n; LaTeX such as \\power goes "
           "in single quotes "
           "('\\power X') or in a \"|\" block";
  const auto indent = line.substr(0, line.find_first_not_of(" \t"));
  if (indent.find('\t') != std::string_view::npos)
    return "YAML indents with spaces only; replace the tabs at the start of the line";
  const auto column = static_cast<std::size_t>(at.column - 1);
  if (message.find("unknown token") != std::string_view::npos && column < line.size() &&
      (line[column] == '%' || line[column] == '@' || line[column] == '`'))
    return std::string("a plain value cannot start with \"") + line[column] + "\"" + kMend;
  if (message.find("map value") == std::string_view::npos &&
      message.find("flow not found") == std::string_view::npos)
    return {};
  for (const auto candidate : {line, before}) {
    if (HasComment(candidate))
      return std::string("\" #\" starts a comment, which hides the rest of the line") + kMend;
    if (ValueOf(candidate).find(": ") != std::string_view::npos)
      return std::string(
                 "\": \" inside a plain value starts a mapping (a Z declaration such as x: "
                 "\\nat)") +
             kMend;
  }
  return {};
}

}  // namespace tarn::modelfile::native
