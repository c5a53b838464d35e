// What the XMI reader keeps of a model file while it streams through it:
// small records of the elements Tarn uses, their references still as the file
// writes them (ids, or hrefs into other documents). Texts are UTF-8 as the
// XML parser delivers them; they are converted when the host is filled.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "modelfile/xmi/xml_parser.hpp"

namespace tarn::modelfile::xmi {

inline constexpr int kNone = -1;

// A reference as written: an id of this document, or an href into another.
struct Reference {
  Reference() = default;
  Reference(std::string written, bool is_href, Place where)
      : target(std::move(written)), href(is_href), place(where) {}

  std::string target;  // the id, or the whole href
  bool href = false;
  Place place;  // of the element that writes it
  // The last segment of the path that MagicDraw writes beside an href
  // ("UML Standard Profile::...::int" gives "int"); "" for none.
  std::string referent;

  bool Empty() const { return target.empty(); }
};

// The metaclasses of value specifications that the texts of values tell
// apart; any other is kOther (a LiteralString among them).
enum class ValueKind : std::uint8_t {
  kNone,  // no xmi:type
  kLiteralInteger,
  kLiteralUnlimitedNatural,
  kLiteralReal,
  kLiteralBoolean,
  kLiteralNull,
  kInstanceValue,
  kOpaqueExpression,
  kOther,
};

ValueKind ValueKindOf(std::string_view metaclass);

// A value specification (a default value, a bound, a constraint's body).
struct ValueRecord {
  // What only opaque expressions and instance values have.
  struct Expression {
    std::vector<std::string> bodies;     // OpaqueExpression bodies
    std::vector<std::string> languages;  // their languages, in the same order
    Reference instance;                  // InstanceValue
  };

  bool present = false;
  bool has_value = false;
  ValueKind kind = ValueKind::kNone;
  std::string value;
  std::unique_ptr<Expression> expression;  // null for literals

  Expression& Expressed() {
    if (!expression) expression = std::make_unique<Expression>();
    return *expression;
  }
};

// A package, a class or another classifier: what qualified names are made of.
struct NamespaceRecord {
  std::string name;
  int parent = kNone;
  bool is_package = false;
};

// An attribute, or an end of an association.
struct PropertyRecord {
  std::string id;
  std::string name;
  Reference type;
  bool navigable = false;  // an end a class owns, or one said to be navigable
  ValueRecord default_value;
  ValueRecord lower;
  ValueRecord upper;
  Place place;
};

struct ParameterRecord {
  std::string name;
  std::string direction;
  Reference type;
  Place place;
};

struct OperationRecord {
  std::string id;
  std::string name;
  bool is_query = false;
  std::vector<ParameterRecord> parameters;
  std::vector<Reference> preconditions;
  std::vector<Reference> postconditions;
  Place place;
};

struct ConstraintRecord {
  std::string id;
  std::string name;
  ValueRecord specification;
  Place place;
};

struct ClassRecord {
  std::string id;
  std::string name;
  int name_space = kNone;  // its own namespace record
  int package = kNone;     // the package that holds it directly; kNone when nested
  std::vector<PropertyRecord> attributes;
  std::vector<OperationRecord> operations;
  std::vector<Reference> generals;
  Place place;
};

struct AssociationRecord {
  std::string id;
  std::string name;
  int owner = kNone;    // namespace record of the package or class that holds it
  int package = kNone;  // the package that holds it directly
  std::vector<Reference> member_ends;
  std::vector<std::string> navigable_owned_ends;
  Place place;
};

// A tagged value of the tool Tarn, from a stereotype application or an
// Enterprise Architect tag.
struct TagRecord {
  std::string element;  // the id of the element it belongs to
  std::string name;
  std::string value;
  Place place;
};

// A class diagram, whatever drew it; its shapes and edges as references.
struct DiagramRecord {
  std::string name;
  Reference owner;  // the element whose package owns the diagram
  int holder = kNone;  // namespace record of the package that holds it (UML DI)
  std::vector<Reference> shown;
  Place place;
};

// A package kept in a file of its own (a Papyrus controlled unit): the href
// to it and the namespace record it belongs in.
struct UnitRecord {
  Reference href;
  int parent = kNone;
};

// Everything the reader keeps of one model file.
struct ModelRecords {
  std::string exporter;
  std::vector<NamespaceRecord> namespaces;
  std::vector<int> top_packages;  // namespace records of the top-level packages
  std::vector<int> packages;      // every package's namespace record, in order
  std::vector<std::string> package_ids;  // parallel to `packages`
  std::deque<ClassRecord> classes;
  std::deque<PropertyRecord> ends;  // association ends, wherever they are written
  std::deque<AssociationRecord> associations;
  // In file order; where two have one id, the first is the constraint.
  std::deque<ConstraintRecord> constraints;
  // Names of the other elements with an id (data types, interfaces, enumeration
  // literals...), for type texts and stand-in classes; `metaclass` tells classifiers.
  struct Named {
    std::string name;
    std::string metaclass;
    int name_space = kNone;
  };
  std::unordered_map<std::string, Named> named;
  // The names Enterprise Architect gives, in a connector's source or target,
  // to the classes at its ends: the only trace of a class that a package
  // export leaves out of the file. By the class's id.
  std::unordered_map<std::string, std::string> ea_end_names;
  // What Enterprise Architect says of a connector's source and target, by
  // the connector's (the association's) id: all there is of an end that a
  // class outside a package export owns.
  struct EaConnectorEnd {
    std::string class_id;
    std::string role;
    std::string multiplicity;  // as EA writes it: "1", "0..*"
    bool navigable = false;
  };
  std::unordered_map<std::string, std::array<EaConnectorEnd, 2>> ea_connectors;
  // How many packaged elements of each metaclass the model holds, to say
  // what a file holds when no class was read from it.
  std::unordered_map<std::string, int> member_kinds;
  std::vector<TagRecord> stereotype_tags;  // in document order
  std::vector<TagRecord> ea_tags;
  std::vector<DiagramRecord> ea_diagrams;     // Logical diagrams of EA's extension
  std::vector<DiagramRecord> umldi_diagrams;  // UML DI class diagrams
  std::vector<UnitRecord> units;
  // Profile applications of Tarn with attributes that are not Tarn's tags.
  std::vector<std::pair<std::string, Place>> unknown_tags;
  // Hashes of every xmi:id of the file, to tell a diagram's shape of an
  // element Tarn does not use from one whose element is not in the file at
  // all; sorted when first asked, which most models never are.
  std::vector<std::size_t> id_hashes;
  bool HasId(std::string_view id);
  bool id_hashes_sorted = false;
};

}  // namespace tarn::modelfile::xmi
