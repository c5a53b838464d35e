// The Z type checker: checks the Z of a LaTeX document (the Z/EVES
// documents Tarn writes, or any text holding Z environments in that
// dialect) against the type rules of the Z reference manual and the types
// of its mathematical toolkit.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarn::ztypes {

struct TypeError {
  int line = 0;          // 1-based line in the checked text
  int column = 0;        // 1-based byte column
  std::string message;   // Z between backquotes: "`count2` is not declared"
  std::string paragraph; // "schema Add", "theorem Bounded", "given sets", "axiomatic definition"
  std::string text;      // the source line (trimmed) where it was found
};

// Checks a whole LaTeX Z document (or any text holding Z environments).
// Syntax errors are TypeErrors too (message "syntax: ..."), one per paragraph
// at most; checking goes on with the next paragraph.
std::vector<TypeError> CheckDocument(std::string_view latex);

}  // namespace tarn::ztypes
