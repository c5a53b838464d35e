#include "modelfile/native/native_reader.hpp"

#include <algorithm>
#include <initializer_list>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/error.hpp"
#include "common/read_file.hpp"
#include "modelfile/text/code_page.hpp"
#include "modelfile/text/utf8.hpp"
#include "modelfile/native/yaml_tree.hpp"

namespace tarn::modelfile {
namespace {

using native::YamlNode;
using Kind = YamlNode::Kind;

constexpr std::string_view kDefaultEncoding = "windows-1252";

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

host::Place PlaceOf(const YamlNode& node) {
  return {0, static_cast<std::uint32_t>(node.position.line),
          static_cast<std::uint32_t>(node.position.column)};
}

std::string At(native::Position position) {
  return "line " + std::to_string(position.line) + ", column " + std::to_string(position.column);
}

// Every LF that does not follow a CR becomes CR LF.
std::string WithCrLf(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) result += '\r';
    result += text[i];
  }
  return result;
}

// The fields of one element: a mapping of the file.
struct Fields {
  const YamlNode& mapping;

  // The value of a field, or null when the field is absent.
  const YamlNode* Get(std::string_view name) const {
    for (std::size_t i = 0; i + 1 < mapping.items.size(); i += 2)
      if (mapping.items[i].text == name) return &mapping.items[i + 1];
    return nullptr;
  }
};

// Where an id leads: a class or an association, and where it was given.
struct Target {
  const host::MemoryClass* model_class = nullptr;
  const host::MemoryAssociation* association = nullptr;
  native::Position position;
};

// An id as given in the file, before it is known to be unique.
struct IdEntry {
  std::string id;
  const YamlNode* given_at;
  Target target;
};

class Reader {
 public:
  Reader(const std::string& path, host::MemoryModel& model) : path_(path), model_(model) {}

  void Read(const YamlNode& root) {
    if (root.kind == Kind::kNull) Fail(root, "missing \"tarn-model: 1\"; this is not a model file");
    if (root.kind != Kind::kMapping)
      Fail(root,
           "a model file must be a mapping of fields, not " + std::string(KindName(root.kind)));
    const Fields top{root};
    const YamlNode* version = top.Get("tarn-model");
    if (version == nullptr) Fail(root, "missing \"tarn-model: 1\"; this is not a model file");
    if (version->kind != Kind::kText || version->text != "1")
      Fail(*version, "unknown format version " + Quoted(Scalar(version, "tarn-model")) +
                         " (this reader knows version 1)");
    CheckFields(
        root, "model",
        {"tarn-model", "text", "encoding", "selection", "diagrams", "classes", "associations"});
    ReadTextMode(top);
    ReadEncoding(top);

    const auto& classes = List(top, "classes");
    const auto& associations = List(top, "associations");
    for (const YamlNode& node : classes) ReadClass(node);
    for (const YamlNode& node : associations) ReadAssociation(node);
    RegisterIds();
    for (std::size_t i = 0; i < classes.size(); ++i)
      LinkSuperclasses(Fields{classes[i]}, model_.classes[i]);
    for (std::size_t i = 0; i < associations.size(); ++i)
      LinkRoles(associations[i], model_.associations[i]);
    for (const YamlNode& node : List(top, "diagrams")) ReadDiagram(node);
    for (const YamlNode& reference : List(top, "selection"))
      model_.selection.push_back(Element(reference));
  }

 private:
  [[noreturn]] void Fail(const YamlNode& at, const std::string& message) const {
    throw LoadError(path_, at.position.line, at.position.column, message);
  }

  // Checks that a list entry is a mapping whose keys are known fields, each
  // given once.
  Fields Open(const YamlNode& node, std::string_view element,
              std::initializer_list<std::string_view> names) const {
    if (node.kind != Kind::kMapping)
      Fail(node, std::string(element.find_first_of("aeiou") == 0 ? "an " : "a ") +
                     std::string(element) + " must be a mapping of fields, not " +
                     std::string(KindName(node.kind)));
    CheckFields(node, element, names);
    return Fields{node};
  }

  void CheckFields(const YamlNode& mapping, std::string_view element,
                   std::initializer_list<std::string_view> names) const {
    for (std::size_t i = 0; i < mapping.items.size(); i += 2) {
      const YamlNode& key = mapping.items[i];
      if (std::find(names.begin(), names.end(), key.text) != names.end()) continue;
      std::string expected;
      for (std::string_view name : names)
        expected += (expected.empty() ? "" : ", ") + std::string(name);
      Fail(key, "unknown field " + Quoted(key.text) + " in " + std::string(element) +
                    " (expected one of: " + expected + ")");
    }
    CheckKeysUnique(mapping, "field");
  }

  // The parser keeps every entry of a mapping, repeated keys included; a
  // repeat is an error at its second place.
  void CheckKeysUnique(const YamlNode& mapping, std::string_view what) const {
    std::unordered_map<std::string_view, const YamlNode*> seen;
    for (std::size_t i = 0; i < mapping.items.size(); i += 2) {
      const YamlNode& key = mapping.items[i];
      const auto [first, added] = seen.emplace(key.text, &key);
      if (!added)
        Fail(key, std::string(what) + " " + Quoted(key.text) + " given twice (first at " +
                      At(first->second->position) + ")");
    }
  }

  // The text of a field as the file gives it; "" when absent or null.
  std::string Scalar(const YamlNode* node, std::string_view name,
                     std::string_view what = "field") const {
    if (node == nullptr || node->kind == Kind::kNull) return {};
    if (node->kind != Kind::kText)
      Fail(*node, std::string(what) + " " + Quoted(name) + " must be a text, not " +
                      std::string(KindName(node->kind)));
    CheckUtf8(*node, node->text);
    return node->text;
  }

  // A text of the model: its line ends as the text mode says, in the model's
  // code page.
  std::string Text(const Fields& fields, std::string_view field) const {
    const YamlNode* node = fields.Get(field);
    std::string text = Scalar(node, field);
    if (text.empty()) return text;
    return ToCodePage(*node, crlf_ ? WithCrLf(text) : std::move(text));
  }

  std::string ToCodePage(const YamlNode& node, const std::string& utf8) const {
    text::Conversion converted = code_page_->FromUtf8(utf8);
    if (!converted.Succeeded())
      Fail(node, "character " + text::DescribeCharacter(utf8, converted.failed_at) +
                     " cannot be written in " + model_.encoding);
    return std::move(converted.bytes);
  }

  // The parser gives the escapes \N and \_ as single bytes, not as UTF-8.
  void CheckUtf8(const YamlNode& node, std::string_view text) const {
    if (text::FindInvalidUtf8(text) != std::string_view::npos)
      Fail(node, "the text is not valid UTF-8 (write \\N and \\_ as \\u0085 and \\u00A0)");
  }

  const std::vector<YamlNode>& List(const Fields& fields, std::string_view field) const {
    static const std::vector<YamlNode> kNone;
    const YamlNode* node = fields.Get(field);
    if (node == nullptr || node->kind == Kind::kNull) return kNone;
    if (node->kind != Kind::kList)
      Fail(*node,
           "field " + Quoted(field) + " must be a list, not " + std::string(KindName(node->kind)));
    return node->items;
  }

  void ReadTextMode(const Fields& top) {
    const YamlNode* node = top.Get("text");
    const std::string mode = Scalar(node, "text");
    if (mode.empty() || mode == "crlf") return;
    if (mode != "exact")
      Fail(*node, "unknown text mode " + Quoted(mode) + " (expected crlf or exact)");
    crlf_ = false;
  }

  void ReadEncoding(const Fields& top) {
    const YamlNode* node = top.Get("encoding");
    std::string name = Scalar(node, "encoding");
    if (name.empty()) name = kDefaultEncoding;
    const YamlNode& at = node != nullptr ? *node : top.mapping;
    code_page_ = text::CodePage::Open(name);
    if (code_page_ == nullptr) Fail(at, "unknown encoding " + Quoted(name));
    if (!code_page_->KeepsAscii())
      Fail(at, "encoding " + Quoted(name) +
                   " cannot be used: it does not keep ASCII characters as single bytes");
    model_.encoding = name;
  }

  void ReadTags(const Fields& fields, host::TaggedValues& tags) const {
    const YamlNode* node = fields.Get("tags");
    if (node == nullptr || node->kind == Kind::kNull) return;
    if (node->kind != Kind::kMapping)
      Fail(*node, "field \"tags\" must be a mapping, not " + std::string(KindName(node->kind)));
    CheckKeysUnique(*node, "tag");
    for (std::size_t i = 0; i < node->items.size(); i += 2) {
      const YamlNode& key = node->items[i];
      CheckUtf8(key, key.text);
      const YamlNode& value = node->items[i + 1];
      std::string text = Scalar(&value, key.text, "tag");
      if (!text.empty()) text = ToCodePage(value, crlf_ ? WithCrLf(text) : std::move(text));
      tags.Set(ToCodePage(key, key.text), std::move(text));
    }
  }

  // The id of a class or association: its "id", else its name as written.
  // Ids are kept as the file gives them, so that they match references and
  // the command line's selection; "" when there is none.
  std::string AddId(const Fields& fields, Target target) {
    const YamlNode* given_at = fields.Get("id");
    std::string id = Scalar(given_at, "id");
    if (id.empty()) {
      given_at = fields.Get("name");
      id = Scalar(given_at, "name");
    }
    if (id.empty()) return id;
    target.position = given_at->position;
    ids_given_.push_back({id, given_at, target});
    return id;
  }

  // Ids are unique across classes and associations; a repeated id is
  // reported where it is given the second time in the file.
  void RegisterIds() {
    std::stable_sort(ids_given_.begin(), ids_given_.end(), [](const IdEntry& a, const IdEntry& b) {
      return std::pair(a.target.position.line, a.target.position.column) <
             std::pair(b.target.position.line, b.target.position.column);
    });
    for (IdEntry& entry : ids_given_) {
      const auto [known, added] = ids_.emplace(entry.id, entry.target);
      if (!added)
        Fail(*entry.given_at, "duplicate id " + Quoted(entry.id) + " (first given at " +
                                  At(known->second.position) + ")");
    }
  }

  const Target& Find(const YamlNode& reference) const {
    if (reference.kind == Kind::kList || reference.kind == Kind::kMapping)
      Fail(reference,
           "a reference must be an id (a text), not " + std::string(KindName(reference.kind)));
    CheckUtf8(reference, reference.text);
    const auto found = ids_.find(reference.text);
    if (found == ids_.end()) Fail(reference, "unknown id " + Quoted(reference.text));
    return found->second;
  }

  const host::MemoryClass* Class(const YamlNode& reference) const {
    const Target& target = Find(reference);
    if (target.model_class == nullptr)
      Fail(reference, Quoted(reference.text) + " is an association, not a class");
    return target.model_class;
  }

  const host::MemoryAssociation* Association(const YamlNode& reference) const {
    const Target& target = Find(reference);
    if (target.association == nullptr)
      Fail(reference, Quoted(reference.text) + " is a class, not an association");
    return target.association;
  }

  const host::Element* Element(const YamlNode& reference) const {
    const Target& target = Find(reference);
    if (target.model_class != nullptr) return target.model_class;
    return target.association;
  }

  void ReadClass(const YamlNode& node) {
    const Fields fields =
        Open(node, "class", {"id", "name", "superclasses", "tags", "attributes", "operations"});
    host::MemoryClass& model_class = model_.classes.emplace_back();
    model_class.place = PlaceOf(node);
    model_class.name = Text(fields, "name");
    ReadTags(fields, model_class.tags);
    for (const YamlNode& entry : List(fields, "attributes")) {
      const Fields attribute_fields = Open(entry, "attribute", {"name", "type", "initial", "tags"});
      host::MemoryAttribute& attribute = model_class.attributes.emplace_back();
      attribute.place = PlaceOf(entry);
      attribute.name = Text(attribute_fields, "name");
      attribute.type = Text(attribute_fields, "type");
      attribute.initial = Text(attribute_fields, "initial");
      ReadTags(attribute_fields, attribute.tags);
    }
    for (const YamlNode& entry : List(fields, "operations")) ReadOperation(entry, model_class);
    // Checked now, linked once every id is known.
    List(fields, "superclasses");
    model_class.id = AddId(fields, Target{&model_class, nullptr, {}});
  }

  void ReadOperation(const YamlNode& node, host::MemoryClass& model_class) const {
    const Fields fields =
        Open(node, "operation", {"name", "parameters", "return", "pre", "post", "tags"});
    host::MemoryOperation& operation = model_class.operations.emplace_back();
    operation.place = PlaceOf(node);
    operation.name = Text(fields, "name");
    for (const YamlNode& entry : List(fields, "parameters")) {
      const Fields parameter_fields = Open(entry, "parameter", {"name", "type"});
      host::MemoryParameter& parameter = operation.parameters.emplace_back();
      parameter.place = PlaceOf(entry);
      parameter.name = Text(parameter_fields, "name");
      parameter.type = Text(parameter_fields, "type");
    }
    operation.result = Text(fields, "return");
    operation.pre = Text(fields, "pre");
    operation.post = Text(fields, "post");
    ReadTags(fields, operation.tags);
  }

  void ReadAssociation(const YamlNode& node) {
    const Fields fields = Open(node, "association", {"id", "name", "roles", "tags"});
    host::MemoryAssociation& association = model_.associations.emplace_back();
    association.place = PlaceOf(node);
    association.name = Text(fields, "name");
    const auto& roles = List(fields, "roles");
    if (roles.size() != 2) {
      const YamlNode* at = fields.Get("roles");
      Fail(at != nullptr ? *at : node,
           "an association needs exactly two roles, found " + std::to_string(roles.size()));
    }
    ReadRole(roles[0], association.first);
    ReadRole(roles[1], association.second);
    ReadTags(fields, association.tags);
    association.id = AddId(fields, Target{nullptr, &association, {}});
  }

  void ReadRole(const YamlNode& node, host::MemoryRole& role) const {
    const Fields fields = Open(node, "role", {"name", "class", "multiplicity", "navigable"});
    role.name = Text(fields, "name");
    role.multiplicity = Text(fields, "multiplicity");
    if (const YamlNode* class_node = fields.Get("class");
        class_node == nullptr || Scalar(class_node, "class").empty())
      Fail(class_node != nullptr ? *class_node : node,
           "a role needs \"class\", the id of its class");
    const YamlNode* navigable = fields.Get("navigable");
    if (navigable == nullptr) return;
    const std::string flag = navigable->kind == Kind::kText ? navigable->text : std::string();
    if (flag != "true" && flag != "false")
      Fail(*navigable, "field \"navigable\" must be true or false");
    role.navigable = flag == "true";
  }

  void LinkSuperclasses(const Fields& fields, host::MemoryClass& model_class) const {
    for (const YamlNode& reference : List(fields, "superclasses"))
      model_class.superclasses.push_back(Class(reference));
  }

  void LinkRoles(const YamlNode& node, host::MemoryAssociation& association) const {
    const auto& roles = List(Fields{node}, "roles");
    association.first.supplier = Class(*Fields{roles[0]}.Get("class"));
    association.second.supplier = Class(*Fields{roles[1]}.Get("class"));
  }

  void ReadDiagram(const YamlNode& node) {
    const Fields fields = Open(node, "diagram", {"name", "classes", "associations"});
    host::MemoryClassDiagram& diagram = model_.root.diagrams.emplace_back();
    diagram.place = PlaceOf(node);
    diagram.name = Text(fields, "name");
    for (const YamlNode& reference : List(fields, "classes"))
      diagram.classes.push_back(Class(reference));
    for (const YamlNode& reference : List(fields, "associations"))
      diagram.associations.push_back(Association(reference));
  }

  const std::string& path_;
  host::MemoryModel& model_;
  bool crlf_ = true;
  std::unique_ptr<text::CodePage> code_page_;
  std::vector<IdEntry> ids_given_;
  std::unordered_map<std::string, Target> ids_;
};

}  // namespace

std::unique_ptr<host::MemoryApplication> ParseNativeModel(std::string_view bytes,
                                                          const std::string& path) {
  const YamlNode root = native::ParseYaml(bytes, path);
  auto application = std::make_unique<host::MemoryApplication>();
  application->model.files.push_back(path);
  Reader(path, application->model).Read(root);
  return application;
}

std::unique_ptr<host::MemoryApplication> LoadNativeModel(const std::string& path) {
  return ParseNativeModel(ReadModelFile(path), path);
}

}  // namespace tarn::modelfile
