#include "modelfile/petal/petal_reader.hpp"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "common/error.hpp"
#include "common/file_identity.hpp"
#include "common/mapped_file.hpp"
#include "modelfile/load_error.hpp"
#include "modelfile/petal/char_set.hpp"
#include "modelfile/petal/petal_tree.hpp"
#include "modelfile/petal/qualified_name.hpp"
#include "modelfile/petal/unit_location.hpp"

namespace tarn::modelfile {
namespace {

using petal::kNoNode;
using petal::Node;
using petal::NodeType;
using petal::Tree;

struct SourceFile {
  std::string path;
  std::string bytes;                   // a file handed over as bytes
  std::unique_ptr<MappedFile> mapped;  // a file read from disk
  Tree tree;

  std::string_view Bytes() const { return mapped ? mapped->Bytes() : std::string_view(bytes); }
  long version = 0;
  std::uint32_t index = 0;  // in the model's list of files
};

// A node together with the file it lies in.
struct Located {
  const SourceFile* file = nullptr;
  const Node* node = nullptr;

  const Tree& tree() const { return file->tree; }
  // "FILE:LINE:COLUMN" of the node, for warnings.
  std::string Where() const {
    const auto [line, column] = tree().LineAndColumn(node->text_offset);
    return file->path + ":" + std::to_string(line) + ":" + std::to_string(column);
  }
  [[noreturn]] void Fail(const std::string& message) const {
    const auto [line, column] = tree().LineAndColumn(node->text_offset);
    throw LoadError(file->path, line, column, message);
  }
};

bool IsClassKind(std::string_view kind) {
  return kind == "Class" || kind == "Class_Utility" || kind == "Parameterized_Class" ||
         kind == "Instantiated_Class";
}

// The first name of an object as the host shows it: "$UNNAMED$" and digits
// read as no name.
std::string NameOf(const Tree& tree, const Node& object) {
  const Node* name = tree.Name(object, 0);
  if (!name) return {};
  std::string text = tree.Text(*name);
  constexpr std::string_view kUnnamed = "$UNNAMED$";
  if (text.size() > kUnnamed.size() && text.compare(0, kUnnamed.size(), kUnnamed) == 0 &&
      text.find_first_not_of("0123456789", kUnnamed.size()) == std::string::npos)
    return {};
  return text;
}

// The value of a tagged value: texts as they are, TRUE/FALSE as "True" and
// "False", numbers as their digits, anything else (an enumeration pair, a
// list) as "".
std::string TagValueText(const Tree& tree, const Node& value) {
  switch (value.type) {
    case NodeType::kString:
    case NodeType::kTextBlock:
    case NodeType::kNumber:
      return tree.Text(value);
    case NodeType::kWrapped:
      if (value.first_child == kNoNode) return {};
      return tree.at(value.first_child).type == NodeType::kString ||
                     tree.at(value.first_child).type == NodeType::kTextBlock ||
                     tree.at(value.first_child).type == NodeType::kNumber
                 ? tree.Text(tree.at(value.first_child))
                 : std::string();
    case NodeType::kIdentifier:
      if (tree.Raw(value) == "TRUE") return "True";
      if (tree.Raw(value) == "FALSE") return "False";
      return std::string(tree.Raw(value));
    default:
      return {};
  }
}

// Calls `visit` for every object in the list under `key` of `object`.
template <class Visit>
void ForEachObject(const Tree& tree, const Node& object, std::string_view key, Visit visit) {
  const Node* list = tree.Property(object, key);
  if (!list || list->type != NodeType::kList) return;
  for (std::uint32_t child = list->first_child; child != kNoNode;
       child = tree.at(child).next_sibling)
    if (tree.at(child).type == NodeType::kObject) visit(tree.at(child));
}

// How many objects the list under `key` of `object` holds, so that a list of
// the host takes exactly what it needs.
std::size_t CountObjects(const Tree& tree, const Node& object, std::string_view key) {
  std::size_t count = 0;
  ForEachObject(tree, object, key, [&](const Node&) { ++count; });
  return count;
}

// Adds the Tarn entries of a list of tagged values (Attribute objects) that
// `entries` does not hold yet: the first entry of a name wins.
void AddTarnEntries(const Tree& tree, const Node* list,
                    std::vector<host::TaggedValueEntry>& entries) {
  if (!list || list->type != NodeType::kList) return;
  for (std::uint32_t child = list->first_child; child != kNoNode;
       child = tree.at(child).next_sibling) {
    const Node& entry = tree.at(child);
    if (entry.type != NodeType::kObject || tree.PropertyText(entry, "tool") != host::kTool)
      continue;
    std::string name = tree.PropertyText(entry, "name");
    bool present = false;
    for (const auto& existing : entries) present = present || existing.name == name;
    if (present) continue;
    const Node* value = tree.Property(entry, "value");
    entries.push_back(
        {std::string(host::kTool), std::move(name), value ? TagValueText(tree, *value) : ""});
  }
}

// An element's own Tarn tagged values, then the model's defaults for the
// names it does not set.
void ReadTags(const Tree& tree, const Node& element,
              const std::vector<host::TaggedValueEntry>& defaults, host::TaggedValues& tags) {
  AddTarnEntries(tree, tree.Property(element, "attributes"), tags.entries);
  for (const auto& entry : defaults) {
    bool present = false;
    for (const auto& existing : tags.entries) present = present || existing.name == entry.name;
    if (!present) tags.entries.push_back(entry);
  }
}

struct Defaults {
  std::vector<host::TaggedValueEntry> for_class, for_attribute, for_operation, for_association;
};

struct Registered {
  Located where;
  std::string qualified;  // canonical qualified name
};

struct Diagram {
  Located where;
  std::string package;  // qualified below the root
};

struct Missing {
  std::string prefix;  // canonical qualified name of the package
  std::string file_name;
};

class Loader {
 public:
  Loader(const std::string& path, const PetalOptions& options,
         const std::function<void(const std::string&)>& warn)
      : model_path_(path), options_(options), warn_(warn) {}

  // Loads the model file, given as bytes or mapped, and its units. A file
  // that changed while it was read spoils what was read of it, also the
  // error it caused, which is then replaced by the file's own.
  PetalModel Run(std::string main_bytes, std::unique_ptr<MappedFile> main_mapped) {
    try {
      PetalModel loaded = Load(std::move(main_bytes), std::move(main_mapped));
      CheckFilesUnchanged();
      return loaded;
    } catch (const LoadError&) {
      CheckFilesUnchanged();
      throw;
    }
  }

 private:
  // Each step reads a part of the files' bytes once (the walk the objects'
  // kinds, then the classes' texts...): their pages are given back between
  // steps, so that a large model's file is not held in memory whole beside
  // the model made from it.
  void DropPages() const {
    for (const SourceFile& file : files_)
      if (file.mapped) file.mapped->DropPages();
  }

  void CheckFilesUnchanged() const {
    for (const SourceFile& file : files_)
      if (file.mapped) file.mapped->CheckUnchanged();
  }

  PetalModel Load(std::string main_bytes, std::unique_ptr<MappedFile> main_mapped) {
    result_.app = std::make_unique<host::MemoryApplication>();
    model_ = &result_.app->model;
    const SourceFile& main = Add(model_path_, std::move(main_bytes), std::move(main_mapped));
    const std::optional<FileIdentity> main_identity = IdentityOf(model_path_);
    if (main_identity) parsed_.emplace(*main_identity, &main);
    DetectEncoding(main);
    const Node& body = main.tree.at(main.tree.body);
    const std::string_view kind = main.tree.Raw(body);
    const Node* root = nullptr;
    if (kind == "Design") {
      root = main.tree.Property(body, "root_category");
      if (!root || root->type != NodeType::kObject)
        Located{&main, &body}.Fail("the model has no root_category");
      ReadDefaults(main.tree, body);
    } else if (kind == "Class_Category") {
      root = &body;
      // A unit opened as the model is loaded already, should it name itself.
      if (main_identity) loaded_units_.emplace(*main_identity, main.tree.PropertyText(body, "quid"));
    } else {
      Located{&main, &body}.Fail("expected a Design or a Class_Category, not " + std::string(kind));
    }
    model_->root.name = NameOf(main.tree, *root);
    root_prefix_ = petal::EscapeColons(model_->root.name);
    Walk(Located{&main, root}, true);
    if (kind == "Design") {
      const Node* use_cases = main.tree.Property(body, "root_usecase_package");
      if (use_cases && use_cases->type == NodeType::kObject) Walk(Located{&main, use_cases}, false);
    }
    DropPages();
    for (const Registered& item : logical_classes_) ClassFor(item.where);
    DropPages();
    for (const Registered& item : logical_associations_) AssociationFor(item);
    FillSuperclasses();
    DropPages();
    for (const Diagram& diagram : diagrams_) ReadDiagram(diagram);
    FillSuperclasses();
    DropPages();
    FillPlaces();
    return std::move(result_);
  }

  // The file at `path`, read and parsed once whatever the spelling of the
  // path that leads to it.
  const SourceFile& Open(const std::string& path, const std::optional<FileIdentity>& identity) {
    if (identity) {
      const auto parsed = parsed_.find(*identity);
      if (parsed != parsed_.end()) return *parsed->second;
    }
    const SourceFile& file = Add(path, {}, std::make_unique<MappedFile>(path));
    if (identity) parsed_.emplace(*identity, &file);
    return file;
  }

  const SourceFile& Add(const std::string& path, std::string bytes,
                        std::unique_ptr<MappedFile> mapped) {
    SourceFile& file = files_.emplace_back();
    file.index = static_cast<std::uint32_t>(model_->files.size());
    model_->files.push_back(path);
    file.path = path;
    file.bytes = std::move(bytes);
    file.mapped = std::move(mapped);
    file.tree = petal::Parse(path, file.Bytes());
    if (file.mapped) file.mapped->DropPages();
    const Node& header = file.tree.at(file.tree.header);
    const std::string version = file.tree.PropertyText(header, "version");
    file.version = version.empty() ? 0 : std::strtol(version.c_str(), nullptr, 10);
    return file;
  }

  void DetectEncoding(const SourceFile& main) {
    const Tree& tree = main.tree;
    if (tree.valid_utf8 && tree.has_multibyte) {
      model_->encoding = "utf-8";
      return;
    }
    const std::string char_set = tree.PropertyText(tree.at(tree.header), "charSet");
    const long number = char_set.empty() ? 0 : std::strtol(char_set.c_str(), nullptr, 10);
    std::string code_page = petal::CodePageOfCharSet(number);
    if (code_page.empty()) {
      warn_(main.path + ": warning: unknown charSet " + char_set +
            ", reading the texts as windows-1252");
      code_page = "windows-1252";
    }
    model_->encoding = code_page;
  }

  void ReadDefaults(const Tree& tree, const Node& design) {
    const Node* properties = tree.Property(design, "properties");
    if (!properties || properties->type != NodeType::kObject) return;
    ForEachObject(tree, *properties, "attributes", [&](const Node& set) {
      if (tree.PropertyText(set, "tool") != host::kTool) return;
      const std::string name = tree.PropertyText(set, "name");
      std::vector<host::TaggedValueEntry>* target = nullptr;
      if (name == "default__Class") target = &defaults_.for_class;
      if (name == "default__Attribute") target = &defaults_.for_attribute;
      if (name == "default__Operation") target = &defaults_.for_operation;
      if (name == "default__Association") target = &defaults_.for_association;
      if (!target) return;
      AddTarnEntries(tree, tree.Property(set, "value"), *target);
    });
  }

  // Walks a package and everything below it, loading units on the way.
  void Walk(Located root, bool logical) {
    struct Pending {
      Located where;
      std::string qualified;  // canonical qualified name of the package
      std::string below_root;
    };
    std::vector<Pending> stack;
    stack.push_back({root, petal::EscapeColons(NameOf(root.tree(), *root.node)), ""});
    while (!stack.empty()) {
      Pending package = std::move(stack.back());
      stack.pop_back();
      const Tree* tree = &package.where.tree();
      const Node* node = package.where.node;
      const Node* loaded = tree->Property(*node, "is_loaded");
      if (loaded && loaded->type == NodeType::kIdentifier && tree->Raw(*loaded) == "FALSE" &&
          tree->Property(*node, "file_name")) {
        const Located unit = LoadUnit(package.where, package.qualified);
        if (!unit.node) continue;
        package.where = unit;
        tree = &unit.tree();
        node = unit.node;
      }
      AddOther(package.where);
      std::vector<Pending> nested;
      ForEachObject(*tree, *node, "logical_models", [&](const Node& item) {
        const Located where{package.where.file, &item};
        const std::string_view kind = tree->Raw(item);
        if (IsClassKind(kind)) {
          RegisterClass(where, package.qualified, logical);
        } else if (kind == "Association") {
          RegisterAssociation(where, package.qualified, logical);
        } else if (kind == "Class_Category") {
          const std::string name = petal::EscapeColons(NameOf(*tree, item));
          nested.push_back({where, package.qualified + "::" + name,
                            package.below_root.empty() ? name : package.below_root + "::" + name});
        } else {
          AddOther(where);
        }
      });
      ForEachObject(*tree, *node, "logical_presentations", [&](const Node& item) {
        const Located where{package.where.file, &item};
        if (logical && tree->Raw(item) == "ClassDiagram")
          diagrams_.push_back({where, package.below_root});
        else
          AddOther(where);
      });
      for (auto it = nested.rbegin(); it != nested.rend(); ++it) stack.push_back(std::move(*it));
    }
  }

  // Loads the unit that the stub `stub` stands for; a null node when it is
  // missing.
  Located LoadUnit(Located stub, const std::string& qualified) {
    const Tree& tree = stub.tree();
    const std::string file_name = tree.PropertyText(*stub.node, "file_name");
    const std::string quid = tree.PropertyText(*stub.node, "quid");
    const petal::UnitLocation location =
        petal::LocateUnit(file_name, stub.file->path, model_path_, options_.pathMap, folders_);
    if (!location.symbol.empty()) {
      std::string symbol = location.symbol;
      std::transform(symbol.begin(), symbol.end(), symbol.begin(),
                     [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
      result_.unitSymbols.insert(std::move(symbol));
    }
    std::string problem;
    std::string hint;
    std::optional<FileIdentity> identity;
    if (!location.found.empty()) identity = IdentityOf(location.found);
    if (location.found.empty()) {
      problem = "not found; looked for";
      for (std::size_t i = 0; i < location.looked.size(); ++i)
        problem += (i ? ", " : " ") + location.looked[i];
      if (!location.symbol.empty() && !location.symbol_mapped)
        hint = "; give the folder that $" + location.symbol + " stands for with --path-map " + location.symbol +
               "=DIR";
    } else if (identity && !loaded_units_.emplace(*identity, quid).second) {
      // However its path is spelled ($CURDIR\..\pkg\a.cat, .\a.cat), a unit
      // is loaded once: units that name each other cannot load forever.
      problem = "is already loaded from " + location.found;
    } else {
      const SourceFile& unit = Open(location.found, identity);
      const Node& body = unit.tree.at(unit.tree.body);
      if (unit.tree.Raw(body) != "Class_Category")
        problem = location.found + " holds no package";
      else if (unit.tree.PropertyText(body, "quid") != quid)
        problem = location.found + " holds another package (quid " +
                  unit.tree.PropertyText(body, "quid") + ", not " + quid + ")";
      else
        return Located{&unit, &body};
    }
    warn_(stub.Where() + ": warning: unit \"" + file_name + "\" of package " + qualified + " " +
          problem + "; the package is not loaded" + hint);
    result_.missingUnits.push_back({qualified, file_name});
    missing_.push_back({qualified, file_name});
    missing_by_prefix_.emplace(qualified, missing_.size() - 1);
    return {};
  }

  void AddOther(Located where) {
    const std::string quid = where.tree().PropertyText(*where.node, "quid");
    if (quid.empty()) return;
    PetalElement& element = result_.otherElements.emplace_back();
    element.name = NameOf(where.tree(), *where.node);
    element.kind = std::string(where.tree().Raw(*where.node));
    result_.items.push_back({quid, "", "", &element});
  }

  void RegisterClass(Located where, const std::string& package, bool logical) {
    const Tree& tree = where.tree();
    const std::string qualified = package + "::" + petal::EscapeColons(NameOf(tree, *where.node));
    const std::string quid = tree.PropertyText(*where.node, "quid");
    if (!quid.empty()) classes_by_quid_.emplace(quid, where);
    classes_by_name_.emplace(qualified, where);
    simple_names_.emplace(NameOf(tree, *where.node), where);
    qualified_of_.emplace(where.node, qualified);
    if (logical) logical_classes_.push_back({where, qualified});
    ForEachObject(tree, *where.node, "nestedClasses", [&](const Node& nested) {
      if (IsClassKind(tree.Raw(nested)))
        RegisterClass(Located{where.file, &nested}, qualified, logical);
    });
  }

  void RegisterAssociation(Located where, const std::string& package, bool logical) {
    const Tree& tree = where.tree();
    const std::string quid = tree.PropertyText(*where.node, "quid");
    Registered item{where, package + "::" + petal::EscapeColons(NameOf(tree, *where.node))};
    if (!quid.empty()) associations_by_quid_.emplace(quid, item);
    if (logical) logical_associations_.push_back(std::move(item));
  }

  // The missing unit whose package holds the element of that canonical
  // qualified name: the shortest prefix that ends before a "::" and names
  // a missing package.
  const Missing* MissingUnitOf(const std::string& qualified) const {
    if (missing_.empty()) return nullptr;
    for (std::size_t i = 0; i + 2 < qualified.size(); ++i) {
      if (qualified.compare(i, 2, "::") != 0) continue;
      const auto found = missing_by_prefix_.find(qualified.substr(0, i));
      if (found != missing_by_prefix_.end()) return &missing_[found->second];
    }
    return nullptr;
  }

  host::MemoryClass* ClassFor(Located where) {
    const auto known = converted_.find(where.node);
    if (known != converted_.end()) return known->second;
    const Tree& tree = where.tree();
    const Node& node = *where.node;
    host::MemoryClass& cls = model_->classes.emplace_back();
    converted_.emplace(&node, &cls);
    cls.id = tree.PropertyText(node, "quid");
    cls.name = NameOf(tree, node);
    cls.attributes.reserve(CountObjects(tree, node, "class_attributes"));
    cls.operations.reserve(CountObjects(tree, node, "operations"));
    AddPlace(cls.place, where);
    ForEachObject(tree, node, "class_attributes", [&](const Node& item) {
      host::MemoryAttribute& attribute = cls.attributes.emplace_back();
      AddPlace(attribute.place, Located{where.file, &item});
      attribute.name = NameOf(tree, item);
      attribute.type = tree.PropertyText(item, "type");
      attribute.initial = tree.PropertyText(item, "initv");
      ReadTags(tree, item, defaults_.for_attribute, attribute.tags);
    });
    ForEachObject(tree, node, "operations", [&](const Node& item) {
      host::MemoryOperation& operation = cls.operations.emplace_back();
      AddPlace(operation.place, Located{where.file, &item});
      operation.name = NameOf(tree, item);
      operation.result = tree.PropertyText(item, "result");
      operation.pre = ConditionText(tree, item, "pre_condition");
      operation.post = ConditionText(tree, item, "post_condition");
      operation.parameters.reserve(CountObjects(tree, item, "parameters"));
      ForEachObject(tree, item, "parameters", [&](const Node& parameter_node) {
        host::MemoryParameter& parameter = operation.parameters.emplace_back();
        AddPlace(parameter.place, Located{where.file, &parameter_node});
        parameter.name = NameOf(tree, parameter_node);
        parameter.type = tree.PropertyText(parameter_node, "type");
      });
      ReadTags(tree, item, defaults_.for_operation, operation.tags);
    });
    ReadTags(tree, node, defaults_.for_class, cls.tags);
    pending_superclasses_.push_back({&cls, where});
    const auto qualified = qualified_of_.find(&node);
    if (qualified != qualified_of_.end()) cls.package = PackageBelowRoot(qualified->second);
    if (!cls.id.empty())
      result_.items.push_back(
          {cls.id, qualified == qualified_of_.end() ? "" : qualified->second, cls.name, &cls});
    return &cls;
  }

  static std::string ConditionText(const Tree& tree, const Node& operation, std::string_view key) {
    const Node* condition = tree.Property(operation, key);
    if (!condition) return {};
    if (condition->type == NodeType::kObject) return tree.PropertyText(*condition, "PDL");
    return tree.Text(*condition);
  }

  // Superclasses are filled after the classes exist, so that a chain of
  // generalisations never nests calls.
  void FillSuperclasses() {
    while (!pending_superclasses_.empty()) {
      // Named copies, not a structured binding: the lambda below captures them,
      // which clang 14 does not allow for structured bindings.
      host::MemoryClass* const cls = pending_superclasses_.back().first;
      const Located where = pending_superclasses_.back().second;
      pending_superclasses_.pop_back();
      ForEachObject(where.tree(), *where.node, "superclasses", [&](const Node& relation) {
        cls->superclasses.push_back(ClassReferredBy(Located{where.file, &relation}));
      });
    }
  }

  // The class that a superclass or a role names by `quidu`, or by its
  // `supplier` name.
  const host::MemoryClass* ClassReferredBy(Located reference) {
    const Tree& tree = reference.tree();
    const std::string quidu = tree.PropertyText(*reference.node, "quidu");
    if (!quidu.empty()) {
      const auto found = classes_by_quid_.find(quidu);
      if (found != classes_by_quid_.end()) return ClassFor(found->second);
    }
    const std::string supplier = tree.PropertyText(*reference.node, "supplier");
    return ClassNamed(supplier, reference.file->version == 40);
  }

  const host::MemoryClass* ClassNamed(const std::string& reference, bool simple_names) {
    const std::vector<std::string> segments = petal::SplitQualifiedName(reference);
    const std::string canonical = petal::JoinQualifiedName(segments);
    const std::string simple = segments.empty() ? std::string() : segments.back();
    if (simple_names) {
      const auto found = simple_names_.find(simple);
      if (found != simple_names_.end()) return ClassFor(found->second);
    } else {
      const auto found = classes_by_name_.find(canonical);
      if (found != classes_by_name_.end()) return ClassFor(found->second);
    }
    const auto known = stand_ins_.find(canonical);
    if (known != stand_ins_.end()) return known->second;
    host::MemoryClass& cls = model_->classes.emplace_back();
    cls.id = canonical;
    cls.name = simple;
    if (const Missing* unit = MissingUnitOf(canonical))
      cls.unavailable = UnavailableMessage(canonical, *unit);
    stand_ins_.emplace(canonical, &cls);
    return &cls;
  }

  static std::string UnavailableMessage(const std::string& qualified, const Missing& unit) {
    return qualified + " lies in the unit \"" + unit.file_name + "\" (package " + unit.prefix +
           "), which was not loaded";
  }

  host::MemoryAssociation* AssociationFor(const Registered& item) {
    const auto known = converted_associations_.find(item.where.node);
    if (known != converted_associations_.end()) return known->second;
    const Tree& tree = item.where.tree();
    const Node& node = *item.where.node;
    host::MemoryAssociation& association = model_->associations.emplace_back();
    converted_associations_.emplace(&node, &association);
    association.id = tree.PropertyText(node, "quid");
    association.name = NameOf(tree, node);
    association.package = PackageBelowRoot(item.qualified);
    AddPlace(association.place, item.where);
    ReadTags(tree, node, defaults_.for_association, association.tags);
    std::vector<const Node*> roles;
    ForEachObject(tree, node, "roles", [&](const Node& role) { roles.push_back(&role); });
    if (roles.size() != 2)
      item.where.Fail("association " + item.qualified + " has " + std::to_string(roles.size()) +
                      " roles, not two");
    ReadRole(Located{item.where.file, roles[0]}, association.first);
    ReadRole(Located{item.where.file, roles[1]}, association.second);
    if (!association.id.empty())
      result_.items.push_back({association.id, item.qualified, association.name, &association});
    return &association;
  }

  void ReadRole(Located where, host::MemoryRole& role) {
    const Tree& tree = where.tree();
    role.name = NameOf(tree, *where.node);
    role.supplier = ClassReferredBy(where);
    role.multiplicity = tree.PropertyText(*where.node, "client_cardinality");
    role.navigable = tree.IsTrue(*where.node, "is_navigable");
  }

  void ReadDiagram(const Diagram& diagram) {
    const Tree& tree = diagram.where.tree();
    host::MemoryClassDiagram& target = diagram.package.empty()
                                           ? model_->root.diagrams.emplace_back()
                                           : model_->packageDiagrams.emplace_back();
    target.name = NameOf(tree, *diagram.where.node);
    target.package = diagram.package;
    AddPlace(target.place, diagram.where);
    std::unordered_set<const void*> shown;
    ForEachObject(tree, *diagram.where.node, "items", [&](const Node& view) {
      const std::string_view kind = tree.Raw(view);
      if (kind == "ClassView") {
        const host::MemoryClass* cls = ClassOfView(Located{diagram.where.file, &view}, target.name);
        if (shown.insert(cls).second) target.classes.push_back(cls);
      } else if (kind == "AssociationViewNew") {
        const host::MemoryAssociation* association =
            AssociationOfView(Located{diagram.where.file, &view}, target.name);
        if (shown.insert(association).second) target.associations.push_back(association);
      }
    });
  }

  // The class a ClassView shows. A class that is not in the loaded model
  // stands in as an element whose use is an error naming the diagram.
  const host::MemoryClass* ClassOfView(Located view, const std::string& diagram) {
    const Tree& tree = view.tree();
    const std::string quidu = tree.PropertyText(*view.node, "quidu");
    const auto found = classes_by_quid_.find(quidu);
    if (found != classes_by_quid_.end()) return ClassFor(found->second);
    const Node* name = tree.Name(*view.node, 1);
    const std::string qualified = name ? tree.Text(*name) : std::string();
    const std::vector<std::string> segments = petal::SplitQualifiedName(qualified);
    const std::string canonical = petal::JoinQualifiedName(segments);
    if (MissingUnitOf(canonical) || (quidu.empty() && classes_by_name_.count(canonical)))
      return ClassNamed(qualified, false);
    const std::string id = quidu.empty() ? canonical : quidu;
    const auto known = stand_ins_.find(id);
    if (known != stand_ins_.end()) return known->second;
    host::MemoryClass& cls = model_->classes.emplace_back();
    cls.id = id;
    cls.name = segments.back();
    cls.unavailable = "class diagram \"" + diagram + "\" shows the class " + canonical + " (quid " +
                      quidu + "), which is not in the loaded model";
    stand_ins_.emplace(id, &cls);
    return &cls;
  }

  // The association an AssociationViewNew shows; one that is not in the
  // loaded model stands in like a missing class. Association views name no
  // package, so such an association may lie in any unit that was not loaded.
  const host::MemoryAssociation* AssociationOfView(Located view, const std::string& diagram) {
    const std::string quidu = view.tree().PropertyText(*view.node, "quidu");
    const auto found = associations_by_quid_.find(quidu);
    if (found != associations_by_quid_.end()) return AssociationFor(found->second);
    const auto known = stand_in_associations_.find(quidu);
    if (known != stand_in_associations_.end()) return known->second;
    host::MemoryAssociation& association = model_->associations.emplace_back();
    association.id = quidu;
    association.name = NameOf(view.tree(), *view.node);
    association.unavailable = "class diagram \"" + diagram + "\" shows the association " + quidu +
                              ", which is not in the loaded model";
    if (!missing_.empty())
      association.unavailable +=
          "; it may lie in the unit \"" + missing_.front().file_name + "\", which was not loaded";
    stand_in_associations_.emplace(quidu, &association);
    return &association;
  }

  // The package part of a canonical qualified name, below the root package;
  // "" for a name outside it (a class of the use-case view), which has none.
  std::string PackageBelowRoot(const std::string& qualified) const {
    const std::size_t last = qualified.rfind("::");
    if (last == std::string::npos || last <= root_prefix_.size() ||
        qualified.compare(0, root_prefix_.size() + 2, root_prefix_ + "::") != 0)
      return {};
    return qualified.substr(root_prefix_.size() + 2, last - root_prefix_.size() - 2);
  }

  // Places are filled once the model is read, in one pass over each file,
  // so that finding them costs one read of the bytes whatever their number.
  void AddPlace(host::Place& place, Located where) {
    place.file = where.file->index;
    pending_places_.push_back({&place, where.file->index, where.node->text_offset});
  }

  void FillPlaces() {
    // The sort compares without following the pointers: a large model has
    // hundreds of thousands of places, spread over its memory.
    std::sort(pending_places_.begin(), pending_places_.end(), [](const PendingPlace& a, const PendingPlace& b) {
      return std::pair(a.file, a.offset) < std::pair(b.file, b.offset);
    });
    std::size_t next = 0;
    for (const SourceFile& file : files_) {
      std::uint32_t line = 1;
      std::uint32_t line_start = 0;
      std::uint32_t scanned = 0;
      for (; next < pending_places_.size() && pending_places_[next].file == file.index; ++next) {
        const std::string_view text = file.Bytes();
        const std::uint32_t offset =
            std::min<std::uint32_t>(pending_places_[next].offset, static_cast<std::uint32_t>(text.size()));
        const char* const bytes = text.data();
        while (const void* found = std::memchr(bytes + scanned, '\n', offset - scanned)) {
          ++line;
          line_start = static_cast<std::uint32_t>(static_cast<const char*>(found) - bytes) + 1;
          scanned = line_start;
        }
        scanned = offset;
        pending_places_[next].place->line = line;
        pending_places_[next].place->column = offset - line_start + 1;
      }
    }
    pending_places_.clear();
  }

  struct PendingPlace {
    host::Place* place;
    std::uint32_t file;
    std::uint32_t offset;
  };

  const std::string model_path_;
  const PetalOptions& options_;
  const std::function<void(const std::string&)>& warn_;
  PetalModel result_;
  host::MemoryModel* model_ = nullptr;
  std::deque<SourceFile> files_;
  Defaults defaults_;
  std::unordered_map<std::string, Located> classes_by_quid_;
  std::unordered_map<std::string, Located> classes_by_name_;
  std::unordered_map<std::string, Located> simple_names_;
  std::unordered_map<const Node*, std::string> qualified_of_;
  std::unordered_map<std::string, Registered> associations_by_quid_;
  std::vector<Registered> logical_classes_;
  std::vector<Registered> logical_associations_;
  std::vector<Diagram> diagrams_;
  std::vector<Missing> missing_;
  std::unordered_map<std::string, std::size_t> missing_by_prefix_;  // first of each prefix in missing_
  std::set<std::pair<FileIdentity, std::string>> loaded_units_;      // unit files and their quids
  std::map<FileIdentity, const SourceFile*> parsed_;
  petal::FolderListing folders_;
  std::unordered_map<const Node*, host::MemoryClass*> converted_;
  std::unordered_map<const Node*, host::MemoryAssociation*> converted_associations_;
  std::unordered_map<std::string, host::MemoryClass*> stand_ins_;
  std::unordered_map<std::string, host::MemoryAssociation*> stand_in_associations_;
  std::vector<std::pair<host::MemoryClass*, Located>> pending_superclasses_;
  std::vector<PendingPlace> pending_places_;
  std::string root_prefix_;  // the root package's canonical name
};

}  // namespace

PetalModel LoadPetalModel(const std::string& path, const PetalOptions& options,
                          const std::function<void(const std::string&)>& warn) {
  return Loader(path, options, warn).Run({}, std::make_unique<MappedFile>(path));
}

PetalModel ParsePetalModel(std::string bytes, const std::string& path, const PetalOptions& options,
                           const std::function<void(const std::string&)>& warn) {
  return Loader(path, options, warn).Run(std::move(bytes), nullptr);
}

}  // namespace tarn::modelfile
