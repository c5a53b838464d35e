#include "modelfile/xmi/model_builder.hpp"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>

#include "common/error.hpp"
#include "common/file_identity.hpp"
#include "modelfile/load_error.hpp"
#include "modelfile/text/utf8.hpp"
#include "modelfile/xmi/model_collector.hpp"

namespace tarn::modelfile::xmi {
namespace {



std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// A place of one of the model's files for the host.
host::Place InModel(Place where) {
  return {static_cast<std::uint32_t>(where.file), static_cast<std::uint32_t>(where.line),
          static_cast<std::uint32_t>(where.column)};
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

bool HasTag(const host::TaggedValues& tags, std::string_view name) {
  for (const host::TaggedValueEntry& entry : tags.entries)
    if (entry.tool == host::kTool && entry.name == name) return true;
  return false;
}

// Enterprise Architect writes a type it has no element for as an id of the
// form EA<Language>_<name> ("EAJava_int"): the name is the type.
std::string EaTypeName(std::string_view id) {
  if (id.rfind("EA", 0) != 0) return {};
  const auto underscore = id.find('_');
  if (underscore == std::string_view::npos || underscore + 1 == id.size()) return {};
  const std::string_view prefix = id.substr(0, underscore);
  if (prefix == "EAID" || prefix == "EAPK") return {};
  return std::string(id.substr(underscore + 1));
}

// An href into the primitive-type libraries of UML and Eclipse, by their
// addresses or file names (and EA 2.1's ".../UML/2.1/uml.xml"): the fragment
// is the type's name (String, Integer, EString, int...).
bool IsLibraryHref(std::string_view href) {
  const std::string_view file = href.substr(0, href.find('#'));
  const auto uml = file.rfind("/UML/2.");
  return file.starts_with("pathmap://UML_LIBRARIES/") || file.starts_with("http://www.omg.org/spec/UML/") ||
         file.ends_with("PrimitiveTypes.xmi") || file.ends_with("PrimitiveTypes.library.uml") ||
         file.ends_with("Ecore.ecore") ||
         (uml != std::string_view::npos && file.ends_with("/uml.xml") &&
          file.find('/', uml + 5) == file.size() - 8);
}

std::string_view Fragment(std::string_view href) {
  const auto hash = href.find('#');
  return hash == std::string_view::npos ? std::string_view() : href.substr(hash + 1);
}

// A library type's name: the fragment without the slashes Ecore puts in front.
std::string LibraryTypeName(std::string_view href) {
  std::string_view name = Fragment(href);
  while (name.starts_with('/')) name.remove_prefix(1);
  return std::string(name);
}

}  // namespace

ModelBuilder::ModelBuilder(ModelRecords records, const std::string& path, const XmiOptions& options,
                           const Warn& warn)
    : records_(std::move(records)), path_(path), options_(options), warn_(warn) {
  code_page_ = text::CodePage::Open(options_.encoding);
  if (code_page_ == nullptr || !code_page_->KeepsAscii())
    throw LoadError(path_, 1, 1, "unknown encoding " + Quoted(options_.encoding));
}

XmiModel ModelBuilder::Build() {
  result_.app = std::make_unique<host::MemoryApplication>();
  model_ = &result_.app->model;
  model_->encoding = options_.encoding;
  model_->files.push_back(path_);  // then its units, then the .notation files
  LoadUnits();
  FindRoot();
  ComputeQualifiedNames();
  result_.root = records_.namespaces[root_].name;
  model_->root.name = Text(records_.namespaces[root_].name, {1, 1});
  AddPackages();
  FindTagTargets();
  IndexConstraints();
  AddClasses();
  // The conditions are in the host now.
  constraint_by_id_.Release();
  decltype(records_.constraints)().swap(records_.constraints);
  AddSuperclasses();
  AddAssociations();
  AddTags();
  AddDiagrams();
  WarnNoClass();
  WarnOnce();
  return std::move(result_);
}

std::string ModelBuilder::Located(Place where) const {
  return model_->files[static_cast<std::size_t>(where.file)] + ":" + std::to_string(where.line) + ":" +
         std::to_string(where.column);
}

std::string ModelBuilder::Text(std::string utf8, Place where) const {
  // Most texts are one line of ASCII: both are told without a test per byte.
  unsigned char high_bits = 0;
  for (const char byte : utf8) high_bits |= static_cast<unsigned char>(byte);
  const bool ascii = high_bits < 0x80;
  std::size_t bare_line_feeds = 0;
  for (std::size_t i = utf8.find('\n'); i != std::string::npos; i = utf8.find('\n', i + 1))
    bare_line_feeds += i == 0 || utf8[i - 1] != '\r';
  if (bare_line_feeds > 0) {
    // Line by line: the text up to each bare LF, then CR LF.
    std::string crlf;
    crlf.reserve(utf8.size() + bare_line_feeds);
    std::size_t from = 0;
    for (std::size_t i = utf8.find('\n'); i != std::string::npos; i = utf8.find('\n', i + 1)) {
      if (i > 0 && utf8[i - 1] == '\r') continue;
      crlf.append(utf8, from, i - from).append("\r\n");
      from = i + 1;
    }
    crlf.append(utf8, from, std::string::npos);
    utf8.swap(crlf);
  }
  // The code page keeps ASCII as it is.
  if (ascii) return utf8;
  text::Conversion converted = code_page_->FromUtf8(utf8);
  if (!converted.Succeeded()) {
    const auto markup = text::ZMarkupOf(utf8, converted.failed_at);
    throw LoadError(model_->files[static_cast<std::size_t>(where.file)], where.line, where.column,
                    "character " + text::DescribeCharacter(utf8, converted.failed_at) +
                        " cannot be written in " + options_.encoding +
                        "; name a code page that holds it with --encoding",
                    markup.empty() ? std::string() : "in Z it is written " + std::string(markup));
  }
  return std::move(converted.bytes);
}

// The packages kept in files of their own (Papyrus's controlled units), each
// read from the file its href names, relative to the file that names it, and
// put where the href stands; then the units those name in turn. A file is
// read once, however many paths lead to it.
void ModelBuilder::LoadUnits() {
  std::set<FileIdentity> read;
  if (const auto identity = IdentityOf(path_)) read.insert(*identity);
  for (std::size_t i = 0; i < records_.units.size(); ++i) {
    const UnitRecord unit = records_.units[i];  // a copy: merging a unit adds to the list
    const std::string& target = unit.href.target;
    const std::string name = target.substr(0, target.find('#'));
    const std::filesystem::path from(model_->files[static_cast<std::size_t>(unit.href.place.file)]);
    const std::string path = (from.parent_path() / name).string();
    const auto not_loaded = [&](const std::string& why) {
      warn_(Located(unit.href.place) + ": warning: the package in " + Quoted(name) + " is not loaded: " + why);
    };
    std::error_code error;
    if (name.empty() || !std::filesystem::is_regular_file(path, error)) {
      not_loaded("there is no file " + path);
      continue;
    }
    const auto identity = IdentityOf(path);
    if (identity && !read.insert(*identity).second) continue;
    const int file = static_cast<int>(model_->files.size());
    model_->files.push_back(path);
    try {
      Merge(CollectModelFile(path, file), unit.parent);
      unit_files_.push_back(file);
    } catch (const LoadError& failure) {
      not_loaded(failure.what());
    } catch (const Error& failure) {
      not_loaded(failure.Description());
    }
  }
}

// Puts the records of a unit's file among the model's, its package inside
// namespace `parent`.
void ModelBuilder::Merge(ModelRecords unit, int parent) {
  const int offset = static_cast<int>(records_.namespaces.size());
  const auto moved = [offset](int index) { return index == kNone ? kNone : index + offset; };
  for (NamespaceRecord& name_space : unit.namespaces) {
    // The unit's top-level packages belong where the href stands.
    name_space.parent = name_space.parent == kNone ? parent : moved(name_space.parent);
    records_.namespaces.push_back(std::move(name_space));
  }
  for (std::size_t i = 0; i < unit.packages.size(); ++i) {
    records_.packages.push_back(moved(unit.packages[i]));
    records_.package_ids.push_back(std::move(unit.package_ids[i]));
  }
  for (ClassRecord& record : unit.classes) {
    record.name_space = moved(record.name_space);
    record.package = moved(record.package);
    records_.classes.push_back(std::move(record));
  }
  for (PropertyRecord& end : unit.ends) records_.ends.push_back(std::move(end));
  for (AssociationRecord& record : unit.associations) {
    record.owner = moved(record.owner);
    record.package = moved(record.package);
    records_.associations.push_back(std::move(record));
  }
  for (ConstraintRecord& constraint : unit.constraints) records_.constraints.push_back(std::move(constraint));
  for (auto& [id, named] : unit.named) {
    named.name_space = moved(named.name_space);
    records_.named.emplace(id, std::move(named));
  }
  records_.ea_end_names.merge(unit.ea_end_names);
  for (const auto& [kind, count] : unit.member_kinds) records_.member_kinds[kind] += count;
  records_.stereotype_tags.insert(records_.stereotype_tags.end(), unit.stereotype_tags.begin(),
                                  unit.stereotype_tags.end());
  records_.ea_tags.insert(records_.ea_tags.end(), unit.ea_tags.begin(), unit.ea_tags.end());
  records_.unknown_tags.insert(records_.unknown_tags.end(), unit.unknown_tags.begin(), unit.unknown_tags.end());
  for (DiagramRecord& diagram : unit.umldi_diagrams) {
    diagram.holder = moved(diagram.holder);
    records_.umldi_diagrams.push_back(std::move(diagram));
  }
  records_.id_hashes.insert(records_.id_hashes.end(), unit.id_hashes.begin(), unit.id_hashes.end());
  records_.id_hashes_sorted = false;
  for (UnitRecord& nested : unit.units) {
    nested.parent = moved(nested.parent);
    records_.units.push_back(std::move(nested));
  }
}

// The first top-level package; in an Enterprise Architect file, the one
// package inside EA's wrapper model.
void ModelBuilder::FindRoot() {
  root_ = records_.top_packages.front();
  if (records_.exporter != "Enterprise Architect" || records_.namespaces[root_].name != "EA_Model")
    return;
  int only = kNone;
  int count = 0;
  for (int package : records_.packages)
    if (records_.namespaces[package].parent == root_) {
      only = package;
      ++count;
    }
  if (count == 1) root_ = only;
}

void ModelBuilder::ComputeQualifiedNames() {
  // A namespace comes after the one that holds it, so one pass in order does.
  qualified_.reserve(records_.namespaces.size());
  for (std::size_t i = 0; i < records_.namespaces.size(); ++i) {
    const NamespaceRecord& name_space = records_.namespaces[i];
    if (static_cast<int>(i) == root_ || name_space.parent == kNone)
      qualified_.push_back(name_space.name);
    else
      qualified_.push_back(qualified_[name_space.parent] + "::" + name_space.name);
  }
}

void ModelBuilder::AddPackages() {
  for (std::size_t i = 0; i < records_.packages.size(); ++i) {
    const std::string& id = records_.package_ids[i];
    if (id.empty()) continue;
    const int package = records_.packages[i];
    if (package == root_) {
      result_.packages.emplace(id, &model_->root);
      continue;
    }
    host::MemoryPackage& stand_in = result_.otherPackages.emplace_back();
    stand_in.name = Text(records_.namespaces[package].name, {1, 1});
    result_.packages.emplace(id, &stand_in);
  }
}

template <class Of>
std::string ModelBuilder::TypeText(const Reference& type, const Of& of) {
  if (type.Empty()) return {};
  const std::string id = LocalId(type);
  if (const int* found = class_by_id_.Find(id))
    return records_.classes[static_cast<std::size_t>(*found)].name;
  if (const auto found = records_.named.find(id); found != records_.named.end()) return found->second.name;
  if (type.href && IsLibraryHref(type.target))
    if (std::string name = LibraryTypeName(type.target); !name.empty()) return name;
  // MagicDraw's own types (int, double, void) lie in its profile, which it
  // names beside the href.
  if (type.href && !type.referent.empty()) return type.referent;
  if (!type.href)
    if (std::string name = EaTypeName(id); !name.empty()) return name;
  if (unresolved_types_++ == 0)
    first_unresolved_type_ = Located(type.place) + ": warning: the type of " + of() + " refers to " +
                             Quoted(type.target) + ", which is not in the file; the type reads as \"\"";
  return {};
}

// Every condition's text on a line of its own, in the order the operation
// names them.
template <class Of>
std::string ModelBuilder::ConditionText(const std::vector<Reference>& conditions, const Of& of) {
  std::string joined;
  bool first = true;
  for (const Reference& condition : conditions) {
    const ConstraintRecord* const* found = constraint_by_id_.Find(LocalId(condition));
    if (found == nullptr) {
      warn_(Located(condition.place) + ": warning: " + of() + " refers to " + Quoted(condition.target) +
            ", which is not a constraint of the file; it is left out");
      continue;
    }
    const ConstraintRecord& constraint = **found;
    std::string text = Text(ExpressionText(constraint.specification, constraint.name), constraint.place);
    if (first)
      joined = std::move(text);
    else
      joined += "\r\n" + text;
    first = false;
  }
  return joined;
}

void ModelBuilder::AddClasses() {
  class_by_id_.Reserve(records_.classes.size());
  for (std::size_t i = 0; i < records_.classes.size(); ++i)
    class_by_id_.Add(records_.classes[i].id, static_cast<int>(i));
  end_by_id_.Reserve(records_.ends.size());
  for (std::size_t i = 0; i < records_.ends.size(); ++i)
    end_by_id_.Add(records_.ends[i].id, static_cast<int>(i));
  for (std::size_t i = 0; i < records_.packages.size(); ++i)
    if (!records_.package_ids[i].empty()) package_by_id_.emplace(records_.package_ids[i], records_.packages[i]);

  for (ClassRecord& record : records_.classes) {
    host::MemoryClass& model_class = model_->classes.emplace_back();
    classes_.push_back(&model_class);
    model_class.id = record.id;
    model_class.name = Text(record.name, record.place);  // the record's name serves the items too
    model_class.package = Text(BelowRoot(records_.namespaces[record.name_space].parent), record.place);
    model_class.place = InModel(record.place);
    KeepTags(record.id, &model_class.tags);
    const std::string& qualified = Qualified(record.name_space);
    model_class.attributes.reserve(record.attributes.size());
    model_class.operations.reserve(record.operations.size());
    for (PropertyRecord& property : record.attributes) {
      host::MemoryAttribute& attribute = model_class.attributes.emplace_back();
      attribute.type = Text(
          TypeText(property.type, [&] { return "attribute " + qualified + "::" + property.name; }),
          property.place);
      attribute.name = Text(std::move(property.name), property.place);
      attribute.initial = Text(ValueText(property.default_value), property.place);
      attribute.place = InModel(property.place);
    }
    for (OperationRecord& operation_record : record.operations)
      AddOperation(operation_record, model_class.operations.emplace_back());
    // Where the tags of its features go, now that the class holds them all.
    for (std::size_t i = 0; i < record.attributes.size(); ++i)
      KeepTags(record.attributes[i].id, &model_class.attributes[i].tags);
    for (std::size_t i = 0; i < record.operations.size(); ++i) {
      host::MemoryOperation& operation = model_class.operations[i];
      KeepTags(record.operations[i].id, &operation.tags);
      if (record.operations[i].is_query) query_operations_.push_back(&operation);
    }
    // The class is in the host now: its records go, so that the two are never
    // held whole at once.
    std::vector<PropertyRecord>().swap(record.attributes);
    std::vector<OperationRecord>().swap(record.operations);
    result_.items.push_back({record.id, qualified, record.name, &model_class});
  }
}

void ModelBuilder::AddOperation(OperationRecord& record, host::MemoryOperation& operation) {
  const auto of = [&record] { return "operation " + record.name; };
  operation.name = Text(record.name, record.place);
  operation.place = InModel(record.place);
  operation.parameters.reserve(record.parameters.size());
  bool returns = false;
  for (ParameterRecord& parameter : record.parameters) {
    if (parameter.direction == "return") {
      // A result of type void (EA's EA<Language>_void, MagicDraw's void) is no result.
      if (!returns) {
        std::string type = TypeText(parameter.type, [&] { return "the result of " + of(); });
        operation.result = type == "void" ? "" : Text(std::move(type), parameter.place);
      }
      returns = true;
      continue;
    }
    host::MemoryParameter& target = operation.parameters.emplace_back();
    target.type = Text(
        TypeText(parameter.type, [&] { return "parameter " + parameter.name + " of " + of(); }),
        parameter.place);
    target.name = Text(std::move(parameter.name), parameter.place);
    target.place = InModel(parameter.place);
  }
  operation.pre = ConditionText(record.preconditions, [&] { return "a precondition of " + of(); });
  operation.post = ConditionText(record.postconditions, [&] { return "a postcondition of " + of(); });
}

std::string ModelBuilder::LocalId(const Reference& reference) {
  return reference.href ? std::string(Fragment(reference.target)) : reference.target;
}


std::string ModelBuilder::ValueText(const ValueRecord& value) {
  if (!value.present) return {};
  const ValueKind kind = value.kind;
  if (kind == ValueKind::kLiteralInteger || kind == ValueKind::kLiteralUnlimitedNatural ||
      kind == ValueKind::kLiteralReal)
    return value.has_value ? value.value : "0";
  if (kind == ValueKind::kLiteralBoolean) return value.has_value ? value.value : "false";
  if (kind == ValueKind::kLiteralNull) return {};
  if (kind == ValueKind::kInstanceValue) {
    if (!value.expression) return {};
    const auto found = records_.named.find(LocalId(value.expression->instance));
    return found == records_.named.end() ? std::string() : found->second.name;
  }
  if (kind == ValueKind::kOpaqueExpression) return ExpressionText(value, "");
  return value.value;
}

// One bound of a multiplicity: the number, or the text of another value
// specification; `unlimited` tells "*" (or -1) in any literal.
std::string ModelBuilder::BoundText(const ValueRecord& bound, bool& unlimited) {
  const bool numeric = bound.kind == ValueKind::kNone || bound.kind == ValueKind::kLiteralInteger ||
                       bound.kind == ValueKind::kLiteralUnlimitedNatural;
  std::string text = numeric ? (bound.has_value ? bound.value : "0") : ValueText(bound);
  unlimited = text == "*" || (numeric && text == "-1");
  return text;
}

namespace {

// A bound whose text is a whole range ("0..*", "2..5"), as some tools write
// a multiplicity in one literal: its lower and upper bound, "*" as "n".
bool SplitRange(const std::string& text, std::string& lower, std::string& upper) {
  const auto dots = text.find("..");
  if (dots == std::string::npos) return false;
  const auto bound = [](std::string part) {
    part.erase(0, part.find_first_not_of(' '));
    part.erase(part.find_last_not_of(' ') + 1);
    const bool number = !part.empty() && part.find_first_not_of("0123456789") == std::string::npos;
    return number || part == "*" ? (part == "*" ? std::string("n") : part) : std::string();
  };
  lower = bound(text.substr(0, dots));
  upper = bound(text.substr(dots + 2));
  return !lower.empty() && !upper.empty() && lower != "n";
}

std::string Range(const std::string& lower, const std::string& upper) {
  return lower == upper ? lower : lower + ".." + upper;
}

}  // namespace

// The multiplicity as Tarn's documents write it: "1", "0..1", "0..n", "2..5".
// A bound left out is UML's default 1, both left out "1" (in Enterprise
// Architect's files, where only an empty multiplicity leaves them out, "");
// an unlimited lower bound reads 0, and one given alone means "0..n".
std::string ModelBuilder::Multiplicity(const PropertyRecord& end) {
  if (!end.lower.present && !end.upper.present) return records_.exporter == "Enterprise Architect" ? "" : "1";
  bool lower_unlimited = false;
  bool upper_unlimited = false;
  std::string lower = end.lower.present ? BoundText(end.lower, lower_unlimited) : "1";
  std::string upper = end.upper.present ? BoundText(end.upper, upper_unlimited) : "1";
  std::string from, to;
  if (end.lower.present != end.upper.present && SplitRange(end.lower.present ? lower : upper, from, to))
    return Range(from, to);
  if (lower_unlimited) {
    lower = "0";
    if (!end.upper.present) upper_unlimited = true;
  }
  return upper_unlimited ? lower + "..n" : Range(lower, upper);
}

// The text of a constraint: the body in LaTeX, Z or Object-Z, else the first
// body, else a literal's value, else (Enterprise Architect) its name.
std::string ModelBuilder::ExpressionText(const ValueRecord& specification, const std::string& name) {
  if (specification.expression) {
    const auto& bodies = specification.expression->bodies;
    const auto& languages = specification.expression->languages;
    for (std::size_t i = 0; i < bodies.size() && i < languages.size(); ++i)
      if (EqualsIgnoringCase(languages[i], "LaTeX") || EqualsIgnoringCase(languages[i], "Z") ||
          EqualsIgnoringCase(languages[i], "Object-Z"))
        return bodies[i];
    if (!bodies.empty()) return bodies.front();
  }
  if (specification.has_value) return specification.value;
  return name;
}


// The class a superclass or a role names: a class of the file, or a stand-in
// with the name of another classifier; null when the reference leads nowhere,
// with `problem` saying why.
const host::MemoryClass* ModelBuilder::ClassAt(const Reference& reference, std::string& problem) {
  const std::string id = LocalId(reference);
  if (const int* found = class_by_id_.Find(id)) return classes_[static_cast<std::size_t>(*found)];
  if (const auto known = stand_ins_.find(id); known != stand_ins_.end()) return known->second;
  const auto named = records_.named.find(id);
  const bool classifier = named != records_.named.end() && !id.empty() && named->second.metaclass != "Package";
  // A class that an Enterprise Architect package export leaves out, known
  // only by the name its connector gives it.
  const auto outside = classifier || id.empty() ? records_.ea_end_names.end() : records_.ea_end_names.find(id);
  if (!classifier && outside == records_.ea_end_names.end()) {
    problem = reference.href && !id.empty() && Fragment(reference.target).size() + 1 != reference.target.size()
                  ? "which lies in another file"
                  : "which is not in the file";
    return nullptr;
  }
  host::MemoryClass& stand_in = model_->classes.emplace_back();
  stand_in.id = id;
  stand_in.name = Text(classifier ? named->second.name : outside->second, reference.place);
  stand_in.standsFor = classifier ? named->second.metaclass : "a class outside the export";
  stand_ins_.emplace(id, &stand_in);
  if (!classifier) outside_.insert(&stand_in);
  return &stand_in;
}

// The warning of a class that lies outside an Enterprise Architect package
// export, for `what` that refers to it.
void ModelBuilder::WarnOutside(const std::vector<const host::MemoryClass*>& classes, const std::string& what,
                               Place where) {
  std::string names;
  for (const host::MemoryClass* found : classes) {
    if (outside_.count(found) == 0) continue;
    names += (names.empty() ? "" : " and ") + Quoted(text::ToUtf8OrUnchanged(found->name, options_.encoding));
  }
  if (names.empty()) return;
  warn_(Located(where) + ": warning: " + what + " refers to " + names +
        ", which the export leaves out (Enterprise Architect names it in the connector only); it stands for a "
        "class of that name without features");
}

// A class that every use of raises `message`: what an unresolved reference
// leads to, so that a command fails only when it needs it.
const host::MemoryClass* ModelBuilder::Unavailable(const std::string& message) {
  host::MemoryClass& missing = model_->classes.emplace_back();
  missing.unavailable = message;
  return &missing;
}

void ModelBuilder::AddSuperclasses() {
  for (std::size_t i = 0; i < records_.classes.size(); ++i) {
    const ClassRecord& record = records_.classes[i];
    for (const Reference& general : record.generals) {
      std::string problem;
      const host::MemoryClass* superclass = ClassAt(general, problem);
      if (superclass == nullptr) {
        const std::string what = "the superclass of class " + Qualified(record.name_space) + " refers to " +
                                 Quoted(general.target) + ", " + problem;
        warn_(Located(general.place) + ": warning: " + what);
        superclass = Unavailable(Located(general.place) + ": " + what);
      }
      if (!outside_.empty())
        WarnOutside({superclass}, "the superclass of class " + Qualified(record.name_space), general.place);
      classes_[i]->superclasses.push_back(superclass);
    }
  }
}

void ModelBuilder::AddAssociations() {
  ConvertAssociations();
  // The roles are in the host now.
  std::deque<PropertyRecord>().swap(records_.ends);
  end_by_id_.Release();
}

void ModelBuilder::ConvertAssociations() {
  const bool ea = records_.exporter == "Enterprise Architect";
  association_by_id_.Reserve(records_.associations.size());
  for (const AssociationRecord& record : records_.associations) {
    host::MemoryAssociation& association = model_->associations.emplace_back();
    associations_.push_back(&association);
    association.id = record.id;
    association.name = Text(record.name, record.place);
    association.package = Text(BelowRoot(record.owner), record.place);
    association.place = InModel(record.place);
    if (!record.id.empty()) {
      KeepTags(record.id, &association.tags);
      association_by_id_.Add(record.id, &association);
    }
    const std::string qualified = Qualified(record.owner) + "::" + record.name;
    result_.items.push_back({record.id, qualified, record.name, &association});
    // How messages name it: an unnamed association by its id.
    const std::string label = record.name.empty() && !record.id.empty()
                                  ? record.id + " (unnamed, in " + Qualified(record.owner) + ")"
                                  : qualified;

    std::vector<const PropertyRecord*> ends;
    for (const Reference& end : record.member_ends) {
      const int* found = end_by_id_.Find(LocalId(end));
      if (found != nullptr)
        ends.push_back(&records_.ends[static_cast<std::size_t>(*found)]);
      else if (const PropertyRecord* outside = ea ? EndOutside(record, LocalId(end)) : nullptr)
        ends.push_back(outside);
    }
    std::string problem;
    if (ends.size() != 2) {
      problem = "association " + label + " has " + std::to_string(ends.size()) +
                " member ends in the file; Tarn translates associations with two";
    } else {
      // Enterprise Architect lists the end at the target class first.
      if (ea && ends[1]->id.rfind("EAID_src", 0) == 0) std::swap(ends[0], ends[1]);
      host::MemoryRole* roles[] = {&association.first, &association.second};
      for (int i = 0; i < 2 && problem.empty(); ++i) {
        const PropertyRecord& end = *ends[i];
        host::MemoryRole& role = *roles[i];
        role.name = Text(end.name, end.place);
        role.multiplicity = Text(Multiplicity(end), end.place);
        role.navigable = end.navigable ||
                         std::find(record.navigable_owned_ends.begin(), record.navigable_owned_ends.end(),
                                   end.id) != record.navigable_owned_ends.end();
        std::string why;
        role.supplier = ClassAt(end.type, why);
        if (role.supplier == nullptr)
          problem = "the " + std::string(i == 0 ? "first" : "second") + " role of association " + label +
                    (end.type.Empty() ? " has no class"
                                      : " refers to " + Quoted(end.type.target) + ", " + why);
      }
    }
    if (problem.empty() && !outside_.empty())
      WarnOutside({association.first.supplier, association.second.supplier}, "association " + label, record.place);
    if (!problem.empty()) {
      warn_(Located(record.place) + ": warning: " + problem);
      association.unavailable = Located(record.place) + ": " + problem;
      const host::MemoryClass* nowhere = Unavailable(association.unavailable);
      association.first.supplier = association.second.supplier = nowhere;
    }
  }
}

// An end of an Enterprise Architect association that a class outside a
// package export owns, and so is not in the file: made from what the
// connector says of it ("EAID_dst..." its target end, "EAID_src..." its
// source end); null when the connector does not say.
const PropertyRecord* ModelBuilder::EndOutside(const AssociationRecord& association, const std::string& id) {
  const int side = id.rfind("EAID_src", 0) == 0 ? 0 : id.rfind("EAID_dst", 0) == 0 ? 1 : -1;
  const auto connector = records_.ea_connectors.find(association.id);
  if (side < 0 || connector == records_.ea_connectors.end()) return nullptr;
  const ModelRecords::EaConnectorEnd& said = connector->second[static_cast<std::size_t>(side)];
  if (said.class_id.empty()) return nullptr;
  PropertyRecord& end = outside_ends_.emplace_back();
  end.id = id;
  end.name = said.role;
  end.navigable = said.navigable;
  end.type = {said.class_id, false, association.place};
  end.place = association.place;
  // The multiplicity as one literal, which may hold a whole range.
  if (!said.multiplicity.empty()) {
    end.lower.present = end.lower.has_value = true;
    end.lower.kind = ValueKind::kOther;  // a LiteralString
    end.lower.value = said.multiplicity;
  }
  return &end;
}

void ModelBuilder::IndexConstraints() {
  constraint_by_id_.Reserve(records_.constraints.size());
  for (const ConstraintRecord& constraint : records_.constraints)
    constraint_by_id_.Add(constraint.id, &constraint);
}

void ModelBuilder::FindTagTargets() {
  for (const auto* tags : {&records_.stereotype_tags, &records_.ea_tags})
    for (const TagRecord& tag : *tags) tags_by_id_.Add(tag.element, nullptr);
}

void ModelBuilder::KeepTags(std::string_view id, host::TaggedValues* tags) {
  // The first element of an id keeps it.
  if (host::TaggedValues** target = tags_by_id_.Find(id); target != nullptr && *target == nullptr)
    *target = tags;
}

// Tagged values: a stereotype application of the Tarn profile first, then
// Enterprise Architect's tags; the first value of a name wins.
void ModelBuilder::AddTags() {
  for (const auto* tags : {&records_.stereotype_tags, &records_.ea_tags})
    for (const TagRecord& tag : *tags) {
      host::TaggedValues* const* target = tags_by_id_.Find(tag.element);
      if (target == nullptr || *target == nullptr || HasTag(**target, tag.name)) continue;
      (*target)->Set(tag.name, Text(tag.value, tag.place));
    }
  for (host::MemoryOperation* operation : query_operations_)
    if (!HasTag(operation->tags, "isQuery")) operation->tags.Set("isQuery", "True");
}

// A file of a dialect Tarn does not know may yield no class: say what its
// model holds instead, the most frequent metaclasses first.
void ModelBuilder::WarnNoClass() {
  if (!records_.classes.empty()) return;
  std::vector<std::pair<int, std::string>> kinds;
  for (const auto& [kind, count] : records_.member_kinds) kinds.emplace_back(-count, kind);
  std::sort(kinds.begin(), kinds.end());
  std::string held;
  for (const auto& [count, kind] : kinds) held += (held.empty() ? "" : ", ") + std::to_string(-count) + " " + kind;
  warn_(path_ + ": warning: no class was read from the file; its model holds " +
        (held.empty() ? std::string("no packaged elements") : held));
}

void ModelBuilder::WarnOnce() {
  if (unresolved_types_ > 1)
    first_unresolved_type_ +=
        " (" + std::to_string(unresolved_types_ - 1) + " more type references cannot be resolved either)";
  if (unresolved_types_ > 0) warn_(first_unresolved_type_);
  std::vector<std::string> named;
  for (const auto& [name, place] : records_.unknown_tags) {
    if (std::find(named.begin(), named.end(), name) != named.end()) continue;
    named.push_back(name);
    warn_(Located(place) + ": warning: the Tarn profile has no tag " + Quoted(name) +
          "; Tarn's tags are Properties, Invariant, isQuery, isDefinition, Retrieve, TypeOfRoleA, "
          "TypeOfRoleB, RoleAInvariant and RoleBInvariant");
  }
}

int ModelBuilder::PackageOf(int name_space) const {
  while (name_space != kNone && !records_.namespaces[name_space].is_package)
    name_space = records_.namespaces[name_space].parent;
  return name_space;
}

}  // namespace tarn::modelfile::xmi
