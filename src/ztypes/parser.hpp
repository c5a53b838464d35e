// Reads the paragraphs of one Z environment from its tokens.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "ztypes/lexer.hpp"
#include "ztypes/operators.hpp"
#include "ztypes/syntax.hpp"

namespace tarn::ztypes {

// The deepest nesting of brackets, quantifiers and operators the parser
// reads; deeper text is a syntax error, so that neither it nor the checker
// recurses without bound.
inline constexpr int kMaxDepth = 256;

struct SyntaxError {
  std::size_t offset = 0;
  std::string message;    // without the "syntax: " prefix
  std::string paragraph;  // what it is in
};

struct ParsedEnvironment {
  std::vector<Paragraph> paragraphs;
  std::vector<SyntaxError> errors;  // at most one per paragraph
};

// Each paragraph gets a title for messages ("schema Add", "theorem
// Bounded", "given sets", "abbreviation X").
std::string Title(const Paragraph& paragraph);

ParsedEnvironment ParseEnvironment(const Environment& environment, const Operators& operators);

}  // namespace tarn::ztypes
