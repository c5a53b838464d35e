// Hints for the YAML syntax errors that Z text falls into: ": " inside a
// plain value (a Z declaration), a backslash in a double-quoted value
// (LaTeX), "%" or "#" at the start of a value, tabs that indent.
#pragma once

#include <string>
#include <string_view>

namespace tarn::modelfile::native {

// What most likely caused the parser's `message` at byte `column` (from 1)
// of `line`, whose line before is `before`, and how to write it instead; ""
// when no trap fits. The lines come without their line ends.
std::string YamlHint(std::string_view line, std::string_view before, int column, std::string_view message);

}  // namespace tarn::modelfile::native
