// Which names are operators, and how they bind. The logical connectives,
// the schema operators, `=`, `\in` and `\cross` are the language's own and
// live here; the toolkit's operators are declared in its text by
// directives, one a line, as the ZRM's toolkit does:
//
//   %%inop SYMBOL... N   infix functions of precedence N (1 to 6, 6 binds tightest)
//   %%inrel SYMBOL...    infix relations
//   %%prerel SYMBOL...   prefix relations
//   %%ingen SYMBOL...    infix generics (`X \rel Y`)
//   %%pregen SYMBOL...   prefix generics (`\seq X`)
//   %%postop SYMBOL...   postfix functions (`R \plus`)
//
// A document may declare operators of its own the same way.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace tarn::ztypes {

enum class OperatorKind { kInfixFunction, kInfixRelation, kPrefixRelation, kInfixGeneric, kPrefixGeneric, kPostfix };

struct Operator {
  OperatorKind kind = OperatorKind::kInfixFunction;
  int precedence = 0;  // infix functions only
};

class Operators {
 public:
  Operators();
  // Reads the directive lines of a text (lines that start with `%%`).
  void ReadDirectives(std::string_view text);
  const Operator* Find(const std::string& name) const;
  // Whether a word joins what stands before it to what follows, so that a
  // line break next to it does not end a declaration or a predicate.
  bool IsInfix(const std::string& name) const;

 private:
  std::map<std::string, Operator> table_;
};

}  // namespace tarn::ztypes
