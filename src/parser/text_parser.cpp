// The "Retrieve" and "Properties" texts.
#include <algorithm>

#include "common/line_rule.hpp"
#include "parser/z_parser.hpp"

namespace tarn::parser {
namespace {

// A property's name: its header line without any "%", trimmed.
std::string PropertyName(std::string header) {
  std::erase(header, '%');
  return Trim(header);
}

}  // namespace

void ZParser::ParseRetrieve(zmodel::ZRCClass& check, const std::string& text) const {
  check.Retrieve = SplitLines(text);
}

void ZParser::ParseProperties(zmodel::ZPCClass& check, const std::string& text) const {
  const auto lines = SplitLines(text);
  if (lines.Empty()) throw Error(kEmptyProperties, "The Properties field cannot be empty.");
  if (lines.Item(1).front() != '%')
    throw Error(kPropertyWithoutHeader, "Every property must start with '%'.");

  zmodel::Theorem current;
  current.Name = PropertyName(lines.Item(1));
  for (int i = 2; i <= lines.Count(); ++i) {
    const auto& line = lines.Item(i);
    if (line.front() == '%') {
      check.Theorems.Add(std::move(current));
      current = {};
      current.Name = PropertyName(line);
    } else {
      current.Theorem.Add(line);
    }
  }
  check.Theorems.Add(std::move(current));
}

}  // namespace tarn::parser
