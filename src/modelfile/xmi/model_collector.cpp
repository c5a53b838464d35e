#include "modelfile/xmi/model_collector.hpp"

#include <algorithm>
#include <array>
#include <filesystem>

#include "modelfile/load_error.hpp"

namespace tarn::modelfile::xmi {
namespace {

constexpr std::array<std::string_view, 9> kTarnTags = {
    "Properties",  "Invariant",   "isQuery",        "isDefinition",  "Retrieve",
    "TypeOfRoleA", "TypeOfRoleB", "RoleAInvariant", "RoleBInvariant"};

// What an open element is to the collector.
enum class Kind : std::uint8_t {
  kSkip,           // nothing below it is read
  kXmiRoot,        // xmi:XMI
  kModelElement,   // a package, a classifier or another element of the model
  kClass,
  kAssociation,
  kProperty,
  kOperation,
  kParameter,
  kConstraint,
  kValue,          // a value specification
  kGeneralization,
  kText,           // an element whose text is kept
  kDocumentation,  // xmi:Documentation
  kApplication,    // an application of a stereotype of the Tarn profile
  kEaExtension,    // anything inside Enterprise Architect's extension
  kEaDiagram,
  kUmlDiDiagram,
  kReference,      // an element that writes a reference, its extension below it
  kEaTypes,        // Enterprise Architect's primitive types
  kEaConnectorEnd, // the source or target of an Enterprise Architect connector
};

struct Frame {
  Kind kind = Kind::kSkip;
  int index = kNone;       // the record it fills, by kind
  int name_space = kNone;  // the namespace its children belong to
  int package = kNone;     // the package that directly holds its children
  bool pushed_owner = false;  // kEaExtension: it set the owner of the tags below it
};

bool IsTarnNamespace(std::string_view prefix, std::string_view uri) {
  if (prefix == "Tarn") return true;
  std::size_t start = 0;
  while (start <= uri.size()) {
    const std::size_t slash = std::min(uri.find('/', start), uri.size());
    if (uri.substr(start, slash - start) == "Tarn") return true;
    start = slash + 1;
  }
  return false;
}

bool IsPackage(std::string_view metaclass) {
  return metaclass == "Package" || metaclass == "Model" || metaclass == "Profile";
}

// The element's metaclass: the local part of its xmi:type, or of its
// xsi:type where it has none (GenMyModel writes only that).
std::string_view MetaclassOf(const XmlElement& element) {
  if (const auto type = element.XmiAttribute("type"); !type.empty()) return LocalPart(type);
  for (const XmlAttribute& attribute : element.attributes)
    if (attribute.local == "type" && attribute.uri == "http://www.w3.org/2001/XMLSchema-instance")
      return LocalPart(attribute.value);
  return {};
}

// The words of an attribute that lists ids ("id1 id2").
template <class Add>
void ForEachId(std::string_view list, Add add) {
  std::size_t start = 0;
  while (start < list.size()) {
    const std::size_t end = std::min(list.find_first_of(" \t\r\n", start), list.size());
    if (end > start) add(list.substr(start, end - start));
    start = end + 1;
  }
}

class Collector final : public XmlHandler {
 public:
  Collector(const std::string& path, int file) : path_(path), file_(file) {}

  ModelRecords Take() {
    if (!found_model_) Refuse(NotAModel());
    return std::move(records_);
  }

  void StartElement(const XmlElement& element) override {
    if (const auto id = element.XmiAttribute("id"); !id.empty())
      records_.id_hashes.push_back(std::hash<std::string_view>()(id));
    Frame frame;
    if (stack_.empty()) {
      frame = Root(element);
    } else {
      const Frame& parent = stack_.back();
      switch (parent.kind) {
        case Kind::kSkip:
        case Kind::kText:
          break;
        case Kind::kXmiRoot:
          frame = TopLevel(element);
          break;
        case Kind::kModelElement:
        case Kind::kClass:
          frame = Member(element, parent);
          break;
        case Kind::kAssociation:
          frame = InAssociation(element, parent);
          break;
        case Kind::kProperty:
          frame = InProperty(element);
          break;
        case Kind::kOperation:
          frame = InOperation(element);
          break;
        case Kind::kParameter:
          if (element.local == "type") frame = ReferenceFrame(element, operation_->parameters.back().type);
          break;
        case Kind::kConstraint:
          if (element.local == "specification")
            frame = ValueFrame(element,
                               &records_.constraints[static_cast<std::size_t>(parent.index)].specification);
          break;
        case Kind::kValue:
          frame = InValue(element);
          break;
        case Kind::kGeneralization:
          if (element.local == "general") AddGeneral(parent.index, ReferenceOf(element));
          break;
        case Kind::kDocumentation:
          if (element.local == "exporter") frame = TextFrame(&records_.exporter);
          break;
        case Kind::kApplication:
          frame = InApplication(element);
          break;
        case Kind::kEaExtension:
          frame = InEaExtension(element);
          break;
        case Kind::kEaDiagram:
          InEaDiagram(element);
          frame.kind = Kind::kEaDiagram;
          break;
        case Kind::kUmlDiDiagram:
          frame = InUmlDiDiagram(element, parent);
          break;
        case Kind::kReference:
          frame = InReference(element);
          break;
        case Kind::kEaTypes:
          frame = InEaTypes(element);
          break;
        case Kind::kEaConnectorEnd:
          InEaConnectorEnd(element);
          frame = InEaExtension(element);
          break;
      }
    }
    stack_.push_back(frame);
  }

  void EndElement() override {
    const Frame& frame = stack_.back();
    if (frame.kind == Kind::kText) {
      text_ = nullptr;
      CopyApplicationText();
    }
    if (frame.pushed_owner) ea_owners_.pop_back();
    if (frame.kind == Kind::kProperty) CommitProperty();
    // The diagram's own frame is the one with an index; its children have none.
    if (frame.kind == Kind::kEaDiagram && frame.index == 1 && ea_diagram_logical_)
      records_.ea_diagrams.push_back(std::move(ea_diagram_));
    stack_.pop_back();
  }

  void Characters(std::string_view text) override {
    if (text_ != nullptr) text_->append(text);
  }

  [[noreturn]] void DocumentType(std::string_view root, Place where) override {
    if (root == "XMI") Refuse(OldXmi("1.x"));
    throw LoadError(path_, where.line, where.column,
                    "the document has a DOCTYPE, which UML 2 XMI never has: Tarn refuses document "
                    "types and the entities they declare");
  }

 private:
  [[noreturn]] void Refuse(const std::string& sentence) const { throw LoadError(path_, 1, 1, sentence); }

  // Where an element's start tag begins, in this file of the model.
  Place Where(const XmlElement& element) const {
    Place where = element.Where();
    where.file = file_;
    return where;
  }

  static std::string OldXmi(std::string_view version) {
    return "the file is XMI " + std::string(version) +
           " (UML 1.x): Tarn reads UML 2 XMI; export the model as XMI 2.1 or later";
  }

  std::string NotAModel() const {
    const std::filesystem::path path(path_);
    const std::string extension = path.extension().string();
    if (extension == ".notation" || extension == ".di") {
      std::filesystem::path model = path.filename();
      model.replace_extension(".uml");
      return "the file is a Papyrus diagram file, not a model: give Tarn the model file beside it (" +
             model.string() + ")";
    }
    return "the file is XML but holds no UML 2 model (no uml:Model or uml:Package): Tarn reads UML 2 "
           "XMI, Rose .mdl and its own YAML model files";
  }

  Frame Root(const XmlElement& element) {
    if (IsXmiNamespace(element.uri) && element.local == "XMI") return {Kind::kXmiRoot};
    if (element.local == "XMI" && element.uri.empty()) {
      const std::string_view version = element.Attribute("xmi.version");
      Refuse(OldXmi(version.empty() ? "1.x" : version));
    }
    if (IsUmlNamespace(element.uri) && IsPackage(element.local)) return TopPackage(element);
    if (element.local == "Diagram" && element.uri.find("/gmf/runtime/") != std::string_view::npos)
      Refuse(NotAModel());
    if (element.uri.empty() && element.local == "Package" && element.HasAttribute("guid"))
      Refuse("the file is Enterprise Architect's native XML (EA's own tables), not XMI: export the package "
             "with Publish > Export XML, choosing XMI 2.1");
    if (element.uri.empty() && element.local == "Diagram")
      Refuse("the file is an IntelliJ IDEA diagram, not a model: Tarn reads UML 2 XMI, Rose .mdl and its own "
             "YAML model files");
    Refuse(NotAModel());
  }

  Frame TopLevel(const XmlElement& element) {
    if (IsUmlNamespace(element.uri) && IsPackage(element.local)) return TopPackage(element);
    if (IsXmiNamespace(element.uri) && element.local == "Documentation") {
      if (const auto exporter = element.Attribute("exporter"); !exporter.empty())
        records_.exporter = std::string(exporter);
      return {Kind::kDocumentation};
    }
    if (IsXmiNamespace(element.uri) && element.local == "Extension")
      return element.Attribute("extender") == "Enterprise Architect" ? Frame{Kind::kEaExtension}
                                                                      : Frame{};
    if (element.local == "Diagram" && element.uri.find("/gmf/runtime/") != std::string_view::npos)
      Refuse(NotAModel());
    if (IsTarnNamespace(element.prefix, element.uri)) return Application(element);
    return {};
  }

  Frame TopPackage(const XmlElement& element) {
    found_model_ = true;
    const int name_space = AddPackage(element, kNone);
    records_.top_packages.push_back(name_space);
    return {Kind::kModelElement, kNone, name_space, name_space};
  }

  int AddNamespace(std::string_view name, int parent, bool is_package) {
    records_.namespaces.push_back({std::string(name), parent, is_package});
    return static_cast<int>(records_.namespaces.size()) - 1;
  }

  int AddPackage(const XmlElement& element, int parent) {
    const int name_space = AddNamespace(element.Attribute("name"), parent, true);
    records_.packages.push_back(name_space);
    records_.package_ids.emplace_back(element.XmiAttribute("id"));
    if (const auto id = element.XmiAttribute("id"); !id.empty())
      records_.named.emplace(std::string(id), ModelRecords::Named{std::string(element.Attribute("name")),
                                                                  "Package", name_space});
    return name_space;
  }

  // A member of a package or classifier.
  Frame Member(const XmlElement& element, const Frame& parent) {
    const std::string_view tag = element.local;
    std::string_view metaclass = MetaclassOf(element);
    if (tag == "ownedComment" || tag == "eAnnotations" || tag == "profileApplication") return {};
    // A package with an href and nothing of its own is a unit of the model
    // in another file (Papyrus's controlled units).
    if (element.HasAttribute("href") && (tag == "packagedElement" || tag == "ownedMember") && IsPackage(metaclass)) {
      records_.units.push_back({{std::string(element.Attribute("href")), true, Where(element)}, parent.name_space});
      return {};
    }
    // An element with an href or an idref refers to another; it defines nothing.
    if (element.HasAttribute("href") || !element.XmiAttribute("idref").empty()) return {};
    if (metaclass == "UMLClassDiagram") return UmlDiDiagram(element, parent);
    if (element.prefix == "umldi" || metaclass.rfind("UML", 0) == 0) return {};
    if (metaclass.empty()) {
      if (tag == "ownedAttribute") metaclass = "Property";
      if (tag == "ownedOperation") metaclass = "Operation";
      if (tag == "ownedRule") metaclass = "Constraint";
      if (tag == "generalization") metaclass = "Generalization";
    }
    if (tag == "packagedElement" || tag == "ownedMember" || tag == "nestedClassifier" || tag == "ownedType")
      ++records_.member_kinds[std::string(metaclass.empty() ? tag : metaclass)];
    const bool in_class = parent.kind == Kind::kClass;
    if (tag == "ownedAttribute" && metaclass == "Property")
      return PropertyFrame(element, true, in_class ? &records_.classes[parent.index] : nullptr);
    if (metaclass == "Constraint") return ConstraintFrame(element);
    if (!in_class && (tag == "ownedOperation" || tag == "generalization")) return {};
    if (tag == "ownedOperation") return OperationFrame(element, records_.classes[parent.index]);
    if (tag == "generalization") {
      if (const auto general = element.Attribute("general"); !general.empty())
        AddGeneral(parent.index, {std::string(general), false, Where(element)});
      return {Kind::kGeneralization, parent.index};
    }
    if (IsPackage(metaclass)) {
      const int name_space = AddPackage(element, parent.name_space);
      return {Kind::kModelElement, kNone, name_space, name_space};
    }
    if (metaclass == "Class") return ClassFrame(element, parent);
    if (metaclass == "Association") return AssociationFrame(element, parent);
    return OtherElement(element, parent, metaclass);
  }

  // An element Tarn does not translate: its name may be a type text, and it
  // may hold classes (a component, an enumeration's literals...).
  Frame OtherElement(const XmlElement& element, const Frame& parent, std::string_view metaclass) {
    const std::string_view id = element.XmiAttribute("id");
    const std::string_view tag = element.local;
    const bool member = tag == "packagedElement" || tag == "nestedClassifier" ||
                        tag == "ownedType" || tag == "ownedMember";
    int name_space = parent.name_space;
    if (member && element.HasAttribute("name"))
      name_space = AddNamespace(element.Attribute("name"), parent.name_space, false);
    if (!id.empty() && element.HasAttribute("name"))
      records_.named.emplace(std::string(id), ModelRecords::Named{std::string(element.Attribute("name")),
                                                                  std::string(metaclass), name_space});
    return {Kind::kModelElement, kNone, name_space, parent.package};
  }

  Frame ClassFrame(const XmlElement& element, const Frame& parent) {
    ClassRecord& record = records_.classes.emplace_back();
    record.id = std::string(element.XmiAttribute("id"));
    record.name = std::string(element.Attribute("name"));
    record.name_space = AddNamespace(record.name, parent.name_space, false);
    record.package = parent.kind == Kind::kModelElement && parent.package == parent.name_space
                         ? parent.package
                         : kNone;
    record.place = Where(element);
    const int index = static_cast<int>(records_.classes.size()) - 1;
    return {Kind::kClass, index, record.name_space, kNone};
  }

  Frame AssociationFrame(const XmlElement& element, const Frame& parent) {
    AssociationRecord& record = records_.associations.emplace_back();
    record.id = std::string(element.XmiAttribute("id"));
    record.name = std::string(element.Attribute("name"));
    record.owner = parent.name_space;
    record.package = parent.package == parent.name_space ? parent.package : kNone;
    record.place = Where(element);
    ForEachId(element.Attribute("memberEnd"), [&](std::string_view id) {
      record.member_ends.push_back({std::string(id), false, record.place});
    });
    ForEachId(element.Attribute("navigableOwnedEnd"),
              [&](std::string_view id) { record.navigable_owned_ends.emplace_back(id); });
    const int index = static_cast<int>(records_.associations.size()) - 1;
    return {Kind::kAssociation, index, parent.name_space, kNone};
  }

  Frame InAssociation(const XmlElement& element, const Frame& parent) {
    AssociationRecord& record = records_.associations[parent.index];
    if (element.local == "memberEnd") {
      if (Reference end = ReferenceOf(element); !end.Empty()) record.member_ends.push_back(std::move(end));
    } else if (element.local == "navigableOwnedEnd") {
      if (Reference end = ReferenceOf(element); !end.Empty())
        record.navigable_owned_ends.push_back(std::move(end.target));
    } else if (element.local == "ownedEnd") {
      return PropertyFrame(element, false, nullptr);
    } else if (MetaclassOf(element) == "Constraint" || element.local == "ownedRule") {
      return ConstraintFrame(element);
    }
    return {};
  }

  // An attribute of `owner` (null when not a class), or an association end:
  // an end names its association, by an attribute or (the OMG's style) a
  // child element, so the property is kept aside until its end tag.
  Frame PropertyFrame(const XmlElement& element, bool owned_by_class, ClassRecord* owner) {
    property_ = PropertyRecord();
    property_.id = std::string(element.XmiAttribute("id"));
    property_.name = std::string(element.Attribute("name"));
    // An end a class owns is navigable; an association's own end says so
    // where it is (Visual Paradigm).
    property_.navigable = owned_by_class || element.Attribute("isNavigable") == "true";
    property_.place = Where(element);
    if (const auto type = element.Attribute("type"); !type.empty())
      property_.type = {std::string(type), false, property_.place};
    property_owner_ = owner;
    end_ = !element.Attribute("association").empty();
    return {Kind::kProperty};
  }

  void CommitProperty() {
    if (end_)
      records_.ends.push_back(std::move(property_));
    else if (property_owner_ != nullptr)
      property_owner_->attributes.push_back(std::move(property_));
  }

  Frame InProperty(const XmlElement& element) {
    PropertyRecord& record = property_;
    if (element.local == "type") return ReferenceFrame(element, record.type);
    if (element.local == "association" && !ReferenceOf(element).Empty()) end_ = true;
    if (element.local == "defaultValue") return ValueFrame(element, &record.default_value);
    // Only an end's multiplicity is read (an end may say it is one after its
    // bounds, so both are kept until then).
    if (element.local == "lowerValue") return ValueFrame(element, &record.lower);
    if (element.local == "upperValue") return ValueFrame(element, &record.upper);
    return {};
  }

  // A reference written as an element, with what MagicDraw writes inside it.
  Frame ReferenceFrame(const XmlElement& element, Reference& reference) {
    reference = ReferenceOf(element);
    reference_ = &reference;
    return {Kind::kReference};
  }

  Frame InReference(const XmlElement& element) {
    if (element.local == "referenceExtension") {
      const std::string_view path = element.Attribute("referentPath");
      const auto last = path.rfind("::");
      reference_->referent = std::string(last == std::string_view::npos ? path : path.substr(last + 2));
    }
    return element.local == "Extension" ? Frame{Kind::kReference} : Frame{};
  }

  Frame OperationFrame(const XmlElement& element, ClassRecord& owner) {
    OperationRecord& record = owner.operations.emplace_back();
    record.id = std::string(element.XmiAttribute("id"));
    record.name = std::string(element.Attribute("name"));
    record.is_query = element.Attribute("isQuery") == "true";
    record.place = Where(element);
    ForEachId(element.Attribute("precondition"),
              [&](std::string_view id) { record.preconditions.push_back({std::string(id), false, record.place}); });
    ForEachId(element.Attribute("postcondition"),
              [&](std::string_view id) { record.postconditions.push_back({std::string(id), false, record.place}); });
    operation_ = &record;
    return {Kind::kOperation};
  }

  Frame InOperation(const XmlElement& element) {
    OperationRecord& record = *operation_;
    const std::string_view tag = element.local;
    if (tag == "ownedParameter") {
      ParameterRecord& parameter = record.parameters.emplace_back();
      parameter.name = std::string(element.Attribute("name"));
      // Older exporters (Visual Paradigm) write the direction as `kind`.
      parameter.direction = std::string(element.HasAttribute("direction") ? element.Attribute("direction")
                                                                         : element.Attribute("kind"));
      parameter.place = Where(element);
      if (const auto type = element.Attribute("type"); !type.empty())
        parameter.type = {std::string(type), false, parameter.place};
      return {Kind::kParameter};
    }
    if (tag == "precondition" || tag == "postcondition") {
      auto& conditions = tag == "precondition" ? record.preconditions : record.postconditions;
      if (const auto id = element.XmiAttribute("id"); !id.empty()) {
        conditions.push_back({std::string(id), false, Where(element)});
        return ConstraintFrame(element);
      }
      if (Reference condition = ReferenceOf(element); !condition.Empty())
        conditions.push_back(std::move(condition));
      return {};
    }
    if (tag == "ownedRule" && !element.XmiAttribute("id").empty()) return ConstraintFrame(element);
    return {};
  }

  Frame ConstraintFrame(const XmlElement& element) {
    const std::string_view id = element.XmiAttribute("id");
    if (id.empty()) return {};
    ConstraintRecord& record = records_.constraints.emplace_back();
    record.id = std::string(id);
    record.name = std::string(element.Attribute("name"));
    record.place = Where(element);
    return {Kind::kConstraint, static_cast<int>(records_.constraints.size()) - 1};
  }

  Frame ValueFrame(const XmlElement& element, ValueRecord* value) {
    *value = ValueRecord();
    value->present = true;
    value->kind = ValueKindOf(MetaclassOf(element));
    value->has_value = element.HasAttribute("value");
    value->value = std::string(element.Attribute("value"));
    if (element.HasAttribute("body")) value->Expressed().bodies.emplace_back(element.Attribute("body"));
    if (element.HasAttribute("language"))
      value->Expressed().languages.emplace_back(element.Attribute("language"));
    if (const auto instance = element.Attribute("instance"); !instance.empty())
      value->Expressed().instance = {std::string(instance), false, Where(element)};
    value_ = value;
    return {Kind::kValue};
  }

  Frame InValue(const XmlElement& element) {
    if (element.local == "body") return TextFrame(&value_->Expressed().bodies.emplace_back());
    if (element.local == "language") return TextFrame(&value_->Expressed().languages.emplace_back());
    if (element.local == "instance") value_->Expressed().instance = ReferenceOf(element);
    return {};
  }

  // A tag written as a child element of an application that names several
  // elements holds the same text for each.
  void CopyApplicationText() {
    auto& [first, end] = application_copies_;
    for (std::size_t i = first + 1; i < end; ++i)
      records_.stereotype_tags[i].value = records_.stereotype_tags[first].value;
    first = end = 0;
  }

  Frame TextFrame(std::string* text) {
    text_ = text;
    return {Kind::kText};
  }

  void AddGeneral(int owner, Reference general) {
    if (!general.Empty()) records_.classes[owner].generals.push_back(std::move(general));
  }

  // A reference written as an element: <type xmi:idref="..."/> or <type href="..."/>.
  Reference ReferenceOf(const XmlElement& element) const {
    if (const auto id = element.XmiAttribute("idref"); !id.empty())
      return {std::string(id), false, Where(element)};
    if (const auto href = element.Attribute("href"); !href.empty())
      return {std::string(href), true, Where(element)};
    return {};
  }

  // A stereotype application of the Tarn profile: its base_ attributes name
  // the elements, its other attributes and child elements are the tags.
  Frame Application(const XmlElement& element) {
    application_targets_.clear();
    const Place where = Where(element);
    for (const XmlAttribute& attribute : element.attributes)
      if (attribute.uri.empty() && attribute.local.rfind("base_", 0) == 0)
        ForEachId(attribute.value, [&](std::string_view id) { application_targets_.emplace_back(id); });
    application_tags_.clear();
    for (const XmlAttribute& attribute : element.attributes) {
      if (!attribute.uri.empty() || attribute.local.rfind("base_", 0) == 0) continue;
      if (!IsTarnTag(attribute.local)) {
        records_.unknown_tags.emplace_back(std::string(attribute.local), where);
        continue;
      }
      application_tags_.emplace_back(attribute.local);
      for (const std::string& target : application_targets_)
        records_.stereotype_tags.push_back(
            {target, std::string(attribute.local), std::string(attribute.value), where});
    }
    application_place_ = where;
    return {Kind::kApplication};
  }

  Frame InApplication(const XmlElement& element) {
    const std::string name(element.local);
    if (!IsTarnTag(name)) {
      records_.unknown_tags.emplace_back(name, application_place_);
      return {};
    }
    for (const std::string& given : application_tags_)
      if (given == name) return {};
    application_tags_.push_back(name);
    if (application_targets_.empty()) return {};
    const std::size_t first = records_.stereotype_tags.size();
    for (const std::string& target : application_targets_)
      records_.stereotype_tags.push_back({target, name, "", Where(element)});
    // The text is read into the first record and copied to the others at its end.
    application_copies_ = {first, records_.stereotype_tags.size()};
    return TextFrame(&records_.stereotype_tags[first].value);
  }

  Frame InEaExtension(const XmlElement& element) {
    const std::string_view tag = element.local;
    Frame frame{Kind::kEaExtension};
    if (tag == "profiles") return {};
    if (tag == "primitivetypes") return {Kind::kEaTypes};
    if (tag == "diagram" && !element.XmiAttribute("id").empty()) {
      ea_diagram_ = DiagramRecord();
      ea_diagram_.place = Where(element);
      ea_diagram_logical_ = false;
      return {Kind::kEaDiagram, 1};
    }
    if (tag == "element" || tag == "attribute" || tag == "operation" || tag == "connector") {
      ea_owners_.emplace_back(element.XmiAttribute("idref"));
      frame.pushed_owner = true;
      if (tag == "connector") ea_connector_id_ = std::string(element.XmiAttribute("idref"));
    } else if (tag == "source" || tag == "target") {
      ea_owners_.emplace_back(kIgnoredOwner);
      ea_end_ = &records_.ea_connectors[ea_connector_id_][tag == "source" ? 0 : 1];
      ea_end_->class_id = std::string(element.XmiAttribute("idref"));
      return {Kind::kEaConnectorEnd, kNone, kNone, kNone, true};
    } else if (tag == "parameter") {
      ea_owners_.emplace_back(kIgnoredOwner);
      frame.pushed_owner = true;
    } else if (tag == "tag") {
      EaTag(element);
    } else if (tag == "EAStub" && !element.XmiAttribute("id").empty()) {
      // A class of another model that this one refers to.
      records_.named.emplace(std::string(element.XmiAttribute("id")),
                             ModelRecords::Named{std::string(element.Attribute("name")), "EAStub"});
    }
    return frame;
  }

  void EaTag(const XmlElement& element) {
    if (!ea_owners_.empty() && ea_owners_.back() == kIgnoredOwner) return;
    const std::string_view name = element.Attribute("name");
    if (!IsTarnTag(name)) return;
    std::string_view target = element.Attribute("modelElement");
    if (target.empty() && !ea_owners_.empty()) target = ea_owners_.back();
    if (target.empty()) return;
    std::string_view value = element.Attribute("value");
    if (value == "<memo>") {
      value = element.Attribute("notes");
    } else {
      value = value.substr(0, std::min(value.find("#NOTES#"), value.find("$ea_notes=")));
    }
    records_.ea_tags.push_back({std::string(target), std::string(name), std::string(value), Where(element)});
  }

  // The class, role, multiplicity and navigability at one end of a connector.
  void InEaConnectorEnd(const XmlElement& element) {
    const std::string_view tag = element.local;
    if (tag == "model" && !element.Attribute("name").empty())
      records_.ea_end_names.emplace(ea_end_->class_id, std::string(element.Attribute("name")));
    else if (tag == "role")
      ea_end_->role = std::string(element.Attribute("name"));
    else if (tag == "type")
      ea_end_->multiplicity = std::string(element.Attribute("multiplicity"));
    else if (tag == "modifiers")
      ea_end_->navigable = element.Attribute("isNavigable") == "true";
  }

  // Enterprise Architect's primitive types, some of which are types of the
  // model ("EAnone_Set_GM_Complex_" named "Set<GM_Complex>").
  Frame InEaTypes(const XmlElement& element) {
    const std::string_view id = element.XmiAttribute("id");
    if (!id.empty() && element.HasAttribute("name"))
      records_.named.emplace(std::string(id), ModelRecords::Named{std::string(element.Attribute("name")),
                                                                  std::string(MetaclassOf(element))});
    return {Kind::kEaTypes};
  }

  void InEaDiagram(const XmlElement& element) {
    const std::string_view tag = element.local;
    if (tag == "model") {
      ea_diagram_.owner = {std::string(element.Attribute("package")), false, Where(element)};
    } else if (tag == "properties") {
      ea_diagram_.name = std::string(element.Attribute("name"));
      ea_diagram_logical_ = element.Attribute("type") == "Logical";
    } else if (tag == "element") {
      if (const auto subject = element.Attribute("subject"); !subject.empty())
        ea_diagram_.shown.push_back({std::string(subject), false, Where(element)});
    }
  }

  Frame UmlDiDiagram(const XmlElement& element, const Frame& parent) {
    DiagramRecord& diagram = records_.umldi_diagrams.emplace_back();
    diagram.name = std::string(element.Attribute("name"));
    diagram.place = Where(element);
    if (const auto owner = element.Attribute("modelElement"); !owner.empty())
      diagram.owner = {std::string(owner), false, diagram.place};
    diagram.holder = parent.package;
    return {Kind::kUmlDiDiagram, 1};
  }

  // A shape or edge of a UML DI diagram, its element named by an attribute
  // or a child element; such a child of the diagram itself names its owner.
  Frame InUmlDiDiagram(const XmlElement& element, const Frame& parent) {
    DiagramRecord& diagram = records_.umldi_diagrams.back();
    if (element.local == "modelElement") {
      if (Reference shown = ReferenceOf(element); !shown.Empty()) {
        if (parent.index == 1)
          diagram.owner = std::move(shown);
        else
          diagram.shown.push_back(std::move(shown));
      }
      return {};
    }
    if (const auto shown = element.Attribute("modelElement"); !shown.empty())
      diagram.shown.push_back({std::string(shown), false, Where(element)});
    return {Kind::kUmlDiDiagram};
  }

  static constexpr std::string_view kIgnoredOwner = "\n";

  const std::string& path_;
  const int file_;
  ModelRecords records_;
  std::vector<Frame> stack_;
  bool found_model_ = false;
  std::string* text_ = nullptr;
  // The records open now: properties, operations and values do not nest.
  PropertyRecord property_;
  ClassRecord* property_owner_ = nullptr;
  bool end_ = false;
  Reference* reference_ = nullptr;
  std::string ea_connector_id_;
  ModelRecords::EaConnectorEnd* ea_end_ = nullptr;
  OperationRecord* operation_ = nullptr;
  ValueRecord* value_ = nullptr;
  std::vector<std::string> application_targets_;
  std::vector<std::string> application_tags_;
  std::pair<std::size_t, std::size_t> application_copies_{0, 0};
  Place application_place_;
  std::vector<std::string> ea_owners_;
  DiagramRecord ea_diagram_;
  bool ea_diagram_logical_ = false;
};

}  // namespace

ModelRecords CollectModel(std::string_view bytes, const std::string& path, int file) {
  Collector collector(path, file);
  ParseXml(bytes, path, collector);
  return collector.Take();
}

ModelRecords CollectModelFile(const std::string& path, int file) {
  Collector collector(path, file);
  ParseXmlFile(path, collector);
  return collector.Take();
}

bool ModelRecords::HasId(std::string_view id) {
  if (!id_hashes_sorted) {
    std::sort(id_hashes.begin(), id_hashes.end());
    id_hashes_sorted = true;
  }
  return std::binary_search(id_hashes.begin(), id_hashes.end(), std::hash<std::string_view>()(id));
}

ValueKind ValueKindOf(std::string_view metaclass) {
  static constexpr std::pair<std::string_view, ValueKind> kKinds[] = {
      {"", ValueKind::kNone},
      {"LiteralInteger", ValueKind::kLiteralInteger},
      {"LiteralUnlimitedNatural", ValueKind::kLiteralUnlimitedNatural},
      {"LiteralReal", ValueKind::kLiteralReal},
      {"LiteralBoolean", ValueKind::kLiteralBoolean},
      {"LiteralNull", ValueKind::kLiteralNull},
      {"InstanceValue", ValueKind::kInstanceValue},
      {"OpaqueExpression", ValueKind::kOpaqueExpression},
  };
  for (const auto& [name, kind] : kKinds)
    if (name == metaclass) return kind;
  return ValueKind::kOther;
}

bool IsTarnTag(std::string_view name) {
  for (std::string_view tag : kTarnTags)
    if (tag == name) return true;
  return false;
}

}  // namespace tarn::modelfile::xmi
