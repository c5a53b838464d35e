#include "modelfile/native/yaml_hints.hpp"

namespace tarn::modelfile::native {
namespace {

constexpr const char* kMend = "; quote the text ('...') or write it as a \"|\" block";

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
    if (ValueOf(candidate).find(": ") != std::string_view::npos)
      return std::string(
                 "\": \" inside a plain value starts a mapping (a Z declaration such as x: "
                 "\\nat)") +
             kMend;
  }
  return {};
}

}  // namespace tarn::modelfile::native
