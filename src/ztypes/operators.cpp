// The operator table and the directives that fill it.
#include "ztypes/operators.hpp"

#include <set>
#include <sstream>
#include <vector>

namespace tarn::ztypes {
namespace {

// Words of the language that stand between two operands.
const std::set<std::string, std::less<>> kInfixWords = {
    "\\land", "\\lor", "\\implies", "\\iff", "\\semi", "\\pipe", "\\project", "\\hide",
    "\\cross", "=", "\\in", "\\defs", "==", "::=", ",", ";", ":", "|", "@", "\\where",
    "\\THEN", "\\ELSE", "\\ldata", "\\rdata", "\\limg", "\\rimg", "/", "."};

}  // namespace

Operators::Operators() {
  table_["="] = {OperatorKind::kInfixRelation};
  table_["\\in"] = {OperatorKind::kInfixRelation};
}

void Operators::ReadDirectives(std::string_view text) {
  std::istringstream lines{std::string(text)};
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string directive;
    words >> directive;
    OperatorKind kind;
    if (directive == "%%inop") kind = OperatorKind::kInfixFunction;
    else if (directive == "%%inrel") kind = OperatorKind::kInfixRelation;
    else if (directive == "%%prerel") kind = OperatorKind::kPrefixRelation;
    else if (directive == "%%ingen") kind = OperatorKind::kInfixGeneric;
    else if (directive == "%%pregen") kind = OperatorKind::kPrefixGeneric;
    else if (directive == "%%postop") kind = OperatorKind::kPostfix;
    else continue;
    std::string word;
    std::vector<std::string> symbols;
    while (words >> word) symbols.push_back(word);
    int precedence = 0;
    if (kind == OperatorKind::kInfixFunction && !symbols.empty() && symbols.back().size() == 1 &&
        symbols.back()[0] >= '1' && symbols.back()[0] <= '6') {
      precedence = symbols.back()[0] - '0';
      symbols.pop_back();
    } else if (kind == OperatorKind::kInfixFunction) {
      continue;  // an infix function without its precedence is no directive
    }
    for (const auto& symbol : symbols) table_[symbol] = {kind, precedence};
  }
}

const Operator* Operators::Find(const std::string& name) const {
  const auto found = table_.find(name);
  return found == table_.end() ? nullptr : &found->second;
}

bool Operators::IsInfix(const std::string& name) const {
  if (kInfixWords.contains(name)) return true;
  const Operator* op = Find(name);
  return op && (op->kind == OperatorKind::kInfixFunction || op->kind == OperatorKind::kInfixRelation ||
                op->kind == OperatorKind::kInfixGeneric);
}

}  // namespace tarn::ztypes
