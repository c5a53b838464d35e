// The texts of a model on any bytes: the line rule, the "Properties" and
// "Retrieve" texts, the given sets of type texts, and the Z/EVES document
// made of them. Each either gives its result or raises a numbered error, and
// the results keep the rules that the documents rely on.
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_set>

#include "common/line_rule.hpp"
#include "fuzz_check.hpp"
#include "objectz/generator.hpp"
#include "parser/z_parser.hpp"
#include "visitor/z_visitor.hpp"
#include "zeves/z_generator.hpp"

namespace {

using namespace tarn;
using fuzz::Expect;

// Lines are trimmed, non-empty and free of line ends.
void ExpectLines(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    Expect(!line.empty(), "an empty line");
    Expect(line.find_first_of("\r\n") == std::string::npos, "a line holds a line end");
    Expect(line.front() != ' ' && line.back() != ' ', "a line is not trimmed");
  }
}

// The properties are the "%" headers, each with the lines up to the next.
void ExpectProperties(const std::vector<std::string>& lines, const std::string& text) {
  zmodel::ZPCClass check;
  try {
    parser::ZParser().ParseProperties(check, text);
  } catch (const Error& error) {
    Expect(check.Theorems.Empty(), "theorems appended before an error");
    if (lines.empty())
      Expect(error.Number() == kEmptyProperties, "no lines: " + error.Description());
    else if (lines.front().front() != '%')
      Expect(error.Number() == kPropertyWithoutHeader, "no header: " + error.Description());
    else
      Expect(error.Number() == kOverflow, "properties refused: " + error.Description());
    return;
  }
  std::size_t headers = 0;
  for (const std::string& line : lines) headers += line.front() == '%' ? 1 : 0;
  Expect(static_cast<std::size_t>(check.Theorems.Count()) == headers,
         "one theorem per header line");
  std::size_t predicates = 0;
  for (const zmodel::Theorem& theorem : check.Theorems) {
    Expect(theorem.Name.find('%') == std::string::npos, "a theorem name holds a %");
    predicates += static_cast<std::size_t>(theorem.Theorem.Count());
  }
  Expect(headers + predicates == lines.size(), "a property line is lost");

  check.Schema.Name = "Fuzz";
  check.Schema.StateSchema.Name = "Fuzz";
  check.Schema.StateSchema.Invariants = parser::ZParser::SplitLines(text);
  check.Schema.InitSchema.Name = "Init";
  zeves::ZGenerator().PCSpecificationText(check);
}

// Given-set names are single, distinct words without brackets or commas.
void ExpectGivenSets(const zmodel::Collection<std::string>& types) {
  const auto names = visitor::ZVisitor().CreateGivenSets(types);
  std::unordered_set<std::string> seen;
  for (const std::string& name : names) {
    Expect(!name.empty(), "an empty given set");
    Expect(name.find_first_of(" \n[](),") == std::string::npos, "a given set is not one word");
    Expect(seen.insert(name).second, "a given set named twice");
  }
}

void ExpectObjectZGivenSets(const std::vector<std::string>& lines) {
  objectz::Generator generator;
  try {
    for (const std::string& line : lines)
      generator.UpdateGivenSets(objectz::Generator::CreateGivenSets(line));
  } catch (const Error& error) {
    Expect(error.Number() == kOverflow, "given-set table: " + error.Description());
    return;
  }
  generator.ProcessGivenSets();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> lines = SplitLines(text);
  ExpectLines(lines);

  zmodel::Collection<std::string> collected;
  try {
    collected = parser::ZParser::SplitLines(text);
  } catch (const Error& error) {
    Expect(error.Number() == kOverflow && lines.size() > kMaxCount,
           "line rule: " + error.Description());
    return 0;
  }
  Expect(std::vector<std::string>(collected.begin(), collected.end()) == lines,
         "the two line rules differ");

  zmodel::ZRCClass refinement;
  parser::ZParser().ParseRetrieve(refinement, text);
  Expect(refinement.Retrieve == collected, "the retrieve lines differ from the text's lines");

  ExpectProperties(lines, text);
  ExpectGivenSets(collected);
  ExpectObjectZGivenSets(lines);
  return 0;
}
