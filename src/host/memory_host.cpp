#include "host/memory_host.hpp"

namespace tarn::host {
namespace {

template <class Interface, class Container>
Items<Interface> View(const Container& records) {
  std::vector<const Interface*> items;
  items.reserve(records.size());
  for (const auto& record : records) items.push_back(&record);
  return Items<Interface>(std::move(items));
}

template <class Interface, class Record>
Items<Interface> View(const std::vector<const Record*>& records) {
  return Items<Interface>(std::vector<const Interface*>(records.begin(), records.end()));
}

}  // namespace

std::string TaggedValues::Find(std::string_view tool, std::string_view name) const {
  for (const auto& entry : entries)
    if (entry.tool == tool && entry.name == name) return entry.value;
  return {};
}

void TaggedValues::Set(std::string name, std::string value) {
  entries.push_back({std::string(kTool), std::move(name), std::move(value)});
}

Items<Parameter> MemoryOperation::OperationParameters() const {
  return View<Parameter>(parameters);
}
Items<Attribute> MemoryClass::ClassAttributes() const {
  CheckAvailable(unavailable);
  return View<Attribute>(attributes);
}
Items<Operation> MemoryClass::ClassOperations() const {
  CheckAvailable(unavailable);
  return View<Operation>(operations);
}
Items<Class> MemoryClass::Superclasses() const {
  CheckAvailable(unavailable);
  return View<Class>(superclasses);
}
Items<Class> MemoryClassDiagram::AllClasses() const { return View<Class>(classes); }
Items<Association> MemoryClassDiagram::ClassAssociations() const {
  return View<Association>(associations);
}
Items<ClassDiagram> MemoryPackage::ClassDiagrams() const { return View<ClassDiagram>(diagrams); }

}  // namespace tarn::host
