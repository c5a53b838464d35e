#include "xmi_text.hpp"

#include <map>
#include <stdexcept>
#include <unordered_map>

#include "synthetic_model.hpp"

namespace tarn::bench {
namespace {

// A text for an attribute value or element content: the XML escapes, and
// line breaks (CR LF in the host) as the tools write them.
std::string Escaped(const std::string& text, bool attribute) {
  std::string out;
  const auto lines = AsciiLines(text);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) out += attribute ? "&#xA;" : "\n";
    for (const char c : lines[i]) {
      switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += attribute ? "&quot;" : "\""; break;
        case '\t': out += attribute ? "&#x9;" : "\t"; break;
        default: out += c;
      }
    }
  }
  return out;
}

std::string Attr(const std::string& text) { return Escaped(text, true); }

class Writer {
 public:
  Writer(const host::MemoryModel& model, const std::string& model_file)
      : model_(model), file_(model_file) {
    std::size_t index = 0;
    for (const auto& cls : model.classes) class_ids_[&cls] = "c" + std::to_string(index++);
    index = 0;
    for (const auto& association : model.associations)
      association_ids_[&association] = "r" + std::to_string(index++);
  }

  XmiFiles Run() {
    out_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<xmi:XMI xmi:version=\"20131001\" xmlns:xmi=\"http://www.omg.org/spec/XMI/20131001\" "
           "xmlns:Tarn=\"http:///schemas/Tarn/_tarnEPackage0RzcEfGq2NkT5wUcA/0\" "
           "xmlns:uml=\"http://www.eclipse.org/uml2/5.0.0/UML\">\n"
           "  <uml:Model xmi:id=\"model\" name=\"" + Attr(model_.root.name) + "\">\n";
    for (const auto& cls : model_.classes) WriteClass(cls);
    for (const auto& association : model_.associations) WriteAssociation(association);
    for (const auto& [type, id] : types_)
      out_ += "    <packagedElement xmi:type=\"uml:PrimitiveType\" xmi:id=\"" + id + "\" name=\"" +
              Attr(type) + "\"/>\n";
    out_ += "  </uml:Model>\n" + applications_ + "</xmi:XMI>\n";
    return {std::move(out_), Notation()};
  }

 private:
  const std::string& TypeId(const std::string& type) {
    auto [entry, added] = types_.try_emplace(type, "t" + std::to_string(types_.size()));
    return entry->second;
  }

  // Tarn's tagged values of one element, as a stereotype application.
  void Apply(const char* stereotype, const char* base, const std::string& id,
             const host::TaggedValues& tags) {
    if (tags.entries.empty()) return;
    applications_ += std::string("  <Tarn:") + stereotype + " xmi:id=\"" + id + "-s\" " + base + "=\"" + id + "\"";
    for (const auto& entry : tags.entries) applications_ += " " + entry.name + "=\"" + Attr(entry.value) + "\"";
    applications_ += "/>\n";
  }

  void WriteClass(const host::MemoryClass& cls) {
    const std::string& id = class_ids_.at(&cls);
    out_ += "    <packagedElement xmi:type=\"uml:Class\" xmi:id=\"" + id + "\" name=\"" + Attr(cls.name) + "\">\n";
    std::size_t k = 0;
    for (const auto* super : cls.superclasses)
      out_ += "      <generalization xmi:type=\"uml:Generalization\" xmi:id=\"" + id + "-g" + std::to_string(k++) +
              "\" general=\"" + class_ids_.at(super) + "\"/>\n";
    k = 0;
    for (const auto& attribute : cls.attributes) {
      const std::string a = id + "-a" + std::to_string(k++);
      out_ += "      <ownedAttribute xmi:type=\"uml:Property\" xmi:id=\"" + a + "\" name=\"" + Attr(attribute.name) +
              "\" type=\"" + TypeId(attribute.type) + "\"";
      if (attribute.initial.empty()) {
        out_ += "/>\n";
      } else {
        out_ += ">\n        <defaultValue xmi:type=\"uml:LiteralString\" xmi:id=\"" + a + "-d\" value=\"" +
                Attr(attribute.initial) + "\"/>\n      </ownedAttribute>\n";
      }
      Apply("TarnAttribute", "base_Property", a, attribute.tags);
    }
    k = 0;
    for (const auto& operation : cls.operations) WriteOperation(operation, id + "-o" + std::to_string(k++));
    out_ += "    </packagedElement>\n";
    Apply("TarnClass", "base_Class", id, cls.tags);
  }

  void WriteOperation(const host::MemoryOperation& operation, const std::string& o) {
    out_ += "      <ownedOperation xmi:type=\"uml:Operation\" xmi:id=\"" + o + "\" name=\"" + Attr(operation.name) + "\"";
    if (!operation.pre.empty()) out_ += " precondition=\"" + o + "-pre\"";
    if (!operation.post.empty()) out_ += " postcondition=\"" + o + "-post\"";
    out_ += ">\n";
    for (const auto& [kind, text] : {std::pair{"pre", &operation.pre}, std::pair{"post", &operation.post}}) {
      if (text->empty()) continue;
      out_ += std::string("        <ownedRule xmi:type=\"uml:Constraint\" xmi:id=\"") + o + "-" + kind + "\" name=\"" +
              kind + "\">\n          <specification xmi:type=\"uml:OpaqueExpression\" xmi:id=\"" + o + "-" + kind +
              "-s\">\n            <language>LaTeX</language>\n            <body>" + Escaped(*text, false) +
              "</body>\n          </specification>\n        </ownedRule>\n";
    }
    std::size_t k = 0;
    for (const auto& parameter : operation.parameters)
      out_ += "        <ownedParameter xmi:type=\"uml:Parameter\" xmi:id=\"" + o + "-p" + std::to_string(k++) +
              "\" name=\"" + Attr(parameter.name) + "\" type=\"" + TypeId(parameter.type) + "\"/>\n";
    if (!operation.result.empty())
      out_ += "        <ownedParameter xmi:type=\"uml:Parameter\" xmi:id=\"" + o + "-r\" type=\"" +
              TypeId(operation.result) + "\" direction=\"return\"/>\n";
    out_ += "      </ownedOperation>\n";
    Apply("TarnOperation", "base_Operation", o, operation.tags);
  }

  // A multiplicity text ("1", "0..1", "0..n") as its bounds. No bounds at
  // all would be UML's default 1: an empty one is two empty strings.
  static std::string Bounds(const std::string& multiplicity, const std::string& end) {
    if (multiplicity.empty())
      return "        <lowerValue xmi:type=\"uml:LiteralString\" xmi:id=\"" + end + "-l\"/>\n" +
             "        <upperValue xmi:type=\"uml:LiteralString\" xmi:id=\"" + end + "-u\"/>\n";
    const auto dots = multiplicity.find("..");
    const std::string lower = multiplicity.substr(0, dots);
    std::string upper = dots == std::string::npos ? lower : multiplicity.substr(dots + 2);
    if (upper == "n") upper = "*";
    return "        <lowerValue xmi:type=\"uml:LiteralInteger\" xmi:id=\"" + end + "-l\"" +
           (lower == "0" ? "" : " value=\"" + lower + "\"") + "/>\n" +
           "        <upperValue xmi:type=\"uml:LiteralUnlimitedNatural\" xmi:id=\"" + end + "-u\" value=\"" + upper +
           "\"/>\n";
  }

  void WriteAssociation(const host::MemoryAssociation& association) {
    const std::string& id = association_ids_.at(&association);
    std::string navigable;
    if (association.first.navigable) navigable += id + "-a";
    if (association.second.navigable) navigable += (navigable.empty() ? "" : " ") + id + "-b";
    out_ += "    <packagedElement xmi:type=\"uml:Association\" xmi:id=\"" + id + "\" name=\"" +
            Attr(association.name) + "\" memberEnd=\"" + id + "-a " + id + "-b\"" +
            (navigable.empty() ? "" : " navigableOwnedEnd=\"" + navigable + "\"") + ">\n";
    for (const auto& [end, role] : {std::pair{id + "-a", &association.first}, std::pair{id + "-b", &association.second}})
      out_ += "      <ownedEnd xmi:type=\"uml:Property\" xmi:id=\"" + end + "\" name=\"" + Attr(role->name) +
              "\" type=\"" + class_ids_.at(role->supplier) + "\" association=\"" + id + "\">\n" +
              Bounds(role->multiplicity, end) + "      </ownedEnd>\n";
    out_ += "    </packagedElement>\n";
    Apply("TarnAssociation", "base_Association", id, association.tags);
  }

  // The first class diagram as Papyrus's notation: a shape per class with its
  // compartments, an edge per association.
  std::string Notation() const {
    if (model_.root.diagrams.empty()) throw std::invalid_argument("a model without a class diagram");
    const host::MemoryClassDiagram& diagram = model_.root.diagrams.front();
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<notation:Diagram xmi:version=\"2.0\" xmlns:xmi=\"http://www.omg.org/XMI\" "
        "xmlns:notation=\"http://www.eclipse.org/gmf/runtime/1.0.3/notation\" "
        "xmlns:uml=\"http://www.eclipse.org/uml2/5.0.0/UML\" xmi:id=\"d\" type=\"PapyrusUMLClassDiagram\" name=\"" +
        Attr(diagram.name) + "\" measurementUnit=\"Pixel\">\n";
    for (const auto* cls : diagram.classes) {
      const std::string& id = class_ids_.at(cls);
      out += "  <children xmi:type=\"notation:Shape\" xmi:id=\"s" + id + "\" type=\"Class_Shape\">\n"
             "    <children xmi:type=\"notation:DecorationNode\" xmi:id=\"s" + id + "-n\" type=\"Class_NameLabel\"/>\n";
      for (const char* compartment : {"Attribute", "Operation", "NestedClassifier"})
        out += std::string("    <children xmi:type=\"notation:BasicCompartment\" xmi:id=\"s") + id + "-" +
               compartment + "\" type=\"Class_" + compartment + "Compartment\">\n"
               "      <layoutConstraint xmi:type=\"notation:Bounds\" xmi:id=\"s" + id + "-" + compartment + "-b\"/>\n"
               "    </children>\n";
      out += "    <element xmi:type=\"uml:Class\" href=\"" + file_ + "#" + id + "\"/>\n"
             "    <layoutConstraint xmi:type=\"notation:Bounds\" xmi:id=\"s" + id + "-b\" x=\"40\" y=\"40\"/>\n"
             "  </children>\n";
    }
    out += "  <styles xmi:type=\"notation:DiagramStyle\" xmi:id=\"d-s\"/>\n"
           "  <element xmi:type=\"uml:Model\" href=\"" + file_ + "#model\"/>\n";
    for (const auto* association : diagram.associations) {
      const std::string& id = association_ids_.at(association);
      out += "  <edges xmi:type=\"notation:Connector\" xmi:id=\"e" + id + "\" type=\"Association_Edge\" source=\"s" +
             class_ids_.at(association->first.supplier) + "\" target=\"s" + class_ids_.at(association->second.supplier) +
             "\">\n    <children xmi:type=\"notation:DecorationNode\" xmi:id=\"e" + id +
             "-n\" type=\"Association_NameLabel\"/>\n    <element xmi:type=\"uml:Association\" href=\"" + file_ + "#" +
             id + "\"/>\n  </edges>\n";
    }
    return out + "</notation:Diagram>\n";
  }

  const host::MemoryModel& model_;
  const std::string file_;
  std::unordered_map<const host::MemoryClass*, std::string> class_ids_;
  std::unordered_map<const host::MemoryAssociation*, std::string> association_ids_;
  std::map<std::string, std::string> types_;  // type text -> id
  std::string out_;
  std::string applications_;
};

}  // namespace

XmiFiles XmiModelText(const host::MemoryModel& model, const std::string& model_file) {
  return Writer(model, model_file).Run();
}

}  // namespace tarn::bench
