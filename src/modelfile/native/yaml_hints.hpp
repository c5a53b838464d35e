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

// The parser's `problem` at line `lineNumber`, told as what most likely
// caused it when that is an item or key indented differently from the
// list or mapping it continues: "line 18 is indented 3 spaces, but the list
// it continues (line 17) is indented 2: line its items up"; "" otherwise.
// `before` is the text before the line (its first line may be cut).
std::string IndentationSlip(std::string_view before, std::string_view line, int lineNumber, std::string_view problem);

}  // namespace tarn::modelfile::native
