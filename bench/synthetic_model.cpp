#include "synthetic_model.hpp"

#include <array>
#include <stdexcept>
#include <string>

namespace tarn::bench {
namespace {

constexpr int kGivenSetKinds = 50;  // ITEM0..ITEM49, KEY0..KEY49, VALUE0..VALUE49

struct AttributeShape {
  const char* type;  // "@" stands for the class's given-set number
  const char* initial;
};

constexpr std::array<AttributeShape, 10> kAttributes = {{
    {R"(\nat)", "0"},
    {R"(\nat)", ""},
    {R"(\num)", "0"},
    {R"(\power ITEM@)", R"(\emptyset)"},
    {R"(\seq ITEM@)", R"(\langle \rangle)"},
    {"ITEM@", ""},
    {R"(KEY@ \pfun VALUE@)", R"(\emptyset)"},
    {R"(\power KEY@)", ""},
    {R"(\nat \fun ITEM@)", ""},
    {R"(\seq VALUE@)", R"(\langle \rangle)"},
}};

constexpr std::array<const char*, 5> kOperations = {"Add", "Take", "Store", "Drop", "Reset"};
constexpr std::array<const char*, 4> kFirstMultiplicities = {"1", "0..1", "0..n", "1..n"};
constexpr std::array<const char*, 4> kSecondMultiplicities = {"0..n", "1", "1..n", "0..1"};

std::string Replace(std::string text, char mark, const std::string& by) {
  for (auto at = text.find(mark); at != std::string::npos; at = text.find(mark, at + by.size()))
    text.replace(at, 1, by);
  return text;
}

// Joins lines with CR LF.
std::string Lines(std::initializer_list<std::string> lines) {
  std::string text;
  for (const auto& line : lines) text += (text.empty() ? "" : "\r\n") + line;
  return text;
}

void AddClass(host::MemoryModel& model, int i) {
  host::MemoryClass& added = model.classes.emplace_back();
  added.name = "C" + std::to_string(i);
  added.id = added.name;
  const std::string v = "c" + std::to_string(i) + "a";  // attribute names: c12a0..c12a9
  const std::string set = std::to_string(i % kGivenSetKinds);

  for (std::size_t j = 0; j < kAttributes.size(); ++j) {
    host::MemoryAttribute& attribute = added.attributes.emplace_back();
    attribute.name = v + std::to_string(j);
    attribute.type = Replace(kAttributes[j].type, '@', set);
    attribute.initial = kAttributes[j].initial;
  }
  for (std::size_t j = 0; j < kOperations.size(); ++j) {
    host::MemoryOperation& operation = added.operations.emplace_back();
    operation.name = kOperations[j];
    operation.parameters.push_back({});
    operation.parameters.back().name = "n";
    operation.parameters.back().type = R"(\nat)";
    operation.parameters.push_back({});
    operation.parameters.back().name = "item";
    operation.parameters.back().type = "ITEM" + set;
    operation.pre =
        Lines({"n? > " + std::to_string(j), "n? \\leq " + v + "1", "item? \\notin " + v + "3"});
    operation.post = Lines({v + "0' = " + v + "0 + n?", v + "3' = " + v + "3 \\cup \\{item?\\}",
                            v + "4' = " + v + "4 \\cat \\langle item? \\rangle"});
  }
  added.tags.Set("Invariant", Lines({v + "0 \\leq " + v + "1", "\\# " + v + "4 \\leq " + v + "1"}));
  if (i == 0)
    added.tags.Set("Properties", Lines({"%Bounded", v + "0 \\leq " + v + "1", "%Known",
                                        v + "3 \\subseteq \\ran " + v + "8"}));
}

void AddAssociation(host::MemoryModel& model, int k, int classes) {
  const auto position = static_cast<std::size_t>(k);
  host::MemoryAssociation& added = model.associations.emplace_back();
  added.name = k == 0 ? std::string(kRefinementAssociation) : std::string("r").append(std::to_string(k));
  added.id = added.name;
  added.first.name = std::string("a").append(std::to_string(k));
  added.first.supplier = &model.classes[static_cast<std::size_t>(k % classes)];
  added.first.multiplicity = kFirstMultiplicities[position % 4];
  added.first.navigable = k % 3 != 0;
  added.second.name = std::string("b").append(std::to_string(k));
  added.second.supplier = &model.classes[static_cast<std::size_t>((7 * k + 3) % classes)];
  added.second.multiplicity = kSecondMultiplicities[position % 4];
  added.second.navigable = true;
  added.tags.Set("TypeOfRoleB", k % 2 == 0 ? R"(\power)" : R"(\seq)");
  if (k % 2 == 1) added.tags.Set("TypeOfRoleA", R"(\power)");
  if (k % 5 == 0) added.tags.Set("RoleBInvariant", "b" + std::to_string(k) + R"( \neq \emptyset)");
  if (k == 0) {
    const std::string a = added.first.supplier->name, c = added.second.supplier->name;
    const std::string va = "c" + a.substr(1) + "a", vc = "c" + c.substr(1) + "a";
    added.tags.Set("Retrieve",
                   Lines({va + "0 = " + vc + "0", va + "3 = " + vc + "3", va + "4 = " + vc + "4"}));
  }
}

}  // namespace

void BuildSyntheticModel(host::MemoryModel& model, int classes) {
  if (classes < 4) throw std::invalid_argument("a synthetic model has at least 4 classes");
  for (int i = 0; i < classes; ++i) AddClass(model, i);
  // Every fifth class specialises the one before it.
  for (int i = 4; i < classes; i += 5)
    model.classes[static_cast<std::size_t>(i)].superclasses.push_back(
        &model.classes[static_cast<std::size_t>(i - 1)]);
  for (int k = 0; k < 2 * classes; ++k) AddAssociation(model, k, classes);

  host::MemoryClassDiagram& diagram = model.root.diagrams.emplace_back();
  diagram.name = "Main";
  for (const auto& added : model.classes) diagram.classes.push_back(&added);
  for (const auto& added : model.associations) diagram.associations.push_back(&added);
  model.selection.push_back(&ClassNamed(model, kPropertyClass));
}

const host::MemoryClass& ClassNamed(const host::MemoryModel& model, std::string_view name) {
  for (const auto& found : model.classes)
    if (found.name == name) return found;
  throw std::invalid_argument("the model has no class " + std::string(name));
}

const host::MemoryAssociation& AssociationNamed(const host::MemoryModel& model,
                                                std::string_view name) {
  for (const auto& found : model.associations)
    if (found.name == name) return found;
  throw std::invalid_argument("the model has no association " + std::string(name));
}

std::vector<std::string> AsciiLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find("\r\n", start);
    lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 2;
  }
  for (const auto& line : lines) {
    if (line.find_first_of("\r\n") != std::string::npos)
      throw std::invalid_argument("a text with a bare CR or LF: " + text);
    for (const char c : line)
      if (static_cast<unsigned char>(c) >= 0x80) throw std::invalid_argument("a text that is not ASCII: " + text);
  }
  return lines;
}

}  // namespace tarn::bench
