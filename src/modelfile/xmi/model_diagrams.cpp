// The class diagrams of an XMI model. They come from the first source the
// model has: a Papyrus .notation file beside it, Enterprise Architect's own
// diagram list, UML DI diagrams in the file; without any, every package that
// holds classes is read as a diagram of them.
#include <filesystem>
#include <unordered_set>

#include "modelfile/xmi/model_builder.hpp"
#include "modelfile/xmi/model_collector.hpp"

namespace tarn::modelfile::xmi {

void ModelBuilder::AddDiagrams() {
  std::vector<OwnedDiagram> diagrams;
  // The .notation files beside the model file and beside each of its units.
  std::vector<DiagramRecord> notation = NotationDiagrams(0);
  for (const int unit : unit_files_)
    for (DiagramRecord& diagram : NotationDiagrams(unit)) notation.push_back(std::move(diagram));
  const std::vector<DiagramRecord>* records = nullptr;
  if (!notation.empty()) {
    records = &notation;
  } else if (!records_.ea_diagrams.empty()) {
    records = &records_.ea_diagrams;
  } else if (!records_.umldi_diagrams.empty()) {
    records = &records_.umldi_diagrams;
  }
  if (records != nullptr)
    for (const DiagramRecord& record : *records) diagrams.push_back(Diagram(record));
  else
    diagrams = FallbackDiagrams();
  PlaceDiagrams(std::move(diagrams));
}

// The class diagrams of the .notation file beside a file of the model (same
// name), when there is one; the file is added to the model's files.
std::vector<DiagramRecord> ModelBuilder::NotationDiagrams(int model_file) {
  const std::string& model = model_->files[static_cast<std::size_t>(model_file)];
  std::filesystem::path notation(model);
  notation.replace_extension(".notation");
  std::error_code error;
  if (notation == std::filesystem::path(model) || !std::filesystem::is_regular_file(notation, error))
    return {};
  const int file = static_cast<int>(model_->files.size());
  model_->files.push_back(notation.string());
  return CollectNotationDiagrams(notation.string(), file);
}

// The package that owns a diagram: the package of the element the diagram
// names as its owner, else the package that holds it, else the root.
int ModelBuilder::OwnerPackage(const DiagramRecord& diagram) const {
  const std::string id = LocalId(diagram.owner);
  if (!id.empty()) {
    if (const auto found = package_by_id_.find(id); found != package_by_id_.end()) return found->second;
    if (const int* found = class_by_id_.Find(id))
      return PackageOf(records_.classes[static_cast<std::size_t>(*found)].name_space);
    if (const auto found = records_.named.find(id); found != records_.named.end() &&
                                                    found->second.name_space != kNone)
      return PackageOf(found->second.name_space);
  }
  if (diagram.holder != kNone) return PackageOf(diagram.holder);
  return root_;
}

// The qualified name of a package (or class) below the root package ("" for the root).
std::string ModelBuilder::BelowRoot(int package) const {
  if (package == root_ || package == kNone) return {};
  const std::string& root = qualified_[root_];
  const std::string& qualified = qualified_[package];
  if (qualified.size() > root.size() + 2 && qualified.compare(0, root.size(), root) == 0 &&
      qualified.compare(root.size(), 2, "::") == 0)
    return qualified.substr(root.size() + 2);
  return qualified;
}

ModelBuilder::OwnedDiagram ModelBuilder::Diagram(const DiagramRecord& record) {
  const int owner = OwnerPackage(record);
  host::MemoryClassDiagram diagram;
  diagram.name = Text(record.name, record.place);
  diagram.package = Text(BelowRoot(owner), record.place);
  diagram.place = {static_cast<std::uint32_t>(record.place.file), static_cast<std::uint32_t>(record.place.line),
                   static_cast<std::uint32_t>(record.place.column)};
  std::unordered_set<const void*> shown;
  int left_out = 0;
  for (const Reference& reference : record.shown) {
    const std::string id = LocalId(reference);
    if (const int* found = class_by_id_.Find(id)) {
      const host::MemoryClass* model_class = classes_[static_cast<std::size_t>(*found)];
      if (shown.insert(model_class).second) diagram.classes.push_back(model_class);
    } else if (host::MemoryAssociation* const* association = association_by_id_.Find(id)) {
      if (shown.insert(*association).second) diagram.associations.push_back(*association);
    } else {
      const auto named = records_.named.find(id);
      const bool stub = named != records_.named.end() && named->second.metaclass == "EAStub";
      if (stub || !records_.HasId(id)) ++left_out;
    }
  }
  if (left_out > 0)
    warn_(Located(record.place) + ": warning: class diagram \"" + record.name + "\" shows " + std::to_string(left_out) +
          (left_out == 1 ? " element that is" : " elements that are") +
          " not in the file; the diagram is read without " + (left_out == 1 ? "it" : "them"));
  return {std::move(diagram), owner};
}

// Without diagrams, each package that holds classes stands for a diagram of
// its classes and of the associations between them.
std::vector<ModelBuilder::OwnedDiagram> ModelBuilder::FallbackDiagrams() {
  std::vector<OwnedDiagram> diagrams;
  std::unordered_map<int, std::size_t> diagram_of;  // package namespace record -> diagram
  for (std::size_t i = 0; i < records_.classes.size(); ++i) {
    const int package = records_.classes[i].package;
    if (package == kNone) continue;
    auto [entry, added] = diagram_of.try_emplace(package, diagrams.size());
    if (added) diagrams.emplace_back(host::MemoryClassDiagram(), package);
    diagrams[entry->second].first.classes.push_back(classes_[i]);
  }
  // Diagrams in the order of their packages in the file.
  std::vector<OwnedDiagram> ordered;
  for (int package : records_.packages) {
    const auto found = diagram_of.find(package);
    if (found == diagram_of.end()) continue;
    OwnedDiagram& owned = diagrams[found->second];
    host::MemoryClassDiagram& diagram = owned.first;
    diagram.name = Text(records_.namespaces[package].name, {1, 1});
    diagram.package = Text(BelowRoot(package), {1, 1});
    const std::unordered_set<const host::MemoryClass*> members(diagram.classes.begin(), diagram.classes.end());
    for (const host::MemoryAssociation* association : associations_)
      if (association->unavailable.empty() && members.count(association->first.supplier) &&
          members.count(association->second.supplier))
        diagram.associations.push_back(association);
    ordered.push_back(std::move(owned));
  }
  if (!ordered.empty())
    warn_(path_ + ": warning: the file has no class diagram; each package that holds classes is read as a "
                  "class diagram of them, named like the package");
  return ordered;
}

// The first class diagram, the one a document translates unless told
// otherwise: the first owned by the root package that shows a class, else the
// first that shows a class, else the first. It leads the root package's
// diagrams; the other packages' diagrams follow in the model.
void ModelBuilder::PlaceDiagrams(std::vector<OwnedDiagram> diagrams) {
  if (diagrams.empty()) return;
  std::size_t first = diagrams.size();
  for (std::size_t i = 0; i < diagrams.size() && first == diagrams.size(); ++i)
    if (diagrams[i].second == root_ && !diagrams[i].first.classes.empty()) first = i;
  for (std::size_t i = 0; i < diagrams.size() && first == diagrams.size(); ++i)
    if (!diagrams[i].first.classes.empty()) first = i;
  if (first == diagrams.size()) first = 0;
  model_->root.diagrams.push_back(std::move(diagrams[first].first));
  for (std::size_t i = 0; i < diagrams.size(); ++i) {
    if (i == first) continue;
    auto& target = diagrams[i].second == root_ ? model_->root.diagrams : model_->packageDiagrams;
    target.push_back(std::move(diagrams[i].first));
  }
}

}  // namespace tarn::modelfile::xmi
