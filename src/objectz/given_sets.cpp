// The given-set table: the names of the attribute types of the whole diagram,
// each once, declared in one zed paragraph before the first class.
#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "common/count.hpp"
#include "common/z_name.hpp"
#include "objectz/generator.hpp"

namespace tarn::objectz {
namespace {

// Removed from a type text in this order; every subscripted form comes before
// its plain form, which would otherwise leave its "_1" behind.
constexpr std::array<std::string_view, 27> kTypeOperators = {
    R"(\power_1)", R"(\power)", R"(\finset_1)", R"(\finset)", R"(\pfun)", R"(\ffun)",
    R"(\fun)",     R"(\finj)",  R"(\pinj)",     R"(\inj)",    R"(\psurj)", R"(\surj)",
    R"(\bij)",     R"(\nat_1)", R"(\nat)",      R"(\num_1)",  R"(\num)",   R"(\seq_1)",
    R"(\iseq)",    R"(\seq)",   R"(\bag)",      R"(\cross)",  "[",         "]",
    "(",           ")",         ",",
};

// Every occurrence of `removed` deleted in one left-to-right pass: text that
// comes together around a deletion is not searched again. The text is
// compacted in place; a text without `removed` is left as it is.
void RemoveAll(std::string& text, std::string_view removed) {
  std::size_t found = text.find(removed);
  if (found == std::string::npos) return;
  std::size_t kept = found;  // the end of the text kept so far
  for (;;) {
    const std::size_t from = found + removed.size();
    found = text.find(removed, from);
    const std::size_t until = found == std::string::npos ? text.size() : found;
    std::copy(text.begin() + static_cast<std::ptrdiff_t>(from),
              text.begin() + static_cast<std::ptrdiff_t>(until),
              text.begin() + static_cast<std::ptrdiff_t>(kept));
    kept += until - from;
    if (found == std::string::npos) break;
  }
  text.resize(kept);
}

}  // namespace

std::string Generator::CreateGivenSets(const std::string& GivenSets) {
  std::string text = GivenSets;
  for (const auto removed : kTypeOperators) RemoveAll(text, removed);
  return text;
}

void Generator::UpdateGivenSets(const std::string& gSet) {
  std::size_t start = 0;
  while (start <= gSet.size()) {
    auto blank = gSet.find(' ', start);
    if (blank == std::string::npos) blank = gSet.size();
    std::string name;
    for (std::size_t i = start; i < blank; ++i)
      if (gSet[i] != '\n') name += gSet[i];
    start = blank + 1;

    // Only Z names are given sets: not numbers, nor commands the operator
    // table does not list.
    if (!IsZName(name) || recordedGivenSets.contains(name)) continue;
    if (gaGivenSets.size() + 1 == static_cast<std::size_t>(giMaxGivenSets))
      giMaxGivenSets = CountOf(2 * static_cast<std::size_t>(giMaxGivenSets));
    recordedGivenSets.insert(name);
    gaGivenSets.push_back(std::move(name));
  }
}

std::string Generator::ProcessGivenSets() const {
  if (gaGivenSets.empty()) return {};
  std::string paragraph = "\\begin{zed}\r[";
  for (std::size_t i = 0; i < gaGivenSets.size(); ++i) {
    if (i > 0) paragraph += ", ";
    paragraph += gaGivenSets[i];
  }
  paragraph += "]\r\\end{zed}\r";
  return paragraph;
}

}  // namespace tarn::objectz
