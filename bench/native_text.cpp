#include "native_text.hpp"
#include "synthetic_model.hpp"

#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

namespace tarn::bench {
namespace {

// The lines of a text whose line ends are CR LF; checks that the block style
// states it exactly.
std::vector<std::string> TextLines(const std::string& text) {
  auto lines = AsciiLines(text);
  if (lines.size() > 1 &&
      ((!lines.front().empty() && lines.front().front() == ' ') || lines.back().empty()))
    throw std::invalid_argument("a text the block style cannot state: " + text);
  return lines;
}

// A one-line text as a single-quoted scalar.
std::string Quoted(const std::string& text) {
  if (TextLines(text).size() != 1) throw std::invalid_argument("a text of several lines: " + text);
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("''") : std::string(1, c);
  return quoted + "'";
}

class Writer {
 public:
  explicit Writer(const host::MemoryModel& model) : model_(model) {
    for (const auto& cls : model.classes) ids_[&cls] = cls.id.empty() ? cls.name : cls.id;
    for (const auto& association : model.associations)
      ids_[&association] = association.id.empty() ? association.name : association.id;
  }

  std::string Run() {
    out_ += "tarn-model: 1\n";
    out_ += "selection: [";
    for (std::size_t i = 0; i < model_.selection.size(); ++i)
      out_ += (i ? ", " : "") + Quoted(IdOf(model_.selection[i]));
    out_ += "]\ndiagrams:\n";
    for (const auto& diagram : model_.root.diagrams) {
      out_ += "  - name: " + Quoted(diagram.name) + "\n    classes:\n";
      for (const auto* cls : diagram.classes) out_ += "      - " + Quoted(IdOf(cls)) + "\n";
      out_ += "    associations:\n";
      for (const auto* association : diagram.associations)
        out_ += "      - " + Quoted(IdOf(association)) + "\n";
    }
    out_ += "classes:\n";
    for (const auto& cls : model_.classes) WriteClass(cls);
    out_ += "associations:\n";
    for (const auto& association : model_.associations) WriteAssociation(association);
    return std::move(out_);
  }

 private:
  const std::string& IdOf(const host::Element* element) const {
    const auto found = ids_.find(element);
    if (found == ids_.end()) throw std::invalid_argument("a reference outside the model");
    return found->second;
  }

  // "key: value" at `indent`, or nothing for an empty text.
  void Field(int indent, const std::string& key, const std::string& text) {
    if (text.empty()) return;
    const auto lines = TextLines(text);
    out_ += std::string(static_cast<std::size_t>(indent), ' ') + key + ": ";
    if (lines.size() == 1) {
      out_ += Quoted(text) + "\n";
      return;
    }
    out_ += "|-\n";
    for (const auto& line : lines)
      out_ += std::string(static_cast<std::size_t>(indent) + 2, ' ') + line + "\n";
  }

  void Tags(int indent, const host::TaggedValues& tags) {
    bool any = false;
    for (const auto& entry : tags.entries) {
      if (entry.tool != host::kTool || entry.value.empty()) continue;
      if (!any) out_ += std::string(static_cast<std::size_t>(indent), ' ') + "tags:\n";
      any = true;
      Field(indent + 2, entry.name, entry.value);
    }
  }

  void WriteClass(const host::MemoryClass& cls) {
    out_ += "  - name: " + Quoted(cls.name) + "\n";
    if (!cls.id.empty() && cls.id != cls.name) out_ += "    id: " + Quoted(cls.id) + "\n";
    if (!cls.superclasses.empty()) {
      out_ += "    superclasses: [";
      for (std::size_t i = 0; i < cls.superclasses.size(); ++i)
        out_ += (i ? ", " : "") + Quoted(IdOf(cls.superclasses[i]));
      out_ += "]\n";
    }
    Tags(4, cls.tags);
    if (!cls.attributes.empty()) out_ += "    attributes:\n";
    for (const auto& attribute : cls.attributes) {
      out_ += "      - name: " + Quoted(attribute.name) + "\n";
      Field(8, "type", attribute.type);
      Field(8, "initial", attribute.initial);
      Tags(8, attribute.tags);
    }
    if (!cls.operations.empty()) out_ += "    operations:\n";
    for (const auto& operation : cls.operations) {
      out_ += "      - name: " + Quoted(operation.name) + "\n";
      if (!operation.parameters.empty()) out_ += "        parameters:\n";
      for (const auto& parameter : operation.parameters)
        out_ += "          - { name: " + Quoted(parameter.name) +
                ", type: " + Quoted(parameter.type) + " }\n";
      Field(8, "return", operation.result);
      Field(8, "pre", operation.pre);
      Field(8, "post", operation.post);
      Tags(8, operation.tags);
    }
  }

  void Role(const host::MemoryRole& role) {
    out_ += "      - { name: " + Quoted(role.name) + ", class: " + Quoted(IdOf(role.supplier)) +
            ", multiplicity: " + Quoted(role.multiplicity) +
            ", navigable: " + (role.navigable ? "true" : "false") + " }\n";
  }

  void WriteAssociation(const host::MemoryAssociation& association) {
    out_ += "  - name: " + Quoted(association.name) + "\n";
    if (!association.id.empty() && association.id != association.name)
      out_ += "    id: " + Quoted(association.id) + "\n";
    out_ += "    roles:\n";
    Role(association.first);
    Role(association.second);
    Tags(4, association.tags);
  }

  const host::MemoryModel& model_;
  std::unordered_map<const host::Element*, std::string> ids_;
  std::string out_;
};

}  // namespace

std::string NativeModelText(const host::MemoryModel& model) { return Writer(model).Run(); }

}  // namespace tarn::bench
