#include "petal_text.hpp"
#include "synthetic_model.hpp"

#include <cstdio>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

namespace tarn::bench {
namespace {

constexpr const char* kRoot = "Logical View";

// The quid of the element numbered `index` among those of one kind.
std::string Quid(int kind, std::size_t index) {
  char text[16];
  std::snprintf(text, sizeof text, "%X%011zX", static_cast<unsigned>(kind), index);
  return text;
}


// A quoted string with backslash escapes.
std::string Quoted(const std::string& text) {
  if (AsciiLines(text).size() != 1) throw std::invalid_argument("a name of several lines: " + text);
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '\\' || c == '"') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

struct Point {
  int x, y;
};

std::string Pair(Point point) {
  std::string pair = "(";
  pair.append(std::to_string(point.x)).append(", ").append(std::to_string(point.y)).append(")");
  return pair;
}

class Writer {
 public:
  explicit Writer(const host::MemoryModel& model) : model_(model) {
    std::size_t index = 0;
    for (const auto& cls : model.classes) class_numbers_[&cls] = index++;
  }

  std::string Run() {
    out_ += "\r\n(object Petal";
    Key(1, "version", "50");
    Key(1, "_written", Quoted("Rose 8.3.0407.2800"));
    Key(1, "charSet", "0");
    out_ += ")\r\n\r\n(object Design " + Quoted(kRoot);
    Key(1, "is_unit", "TRUE");
    Key(1, "is_loaded", "TRUE");
    Key(1, "quid", Quoted(Quid(0xA, 0)));
    Key(1, "root_category", "(object Class_Category " + Quoted(model_.root.name));
    Key(2, "quid", Quoted(Quid(0xA, 1)));
    Key(2, "exportControl", Quoted("Public"));
    Key(2, "global", "TRUE");
    Key(2, "logical_models", "(list unit_reference_list");
    for (const auto& cls : model_.classes) WriteClass(3, cls);
    std::size_t index = 0;
    for (const auto& association : model_.associations) WriteAssociation(3, association, index++);
    Close(3);
    Key(2, "logical_presentations", "(list unit_reference_list");
    index = 0;
    for (const auto& diagram : model_.root.diagrams) WriteDiagram(3, diagram, index++);
    Close(3);
    Close(2);  // root_category
    Close(1);  // Design
    out_ += "\r\n";
    return std::move(out_);
  }

 private:
  // Rose indents with four spaces per level, two levels to a TAB.
  void NewLine(int depth) {
    out_ += "\r\n";
    out_.append(static_cast<std::size_t>(depth / 2), '\t');
    if (depth % 2) out_ += "    ";
    in_block_ = false;
  }

  // "key    <TAB>value" on a new line; the value may open an object or list.
  void Key(int depth, const std::string& key, const std::string& value) {
    NewLine(depth);
    out_ += key;
    out_.append(key.size() < 11 ? 11 - key.size() : 1, ' ');
    out_ += "\t" + value;
  }

  void Open(int depth, const std::string& opening) {
    NewLine(depth);
    out_ += opening;
  }

  // Closes the object or list opened last; after a text block the closing
  // parenthesis takes a line of its own.
  void Close(int depth) {
    if (in_block_) NewLine(depth);
    out_ += ")";
  }

  // A text value: a quoted string, or a text block when it has line breaks,
  // a quote or a TAB, as Rose chooses.
  void TextValue(int depth, const std::string& key, const std::string& text) {
    const auto lines = AsciiLines(text);
    if (lines.size() == 1 && text.find_first_of("\"\t") == std::string::npos) {
      Key(depth, key, Quoted(text));
      return;
    }
    Key(depth, key, "");
    for (const auto& line : lines) out_ += "\r\n|" + line;
    in_block_ = true;
  }

  void Tags(int depth, const host::TaggedValues& tags) {
    bool any = false;
    for (const auto& entry : tags.entries) {
      if (!any) Key(depth, "attributes", "(list Attribute_Set");
      any = true;
      Open(depth + 1, "(object Attribute");
      Key(depth + 2, "tool", Quoted(entry.tool));
      Key(depth + 2, "name", Quoted(entry.name));
      TextValue(depth + 2, "value", entry.value);
      Close(depth + 2);
    }
    if (any) Close(depth + 1);
  }

  std::string Qualified(const host::MemoryClass& cls) const {
    return model_.root.name + "::" + cls.name;
  }

  std::size_t NumberOf(const host::MemoryClass* cls) const {
    const auto found = class_numbers_.find(cls);
    if (found == class_numbers_.end()) throw std::invalid_argument("a class outside the model");
    return found->second;
  }

  // The name of an object: "$UNNAMED$n" when it has none.
  std::string Name(const std::string& name) {
    return Quoted(name.empty() ? "$UNNAMED$" + std::to_string(unnamed_++) : name);
  }

  void WriteClass(int depth, const host::MemoryClass& cls) {
    const std::size_t number = NumberOf(&cls);
    Open(depth, "(object Class " + Name(cls.name));
    Tags(depth + 1, cls.tags);
    Key(depth + 1, "quid", Quoted(Quid(1, number)));
    if (!cls.superclasses.empty()) {
      Key(depth + 1, "superclasses", "(list inheritance_relationship_list");
      std::size_t k = 0;
      for (const auto* super : cls.superclasses) {
        Open(depth + 2, "(object Inheritance_Relationship");
        Key(depth + 3, "quid", Quoted(Quid(2, number * 16 + k++)));
        Key(depth + 3, "supplier", Quoted(Qualified(*super)));
        Key(depth + 3, "quidu", Quoted(Quid(1, NumberOf(super))));
        Close(depth + 3);
      }
      Close(depth + 2);
    }
    if (!cls.operations.empty()) {
      Key(depth + 1, "operations", "(list Operations");
      std::size_t j = 0;
      for (const auto& operation : cls.operations)
        WriteOperation(depth + 2, operation, number, j++);
      Close(depth + 2);
    }
    if (!cls.attributes.empty()) {
      Key(depth + 1, "class_attributes", "(list class_attribute_list");
      std::size_t j = 0;
      for (const auto& attribute : cls.attributes) {
        Open(depth + 2, "(object ClassAttribute " + Name(attribute.name));
        Tags(depth + 3, attribute.tags);
        Key(depth + 3, "quid", Quoted(Quid(3, number * 64 + j++)));
        if (!attribute.type.empty()) TextValue(depth + 3, "type", attribute.type);
        if (!attribute.initial.empty()) TextValue(depth + 3, "initv", attribute.initial);
        Close(depth + 3);
      }
      Close(depth + 2);
    }
    Close(depth + 1);
  }

  void WriteOperation(int depth, const host::MemoryOperation& operation, std::size_t number,
                      std::size_t j) {
    const std::size_t index = number * 64 + j;
    Open(depth, "(object Operation " + Name(operation.name));
    Tags(depth + 1, operation.tags);
    Key(depth + 1, "quid", Quoted(Quid(4, index)));
    if (!operation.parameters.empty()) {
      Key(depth + 1, "parameters", "(list Parameters");
      std::size_t k = 0;
      for (const auto& parameter : operation.parameters) {
        Open(depth + 2, "(object Parameter " + Name(parameter.name));
        Key(depth + 3, "quid", Quoted(Quid(5, index * 64 + k++)));
        if (!parameter.type.empty()) TextValue(depth + 3, "type", parameter.type);
        Close(depth + 3);
      }
      Close(depth + 2);
    }
    if (!operation.result.empty()) TextValue(depth + 1, "result", operation.result);
    Key(depth + 1, "concurrency", Quoted("Sequential"));
    for (const auto& [key, text] : {std::pair{"pre_condition", &operation.pre},
                                    std::pair{"post_condition", &operation.post}}) {
      if (text->empty()) continue;
      Key(depth + 1, key, "(object Semantic_Info");
      TextValue(depth + 2, "PDL", *text);
      Close(depth + 2);
    }
    Key(depth + 1, "opExportControl", Quoted("Public"));
    Key(depth + 1, "uid", "0");
    Close(depth + 1);
  }

  void WriteRole(int depth, const host::MemoryRole& role, std::size_t index) {
    Open(depth, "(object Role " + Name(role.name));
    Key(depth + 1, "quid", Quoted(Quid(7, index)));
    if (!role.name.empty()) Key(depth + 1, "label", Quoted(role.name));
    Key(depth + 1, "supplier", Quoted(Qualified(*role.supplier)));
    Key(depth + 1, "quidu", Quoted(Quid(1, NumberOf(role.supplier))));
    if (!role.multiplicity.empty())
      Key(depth + 1, "client_cardinality", "(value cardinality " + Quoted(role.multiplicity) + ")");
    if (role.navigable) Key(depth + 1, "is_navigable", "TRUE");
    Close(depth + 1);
  }

  void WriteAssociation(int depth, const host::MemoryAssociation& association, std::size_t index) {
    association_numbers_[&association] = index;
    Open(depth, "(object Association " + Name(association.name));
    Tags(depth + 1, association.tags);
    Key(depth + 1, "quid", Quoted(Quid(6, index)));
    Key(depth + 1, "roles", "(list role_list");
    WriteRole(depth + 2, association.first, 2 * index);
    WriteRole(depth + 2, association.second, 2 * index + 1);
    Close(depth + 2);
    Close(depth + 1);
  }

  // Classes are laid out on a grid of 40 columns.
  static Point PlaceOf(std::size_t number) {
    return {static_cast<int>(200 + 450 * (number % 40)),
            static_cast<int>(250 + 600 * (number / 40))};
  }

  // A label object of a view: an ItemLabel of a class or a SegLabel of a role.
  void Label(int depth, const std::string& kind, int parent, Point at, const std::string& text,
             int anchor) {
    Key(depth, "label", "(object " + kind + (anchor ? " @" + std::to_string(next_tag_++) : ""));
    Key(depth + 1, "Parent_View", "@" + std::to_string(parent));
    Key(depth + 1, "location", Pair(at));
    if (anchor) {
      Key(depth + 1, "anchor", std::to_string(anchor));
      Key(depth + 1, "anchor_loc", "1");
    }
    Key(depth + 1, "nlines", "1");
    Key(depth + 1, "max_width", anchor ? "60" : "300");
    Key(depth + 1, "justify", "0");
    Key(depth + 1, "label", Quoted(text));
    if (anchor) {
      Key(depth + 1, "pctDist", anchor == 1 ? "0.800000" : "0.900000");
      Key(depth + 1, "height", anchor == 1 ? "42" : "54");
      Key(depth + 1, "orientation", anchor == 1 ? "0" : "1");
    }
    Close(depth + 1);
  }

  void WriteClassView(int depth, const host::MemoryClass& cls) {
    const std::size_t number = NumberOf(&cls);
    const int tag = next_tag_++;
    view_tags_[&cls] = tag;
    const Point at = PlaceOf(number);
    Open(depth,
         "(object ClassView \"Class\" " + Quoted(Qualified(cls)) + " @" + std::to_string(tag));
    Key(depth + 1, "ShowCompartmentStereotypes", "TRUE");
    Key(depth + 1, "IncludeAttribute", "TRUE");
    Key(depth + 1, "IncludeOperation", "TRUE");
    Key(depth + 1, "location", Pair(at));
    Label(depth + 1, "ItemLabel", tag, {at.x - 150, at.y - 220}, cls.name, 0);
    Key(depth + 1, "icon_style", Quoted("Icon"));
    Key(depth + 1, "fill_color", "13434879");
    Key(depth + 1, "quidu", Quoted(Quid(1, number)));
    Key(depth + 1, "width", "320");
    Key(depth + 1, "height", "460");
    Key(depth + 1, "annotation", "8");
    Key(depth + 1, "autoResize", "TRUE");
    Close(depth + 1);
  }

  void WriteRoleView(int depth, const host::MemoryRole& role, std::size_t role_index, int parent,
                     Point middle) {
    const int tag = next_tag_++;
    const auto found = view_tags_.find(role.supplier);
    if (found == view_tags_.end())
      throw std::invalid_argument("an association to a class the diagram does not show");
    const Point end = PlaceOf(NumberOf(role.supplier));
    Open(depth, "(object RoleView " + Name(role.name) + " @" + std::to_string(tag));
    Key(depth + 1, "Parent_View", "@" + std::to_string(parent));
    Key(depth + 1, "location", Pair(middle));
    Key(depth + 1, "stereotype", "TRUE");
    Key(depth + 1, "line_color", "3342489");
    if (!role.name.empty())
      Label(depth + 1, "SegLabel", tag, {end.x + 40, end.y - 40}, "+" + role.name, 1);
    if (!role.multiplicity.empty())
      Label(depth + 1, "SegLabel", tag, {end.x + 60, end.y + 40}, role.multiplicity, 2);
    Key(depth + 1, "quidu", Quoted(Quid(7, role_index)));
    Key(depth + 1, "client", "@" + std::to_string(parent));
    Key(depth + 1, "supplier", "@" + std::to_string(found->second));
    Key(depth + 1, "vertices", "(list Points " + Pair(middle) + " " + Pair(end) + ")");
    Key(depth + 1, "line_style", "0");
    Close(depth + 1);
  }

  void WriteAssociationView(int depth, const host::MemoryAssociation& association) {
    const auto found = association_numbers_.find(&association);
    if (found == association_numbers_.end())
      throw std::invalid_argument("an association outside the model");
    const std::size_t index = found->second;
    const int tag = next_tag_++;
    const Point a = PlaceOf(NumberOf(association.first.supplier));
    const Point b = PlaceOf(NumberOf(association.second.supplier));
    const Point middle{(a.x + b.x) / 2, (a.y + b.y) / 2};
    Open(depth,
         "(object AssociationViewNew " + Quoted(association.name) + " @" + std::to_string(tag));
    Key(depth + 1, "location", Pair(middle));
    Key(depth + 1, "stereotype", "TRUE");
    Key(depth + 1, "line_color", "3342489");
    Key(depth + 1, "quidu", Quoted(Quid(6, index)));
    Key(depth + 1, "roleview_list", "(list RoleViews");
    WriteRoleView(depth + 2, association.first, 2 * index, tag, middle);
    WriteRoleView(depth + 2, association.second, 2 * index + 1, tag, middle);
    Close(depth + 2);
    Close(depth + 1);
  }

  void WriteDiagram(int depth, const host::MemoryClassDiagram& diagram, std::size_t index) {
    Open(depth, "(object ClassDiagram " + Quoted(diagram.name));
    Key(depth + 1, "quid", Quoted(Quid(0xB, index)));
    Key(depth + 1, "title", Quoted(diagram.name));
    Key(depth + 1, "zoom", "100");
    Key(depth + 1, "max_height", "28350");
    Key(depth + 1, "max_width", "21600");
    Key(depth + 1, "origin_x", "0");
    Key(depth + 1, "origin_y", "0");
    Key(depth + 1, "items", "(list diagram_item_list");
    view_tags_.clear();
    for (const auto* cls : diagram.classes)
      if (!view_tags_.count(cls)) WriteClassView(depth + 2, *cls);
    for (const auto* association : diagram.associations)
      WriteAssociationView(depth + 2, *association);
    Close(depth + 2);
    Close(depth + 1);
  }

  const host::MemoryModel& model_;
  std::unordered_map<const host::MemoryClass*, std::size_t> class_numbers_;
  std::unordered_map<const host::MemoryAssociation*, std::size_t> association_numbers_;
  std::unordered_map<const host::MemoryClass*, int> view_tags_;  // on the diagram being written
  std::string out_;
  bool in_block_ = false;  // the last line written is a line of a text block
  int unnamed_ = 0;
  int next_tag_ = 1;
};

}  // namespace

std::string PetalModelText(const host::MemoryModel& model) { return Writer(model).Run(); }

}  // namespace tarn::bench
