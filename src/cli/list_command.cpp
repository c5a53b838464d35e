// tarn list: the classes, associations and class diagrams of a model, one a
// line, with the ids and names that --select and --diagram take and what
// each command can take: the classes with Properties (property-check), the
// associations with a Retrieve (refinement-check), the class diagrams with
// their number of classes (objectz).
#include <algorithm>
#include <iostream>
#include <map>
#include <set>

#include "cli/commands.hpp"
#include "cli/item_names.hpp"

namespace tarn::cli {
namespace {

struct Row {
  std::string kind;
  std::string id;
  std::string mark;
  std::string name;
};

// The name --diagram takes: the diagram's own name, or its name below the
// root package when another diagram has the same name.
std::vector<std::pair<const host::MemoryClassDiagram*, std::string>> DiagramNames(
    const host::MemoryModel& model, const ItemNames& names) {
  std::vector<const host::MemoryClassDiagram*> all;
  for (const auto& d : model.root.diagrams) all.push_back(&d);
  for (const auto& d : model.packageDiagrams) all.push_back(&d);
  std::map<std::string, int> uses;
  for (const auto* d : all) ++uses[d->name];
  std::vector<std::pair<const host::MemoryClassDiagram*, std::string>> named;
  const auto rootLength = names.Utf8(model.root.name).size() + 2;
  for (const auto* d : all)
    named.emplace_back(d, uses[d->name] > 1 ? names.Qualified(*d).substr(rootLength) : names.Utf8(d->name));
  return named;
}

std::string ClassMark(const host::MemoryClass& c) {
  if (!c.unavailable.empty()) return "not loaded";
  if (!c.standsFor.empty()) return "stand-in";
  return c.tags.Find(host::kTool, "Properties").empty() ? "-" : "Properties";
}

// What a reader makes up for a reference that leads nowhere, which no one
// can select: it has neither an id nor a name.
bool Placeholder(const host::MemoryClass& c) { return !c.unavailable.empty() && c.id.empty() && c.name.empty(); }

std::string AssociationMark(const host::MemoryAssociation& a) {
  if (!a.unavailable.empty()) return "not loaded";
  return a.tags.Find(host::kTool, "Retrieve").empty() ? "-" : "Retrieve";
}

void PrintRows(const std::vector<Row>& rows) {
  std::size_t kind = 0, id = 0, mark = 0;
  for (const auto& row : rows) {
    kind = std::max(kind, row.kind.size());
    id = std::max(id, row.id.size());
    mark = std::max(mark, row.mark.size());
  }
  for (const auto& row : rows)
    std::cout << row.kind << std::string(kind - row.kind.size() + 2, ' ') << row.id
              << std::string(id - row.id.size() + 2, ' ') << row.mark
              << std::string(mark - row.mark.size() + 2, ' ') << row.name << "\n";
}

}  // namespace

int RunList(const Options& options) {
  auto listed = options;
  listed.diagram.clear();  // chosen below, without reordering the model's diagrams
  auto loaded = LoadModel(listed);
  const auto& model = loaded.Model();
  const ItemNames names(model);
  auto diagrams = DiagramNames(model, names);

  // With --diagram, only that diagram and what it shows.
  std::set<const void*> shown;
  if (!options.diagram.empty()) {
    const auto& chosen = loaded.FindDiagram(options.diagram);
    std::erase_if(diagrams, [&](const auto& d) { return d.first != &chosen; });
    for (const auto* c : chosen.classes) shown.insert(c);
    for (const auto* a : chosen.associations) shown.insert(a);
  }
  const auto included = [&](const void* item) { return options.diagram.empty() || shown.count(item) > 0; };

  if (options.ids) {
    const auto print = [&](const std::string& id, const std::string& name) {
      std::cout << id << (options.described ? "\t" + name : "") << "\n";
    };
    for (const auto& c : model.classes)
      if (included(&c) && c.unavailable.empty() && c.standsFor.empty() && !c.id.empty())
        print(c.id, names.Qualified(c));
    for (const auto& a : model.associations)
      if (included(&a) && a.unavailable.empty() && !a.id.empty()) print(a.id, names.Qualified(a));
    return kSuccess;
  }
  if (options.diagramNames) {
    for (const auto& [diagram, name] : diagrams) std::cout << name << "\n";
    return kSuccess;
  }

  std::vector<Row> rows;
  for (const auto& c : model.classes)
    if (included(&c) && !Placeholder(c))
      rows.push_back({"class", c.id, ClassMark(c),
                      names.Qualified(c) + (c.standsFor.empty() ? "" : " (" + c.standsFor + ")")});
  for (const auto& a : model.associations)
    if (included(&a)) rows.push_back({"association", a.id, AssociationMark(a), names.Qualified(a)});
  for (const auto& [diagram, name] : diagrams) {
    const auto count = diagram->classes.size();
    rows.push_back({"diagram", name, std::to_string(count) + (count == 1 ? " class" : " classes"),
                    names.Qualified(*diagram)});
  }
  PrintRows(rows);
  return kSuccess;
}

}  // namespace tarn::cli
