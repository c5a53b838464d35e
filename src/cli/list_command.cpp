// tarn list: the classes, associations and class diagrams of a model, one a
// line, with the ids and names that --select and --diagram take and what
// each command can take: the classes with Properties (property-check), the
// associations with a Retrieve (refinement-check), the class diagrams with
// their number of classes (objectz).
#include <sys/ioctl.h>
#include <unistd.h>

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

// The characters of a UTF-8 text, as a terminal shows them one a column.
std::size_t Columns(std::string_view text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// The text cut to `width` columns, ending in "…" when it was longer.
std::string CutTo(const std::string& text, std::size_t width) {
  if (Columns(text) <= width || width == 0) return text;
  std::string cut;
  std::size_t columns = 0;
  for (const char c : text) {
    const bool starts = (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    if (starts && ++columns == width) break;
    cut += c;
  }
  return cut + "\xE2\x80\xA6";
}

// The width of the terminal that standard output is; 0 for none.
std::size_t TerminalWidth() {
  winsize size{};
  if (::isatty(STDOUT_FILENO) != 1 || ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0) return 0;
  return size.ws_col;
}

// Columns as wide as their widest entry; the diagrams, whose names may be
// long, are aligned among themselves so that a long diagram name does not
// widen the items' columns. On a terminal each line is cut to its width (the
// qualified name, last, is what is cut).
void PrintRows(const std::vector<Row>& rows) {
  std::size_t kind = 0, id[2] = {0, 0}, mark[2] = {0, 0};
  const auto group = [](const Row& row) { return row.kind == "diagram" ? 1 : 0; };
  for (const auto& row : rows) {
    kind = std::max(kind, row.kind.size());
    id[group(row)] = std::max(id[group(row)], Columns(row.id));
    mark[group(row)] = std::max(mark[group(row)], Columns(row.mark));
  }
  const auto pad = [](const std::string& text, std::size_t width) {
    return text + std::string(width - Columns(text) + 2, ' ');
  };
  const auto width = TerminalWidth();
  for (const auto& row : rows)
    std::cout << CutTo(pad(row.kind, kind) + pad(row.id, id[group(row)]) + pad(row.mark, mark[group(row)]) + row.name,
                       width)
              << "\n";
}

// What --select takes for an item, with its name beside an id that is not
// the name: "Reg (3A5F0C1E0010)".
template <class Item>
std::string Selectable(const Item& item, const ItemNames& names) {
  const auto name = names.Utf8(item.name);
  return name.empty() || name == item.id ? item.id : name + " (" + item.id + ")";
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
    const bool classes = options.listFor != "refinement-check";
    const bool associations = options.listFor != "property-check";
    for (const auto& c : model.classes)
      if (classes && included(&c) && c.unavailable.empty() && c.standsFor.empty() && !c.id.empty())
        print(c.id, names.Qualified(c));
    for (const auto& a : model.associations)
      if (associations && included(&a) && a.unavailable.empty() && !a.id.empty()) print(a.id, names.Qualified(a));
    return kSuccess;
  }
  if (options.diagramNames) {
    for (const auto& [diagram, name] : diagrams) std::cout << name << "\n";
    return kSuccess;
  }

  std::vector<Row> rows;
  for (const auto& c : model.classes)
    if (included(&c) && !Placeholder(c))
      rows.push_back({"class", Selectable(c, names), ClassMark(c),
                      names.Qualified(c) + (c.standsFor.empty() ? "" : " (" + c.standsFor + ")")});
  for (const auto& a : model.associations)
    if (included(&a)) rows.push_back({"association", Selectable(a, names), AssociationMark(a), names.Qualified(a)});
  // The first diagram of the root package is the one objectz translates
  // without --diagram.
  const auto* objectzDefault = model.root.diagrams.empty() ? nullptr : &model.root.diagrams.front();
  for (const auto& [diagram, name] : diagrams) {
    const auto count = diagram->classes.size();
    rows.push_back({"diagram", name,
                    std::to_string(count) + (count == 1 ? " class" : " classes") +
                        (diagram == objectzDefault ? ", objectz" : ""),
                    names.Qualified(*diagram)});
  }
  PrintRows(rows);
  return kSuccess;
}

}  // namespace tarn::cli
