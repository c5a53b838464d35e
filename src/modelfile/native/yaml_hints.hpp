// Hints for the YAML syntax errors that Z text falls into: ": " inside a
// plain value (a Z declaration), a backslash in a double-quoted value
// (LaTeX), "%" or "#" at the start of a value, tabs that indent.
#pragma once

#include <string>
#include <string_view>

#include "modelfile/native/yaml_tree.hpp"

namespace tarn::modelfile::native {

// What most likely caused the parser's `message` at `at` in `text` (the file
// after its byte order mark), and how to write it instead; "" when no trap
// fits.
std::string YamlHint(std::string_view text, Position at, std::string_view message);

}  // namespace tarn::modelfile::native
