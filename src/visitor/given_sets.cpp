// The given sets of a check: the Z names left in the declared types once the
// Z type operators, brackets and commas are removed.
#include <array>
#include <string_view>
#include <unordered_set>

#include "common/line_rule.hpp"
#include "common/z_name.hpp"
#include "visitor/z_visitor.hpp"

namespace tarn::visitor {
namespace {

using zmodel::Collection;

// Removed in this order: where one text begins with another, the longer
// one comes first (\power_1 before \power, \seq_1 before \seq).
constexpr std::array<std::string_view, 27> kOperators = {
    "\\power_1", "\\power", "\\finset_1", "\\finset", "\\pfun", "\\ffun", "\\fun",
    "\\finj",    "\\pinj",  "\\inj",      "\\psurj",  "\\surj", "\\bij",  "\\nat_1",
    "\\nat",     "\\num_1", "\\num",      "\\seq_1",  "\\iseq", "\\seq",  "\\bag",
    "\\cross",   "[",       "]",          "(",        ")",      ","};

// Deletes every occurrence of `what`, left to right, in one pass.
void EraseAll(std::string& text, std::string_view what) {
  std::string result;
  result.reserve(text.size());
  std::size_t start = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, start)) {
    result.append(text, start, at - start);
    start = at + what.size();
  }
  if (start == 0) return;
  result.append(text, start, std::string::npos);
  text = std::move(result);
}

}  // namespace

void ZVisitor::VisitPC(zmodel::ZPCClass& check) const {
  auto& givenSets = check.GivenSets;
  GetGivenSetsSchema(givenSets, check.Schema.StateSchema);
  for (const auto& operation : check.Schema.Schemas) GetGivenSetsSchema(givenSets, operation);
  check.GivenSets = CreateGivenSets(givenSets);
}

void ZVisitor::GetGivenSetsSchema(Collection<std::string>& givenSets, const zmodel::Schema& schema) const {
  for (const auto& declaration : schema.Declarations) {
    if (declaration.ZType.empty())
      throw Error(kMissingType, "The declaration " + declaration.Name + " of " + schema.Name + " has no type.");
    givenSets.Add(declaration.ZType);
  }
}

Collection<std::string> ZVisitor::CreateGivenSets(const Collection<std::string>& givenSets) const {
  std::string text;
  for (const auto& type : givenSets) {
    text += ' ';
    text += type;
  }
  for (const auto what : kOperators) EraseAll(text, what);
  return CollectGivenSetNames(text);
}

Collection<std::string> ZVisitor::CollectGivenSetNames(const std::string& text) const {
  Collection<std::string> names;
  std::unordered_set<std::string> seen;
  std::size_t start = 0;
  while (start <= text.size()) {
    auto end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    std::string piece = text.substr(start, end - start);
    std::erase(piece, '\n');
    piece = Trim(piece);
    // Numbers, LaTeX commands the table does not list (\rel, \upto) and
    // other words are not names, and no Z tool accepts them as given sets.
    if (IsZName(piece) && seen.insert(piece).second) names.Add(std::move(piece));
    start = end + 1;
  }
  return names;
}

}  // namespace tarn::visitor
