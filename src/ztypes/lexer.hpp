// Finds the Z environments of a LaTeX document and cuts their bodies into
// tokens. Everything outside `zed`, `syntax`, `schema`, `axdef`, `gendef`
// and `theorem` is skipped, so are LaTeX comments and the commands that
// only space or align the text (`~`, `\,`, `\quad`, `\t1`, `&`...).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "ztypes/operators.hpp"
#include "ztypes/syntax.hpp"

namespace tarn::ztypes {

enum class TokenKind {
  kWord,    // a name (`names'`, `x_1`, `result!`) or a command (`\power_1`, `\#`)
  kNumber,
  kSymbol,  // punctuation and one-character operators
  kBreak,   // `\\`, `\also` or a line break that ends a declaration or predicate
  kEnd,
};

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::string text;
  std::size_t offset = 0;  // byte range in the document
  std::size_t end = 0;
};

struct Environment {
  std::string kind;               // zed, syntax, schema, axdef, gendef, theorem
  Word name;                      // a schema's or theorem's name
  std::vector<Word> parameters;   // [X, Y] after the header
  std::size_t offset = 0;         // where \begin stands
  std::vector<Token> tokens;      // the body, ending with a kEnd token
  std::string error;              // why the environment cannot be read, if it cannot
};

std::vector<Environment> ReadEnvironments(std::string_view text, const Operators& operators);

}  // namespace tarn::ztypes
