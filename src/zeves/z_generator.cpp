#include "zeves/z_generator.hpp"

#include <string_view>
#include <vector>

#include "common/atomic_file.hpp"
#include "common/error.hpp"

namespace tarn::zeves {
namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr const char* kIndent = "    ";

// One item a line, indented; every line but the last ends with " \\".
std::string ListLines(const std::vector<std::string_view>& items) {
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i) {
    text += kIndent;
    text += items[i];
    if (i + 1 < items.size()) text += " \\\\";
    text += kLineEnd;
  }
  return text;
}

// Appends the lines of a collection to a list of items.
void AddLines(std::vector<std::string_view>& items, const zmodel::Collection<std::string>& lines) {
  for (const auto& line : lines) items.emplace_back(line);
}

std::string ListLines(const zmodel::Collection<std::string>& lines) {
  std::vector<std::string_view> items;
  AddLines(items, lines);
  return ListLines(items);
}

}  // namespace

void ZGenerator::LoadMarkupDefaults() {
  documentClass = "\\documentclass{article}";
  usePackageZEves = "\\usepackage{z-eves}";
  usePackageInputEnc = "\\usepackage[latin1]{inputenc}";
  beginDocument = "\\begin{document}";
  endDocument = "\\end{document}";
  beginTheorem = "\\begin{theorem}";
  endTheorem = "\\end{theorem}";
  beginSchema = "\\begin{schema}";
  endSchema = "\\end{schema}";
  beginZed = "\\begin{zed}";
  endZed = "\\end{zed}";
  defs = " \\defs ";
}

void ZGenerator::GenerateRCSpecification(const zmodel::ZRCClass& check, const std::string& fileName) {
  const auto text = RCSpecificationText(check);
  ReplaceFile(fileName, text);
}

void ZGenerator::GeneratePCSpecification(const zmodel::ZPCClass& check, const std::string& fileName) {
  const auto text = PCSpecificationText(check);
  ReplaceFile(fileName, text);
}

std::string ZGenerator::RCSpecificationText(const zmodel::ZRCClass& check) {
  LoadMarkupDefaults();
  const auto abstractText = GenerateAbstractClass(check.Abstract);
  const auto concreteText = GenerateConcreteClass(check.Concrete);
  const auto givenSets = GenerateGivenSets(check.GivenSets);
  const auto retrieve = GenerateRetrieve(check.Retrieve, check.Abstract.Name + "A", check.Concrete.Name + "C");
  const auto theorems = GenerateTheorems(check.Theorems);
  return Document(givenSets, abstractText + concreteText + retrieve, theorems);
}

std::string ZGenerator::PCSpecificationText(const zmodel::ZPCClass& check) {
  LoadMarkupDefaults();
  const auto classText = GenerateClass(check.Schema, "");
  const auto givenSets = GenerateGivenSets(check.GivenSets);
  const auto theorems = GenerateTheorems(check.Theorems);
  return Document(givenSets, classText, theorems);
}

std::string ZGenerator::Document(const std::string& givenSets, const std::string& body,
                                 const std::string& theorems) const {
  std::string text;
  text += documentClass + kLineEnd;
  text += kLineEnd;
  text += usePackageZEves + kLineEnd;
  text += usePackageInputEnc + kLineEnd;
  text += kLineEnd;
  text += beginDocument + kLineEnd;
  text += kLineEnd;
  text += givenSets;
  text += kLineEnd;
  text += body;
  text += theorems;
  text += endDocument + kLineEnd;
  return text;
}

std::string ZGenerator::GenerateGivenSets(const zmodel::Collection<std::string>& givenSets) const {
  if (givenSets.Empty()) return {};
  std::string names;
  bool first = true;
  for (const auto& name : givenSets) {
    if (!first) names += ", ";
    names += name;
    first = false;
  }
  return beginZed + kLineEnd + kIndent + "[" + names + "]" + kLineEnd + endZed + kLineEnd + kLineEnd;
}

std::string ZGenerator::GenerateAbstractClass(const zmodel::ZSchema& schema) const {
  return GenerateClass(schema, "A");
}

std::string ZGenerator::GenerateConcreteClass(const zmodel::ZSchema& schema) const {
  return GenerateClass(schema, "C");
}

std::string ZGenerator::GenerateClass(const zmodel::ZSchema& schema, const std::string& decoration) const {
  std::string text = GenerateStateSchema(schema.StateSchema, decoration) + kLineEnd;
  text += GenerateInitSchema(schema.InitSchema, schema.Name, decoration) + kLineEnd;
  for (const auto& operation : schema.Schemas)
    text += GenerateOperationSchema(operation, schema.Name, decoration) + kLineEnd;
  return text;
}

std::string ZGenerator::GenerateStateSchema(const zmodel::Schema& state, const std::string& decoration) const {
  std::string text = beginSchema + "{" + state.Name + decoration + "}" + kLineEnd;
  text += GenerateDeclarations(state);
  if (!state.Invariants.Empty()) text += std::string("\\where") + kLineEnd + GenerateInvariants(state);
  text += endSchema + kLineEnd;
  return text;
}

std::string ZGenerator::GenerateInitSchema(const zmodel::Schema& init, const std::string& className,
                                           const std::string& decoration) const {
  std::string text = beginSchema + "{" + init.Name + decoration + "}" + kLineEnd;
  text += kIndent + className + decoration + "'" + kLineEnd;
  const auto conditions = GenerateConditions(init);
  if (!conditions.empty()) text += std::string("\\where") + kLineEnd + conditions;
  text += endSchema + kLineEnd;
  return text;
}

std::string ZGenerator::GenerateOperationSchema(const zmodel::Schema& operation, const std::string& className,
                                                const std::string& decoration) const {
  if (operation.isDefinition) {
    if (!operation.PreConditions.Empty() || operation.PostConditions.Count() != 1)
      throw Error(kMalformedDefinition,
                  "The definition operation " + operation.Name +
                      " must have no precondition and exactly one postcondition.");
    return beginZed + kLineEnd + kIndent + operation.Name + decoration + defs + operation.PostConditions.Item(1) +
           kLineEnd + endZed + kLineEnd;
  }

  std::string text = beginSchema + "{" + operation.Name + decoration + "}" + kLineEnd;
  text += kIndent;
  text += operation.isQuery ? "\\Xi " : "\\Delta ";
  text += className + decoration;
  // Without declarations the frame line runs straight into what follows.
  if (!operation.Declarations.Empty()) text += std::string(" \\\\") + kLineEnd + GenerateDeclarations(operation);
  const auto conditions = GenerateConditions(operation);
  if (!conditions.empty()) text += std::string("\\where") + kLineEnd + conditions;
  text += endSchema + kLineEnd;
  return text;
}

std::string ZGenerator::GenerateDeclarations(const zmodel::Schema& schema) const {
  std::vector<std::string> declarations;
  for (const auto& declaration : schema.Declarations) declarations.push_back(declaration.Name + ": " + declaration.ZType);
  return ListLines(std::vector<std::string_view>(declarations.begin(), declarations.end()));
}

std::string ZGenerator::GenerateInvariants(const zmodel::Schema& schema) const {
  return ListLines(schema.Invariants);
}

std::string ZGenerator::GenerateConditions(const zmodel::Schema& schema) const {
  // Preconditions and postconditions form one list.
  std::vector<std::string_view> lines;
  AddLines(lines, schema.PreConditions);
  AddLines(lines, schema.PostConditions);
  return ListLines(lines);
}

std::string ZGenerator::GenerateRetrieve(const zmodel::Collection<std::string>& retrieve,
                                         const std::string& abstractName, const std::string& concreteName) const {
  std::string text = beginSchema + "{Retrieve}" + kLineEnd;
  text += kIndent + abstractName + " \\\\" + kLineEnd;
  text += kIndent + concreteName + kLineEnd;
  // Without retrieve lines the schema only includes both states: a \where
  // followed by nothing is not Z.
  if (!retrieve.Empty()) text += std::string("\\where") + kLineEnd + ListLines(retrieve);
  text += endSchema + kLineEnd + kLineEnd;
  return text;
}

std::string ZGenerator::GenerateTheorems(const zmodel::Collection<zmodel::Theorem>& theorems) const {
  std::string text;
  for (const auto& theorem : theorems) text += GenerateTheorem(theorem);
  return text;
}

std::string ZGenerator::GenerateTheorem(const zmodel::Theorem& theorem) const {
  return beginTheorem + "{" + theorem.Name + "}" + kLineEnd + ListLines(theorem.Theorem) + endTheorem + kLineEnd +
         kLineEnd;
}

}  // namespace tarn::zeves
