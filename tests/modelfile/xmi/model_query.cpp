#include "modelfile/xmi/model_query.hpp"

#include <sstream>
#include <stdexcept>
#include <vector>

namespace tarn::modelfile::testing {
namespace {

std::vector<std::string> Words(const std::string& query) {
  std::vector<std::string> words;
  std::stringstream in(query);
  for (std::string word; std::getline(in, word, '|');) words.push_back(word);
  return words;
}

const host::MemoryClass& ClassNamed(const XmiModel& model, const std::string& name) {
  for (const XmiItem& item : model.items)
    if (const auto* found = dynamic_cast<const host::MemoryClass*>(item.element); found && item.name == name)
      return *found;
  throw std::out_of_range("no class " + name);
}

const host::MemoryOperation& OperationNamed(const host::MemoryClass& owner, const std::string& name) {
  for (const auto& operation : owner.operations)
    if (operation.name == name) return operation;
  throw std::out_of_range("no operation " + name);
}

std::string Role(const host::MemoryRole& role) {
  return role.name + ":" + role.RoleSupplierName() + ":" + role.multiplicity + ":" +
         (role.navigable ? "true" : "false");
}

std::string Diagram(const host::MemoryClassDiagram& diagram) {
  return diagram.name + "=" + std::to_string(diagram.classes.size()) + "/" +
         std::to_string(diagram.associations.size());
}

}  // namespace

std::string Query(const XmiModel& model, const std::string& query) {
  const std::vector<std::string> q = Words(query);
  std::string out;
  const auto add = [&](const std::string& text, const char* separator = ", ") {
    out += (out.empty() ? "" : separator) + text;
  };
  if (q[0] == "classes") {
    int count = 0;
    for (const XmiItem& item : model.items) count += dynamic_cast<const host::MemoryClass*>(item.element) != nullptr;
    return std::to_string(count);
  }
  if (q[0] == "diagrams") {
    for (const auto& diagram : model.app->model.root.diagrams) add(Diagram(diagram), "; ");
    for (const auto& diagram : model.app->model.packageDiagrams) add(Diagram(diagram), "; ");
    return out;
  }
  if (q[0] == "association") {
    for (const XmiItem& item : model.items) {
      const auto* found = dynamic_cast<const host::MemoryAssociation*>(item.element);
      if (found == nullptr || (item.id != q[1] && item.name != q[1])) continue;
      const auto& association = *found;
      if (q.size() > 2) return association.TaggedValue("Tarn", q[3]);
      return Role(association.first) + " / " + Role(association.second);
    }
    throw std::out_of_range("no association " + q[1]);
  }
  const host::MemoryClass& owner = ClassNamed(model, q[1]);
  const std::string& what = q[2];
  if (what == "attributes")
    for (const auto& attribute : owner.attributes)
      add(attribute.name + ":" + attribute.type + (attribute.initial.empty() ? "" : "=" + attribute.initial));
  if (what == "superclasses")
    for (const host::MemoryClass* superclass : owner.superclasses) add(superclass->ElementName());
  if (what == "tag") return owner.TaggedValue("Tarn", q[3]);
  if (what == "pre") return OperationNamed(owner, q[3]).pre;
  if (what == "post") return OperationNamed(owner, q[3]).post;
  if (what == "operation") {
    const auto& operation = OperationNamed(owner, q[3]);
    for (const auto& parameter : operation.parameters) add(parameter.name + ":" + parameter.type);
    return "(" + out + ") -> " + operation.result;
  }
  return out;
}

}  // namespace tarn::modelfile::testing
