#include "modelfile/native/native_reader.hpp"

#include <algorithm>
#include <array>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/read_file.hpp"
#include "modelfile/native/yaml_events.hpp"
#include "modelfile/text/code_page.hpp"
#include "modelfile/text/utf8.hpp"

namespace tarn::modelfile {
namespace {

using native::Event;
using native::Mark;
using Kind = Event::Kind;

constexpr std::string_view kDefaultEncoding = "windows-1252";
constexpr std::string_view kMissingVersion =
    "missing \"tarn-model: 1\"; this is not a model file";

constexpr std::array<std::string_view, 7> kModelFields = {
    "tarn-model", "text", "encoding", "selection", "diagrams", "classes", "associations"};
enum ModelField { kVersion, kTextMode, kEncoding, kSelection, kDiagrams, kClasses, kAssociations };
constexpr std::array<std::string_view, 6> kClassFields = {
    "id", "name", "superclasses", "tags", "attributes", "operations"};
constexpr std::array<std::string_view, 4> kAttributeFields = {"name", "type", "initial", "tags"};
constexpr std::array<std::string_view, 6> kOperationFields = {"name", "parameters", "return",
                                                              "pre",  "post",       "tags"};
constexpr std::array<std::string_view, 2> kParameterFields = {"name", "type"};
constexpr std::array<std::string_view, 4> kAssociationFields = {"id", "name", "roles", "tags"};
constexpr std::array<std::string_view, 4> kRoleFields = {"name", "class", "multiplicity",
                                                         "navigable"};
constexpr std::array<std::string_view, 3> kDiagramFields = {"name", "classes", "associations"};

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// The place of an item in the model file (the only file a native model has).
host::Place PlaceOf(const Event& first) {
  return {0, static_cast<std::uint32_t>(first.start.line), static_cast<std::uint32_t>(first.start.column)};
}

// Every LF that does not follow a CR becomes CR LF.
std::string WithCrLf(std::string_view text) {
  std::string result;
  result.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) result += '\r';
    result += text[i];
  }
  return result;
}

// True when every byte is tab, CR, LF or printable ASCII, which every code
// page a model may name keeps as it is (CodePage::KeepsAscii).
bool KeptAsItIs(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) {
    return (c >= 0x20 && c < 0x7F) || c == '\t' || c == '\r' || c == '\n';
  });
}

// A problem of the file where it was found.
struct Problem {
  Mark mark = 0;
  std::string message;
  std::string hint = {};  // how to mend it, or ""
};

// Which problem of a file is reported when it has several: the first rank
// present wins, and within a rank the first problem in the file. Syntax
// errors come before all of these: the stream stops at them.
enum class Rank { kVersion, kUnknownField, kRepeatedField, kTextMode, kEncoding, kContent, kNone };

// A text of the file with where it was written.
struct Scalar {
  std::string text;
  Mark mark = 0;
};

// How the texts of a model are read: its "text" and "encoding" fields.
struct TextSettings {
  bool crlf = true;
  std::string encoding = std::string(kDefaultEncoding);
};

// Where an id leads: a class or an association, and where it was given.
struct Target {
  const host::MemoryClass* model_class = nullptr;
  const host::MemoryAssociation* association = nullptr;
  Mark mark = 0;
};

// An id as given in the file, before it is known to be unique.
struct IdEntry {
  std::string id;
  Target target;
};

struct DiagramReferences {
  host::MemoryClassDiagram* diagram;
  std::vector<Scalar> classes;
  std::vector<Scalar> associations;
};

// Builds the model from the parser's events in one pass over the file.
// References may come before the ids they name (a diagram before its
// classes), so they are kept as written and linked at the end.
class Reader {
 public:
  Reader(native::YamlEvents& events, host::MemoryModel& model, const TextSettings& settings)
      : events_(events), model_(model), settings_(settings) {}

  // Reads the whole file. Returns true when the file states its "text" or
  // "encoding" only after texts that were read with other settings: it must
  // then be read again with Settings(). Throws the file's first problem as a
  // Problem.
  bool Read() {
    const Event root = events_.Next();
    if (root.kind != Kind::kMappingStart) {
      events_.Skip(root);
      events_.Finish();
      if (root.kind == Kind::kNull) throw Problem{root.mark, std::string(kMissingVersion)};
      throw Problem{root.mark, "a model file must be a mapping of fields, not " +
                                   std::string(native::KindName(root.kind))};
    }
    ReadModelFields();
    events_.Finish();
    if (!version_given_) Note(Rank::kVersion, Problem{root.mark, std::string(kMissingVersion)});
    if (read_again_ && rank_ >= Rank::kContent) return true;
    if (rank_ != Rank::kNone) throw Problems();
    Link();
    return false;
  }

  // The problems found, the most fundamental first (a wrong version alone,
  // since the rest may be right in another), then by rank and place.
  std::vector<Problem> Problems() {
    std::stable_sort(problems_.begin(), problems_.end(), [](const auto& a, const auto& b) {
      return a.first != b.first ? a.first < b.first : a.second.mark < b.second.mark;
    });
    std::vector<Problem> found;
    for (auto& [rank, problem] : problems_) {
      if (rank == Rank::kVersion && !found.empty()) break;
      found.push_back(std::move(problem));
      if (rank == Rank::kVersion) break;
    }
    return found;
  }

  const TextSettings& Settings() const { return settings_; }

 private:
  [[noreturn]] static void Fail(Mark mark, std::string message) {
    throw Problem{mark, std::move(message)};
  }

  // Keeps every problem, and the best rank among them; the model is not
  // built further, but the file is read on for more problems.
  void Note(Rank rank, Problem problem) {
    building_ = false;
    rank_ = std::min(rank_, rank);
    problems_.emplace_back(rank, std::move(problem));
  }

  std::string At(Mark mark) const {
    const native::Position position = events_.PositionOf(mark);
    return "line " + std::to_string(position.line) + ", column " +
           std::to_string(position.column);
  }

  template <std::size_t N>
  static std::size_t FieldIndex(const std::array<std::string_view, N>& names,
                                std::string_view name) {
    return static_cast<std::size_t>(std::find(names.begin(), names.end(), name) - names.begin());
  }

  template <std::size_t N>
  static std::string UnknownField(std::string_view name, std::string_view element,
                                  const std::array<std::string_view, N>& names) {
    std::string expected;
    for (std::string_view known : names)
      expected += (expected.empty() ? "" : ", ") + std::string(known);
    return "unknown field " + Quoted(name) + " in " + std::string(element) +
           " (expected one of: " + expected + ")";
  }

  std::string GivenTwice(std::string_view what, std::string_view name, Mark first) const {
    return std::string(what) + " " + Quoted(name) + " given twice (first at " + At(first) + ")";
  }

  // The top-level fields. A problem in one of them is noted with its rank and
  // reading goes on, so that a worse problem later in the file (a wrong
  // version, a syntax error) is the one reported.
  void ReadModelFields() {
    std::array<Mark, kModelFields.size()> given{};
    std::uint32_t seen = 0;
    for (;;) {
      const Event key = events_.Next();
      if (key.kind == Kind::kEnd) return;
      const std::size_t field = FieldIndex(kModelFields, key.text);
      if (field == kModelFields.size() || (seen & (1u << field)) != 0) {
        if (field == kModelFields.size())
          Note(Rank::kUnknownField, {key.mark, UnknownField(key.text, "model", kModelFields)});
        else
          Note(Rank::kRepeatedField, {key.mark, GivenTwice("field", key.text, given[field])});
        events_.Skip(events_.Next());
        continue;
      }
      seen |= 1u << field;
      given[field] = key.mark;
      const Rank rank = field == kVersion    ? Rank::kVersion
                        : field == kTextMode ? Rank::kTextMode
                        : field == kEncoding ? Rank::kEncoding
                                             : Rank::kContent;
      if (rank == Rank::kContent && read_again_) {
        events_.Skip(events_.Next());
        continue;
      }
      try {
        ReadModelField(static_cast<ModelField>(field));
      } catch (Problem& problem) {
        Note(rank, std::move(problem));
        events_.SkipTo(1);
      }
    }
  }

  void ReadModelField(ModelField field) {
    switch (field) {
      case kVersion: {
        version_given_ = true;
        const Scalar version = ReadScalar("tarn-model");
        if (version.text != "1")
          Fail(version.mark, "unknown format version " + Quoted(version.text) +
                                 " (this reader knows version 1)");
        return;
      }
      case kTextMode:
        return ReadTextMode();
      case kEncoding:
        return ReadEncoding();
      case kSelection:
        ReadElements("selection", [&](const Event& item) { selection_.push_back(ReferenceOf(item)); });
        return;
      case kDiagrams:
        ReadElements("diagrams", [&](const Event& item) { ReadDiagram(item); });
        return;
      case kClasses:
        ReadElements("classes", [&](const Event& item) { ReadClass(item); });
        return;
      case kAssociations:
        ReadElements("associations", [&](const Event& item) { ReadAssociation(item); });
        return;
    }
  }

  // Texts read so far used the settings in force; settings stated after
  // them that read texts otherwise mean reading the file again.
  void Settle(bool changed) {
    if (changed && texts_read_) {
      read_again_ = true;
      building_ = false;
    }
  }

  void ReadTextMode() {
    const Scalar mode = ReadScalar("text");
    if (!mode.text.empty() && mode.text != "crlf" && mode.text != "exact")
      Fail(mode.mark, "unknown text mode " + Quoted(mode.text) + " (expected crlf or exact)");
    const bool crlf = mode.text != "exact";
    Settle(crlf != settings_.crlf);
    settings_.crlf = crlf;
  }

  void ReadEncoding() {
    Scalar name = ReadScalar("encoding");
    if (name.text.empty()) name.text = kDefaultEncoding;
    auto code_page = text::CodePage::Open(name.text);
    if (code_page == nullptr) Fail(name.mark, "unknown encoding " + Quoted(name.text));
    if (!code_page->KeepsAscii())
      Fail(name.mark, "encoding " + Quoted(name.text) +
                          " cannot be used: it does not keep ASCII characters as single bytes");
    Settle(name.text != settings_.encoding);
    settings_.encoding = name.text;
    code_page_ = std::move(code_page);
  }

  // Reads a mapping of fields that `first` opens: every key must be one of
  // `names`, given once; `read(index)` reads the value of each.
  template <std::size_t N, class ReadField>
  void ReadFields(const Event& first, std::string_view element,
                  const std::array<std::string_view, N>& names, ReadField read) {
    if (first.kind != Kind::kMappingStart)
      Fail(first.mark, std::string(element.find_first_of("aeiou") == 0 ? "an " : "a ") +
                           std::string(element) + " must be a mapping of fields, not " +
                           std::string(native::KindName(first.kind)));
    std::array<Mark, N> given{};
    std::uint32_t seen = 0;
    for (;;) {
      const Event key = events_.Next();
      if (key.kind == Kind::kEnd) return;
      const std::size_t field = FieldIndex(names, key.text);
      if (field == N) Fail(key.mark, UnknownField(key.text, element, names));
      if ((seen & (1u << field)) != 0) Fail(key.mark, GivenTwice("field", key.text, given[field]));
      seen |= 1u << field;
      given[field] = key.mark;
      read(field);
    }
  }

  // Calls `read` with the first event of each entry of the list `field`;
  // nothing for null. Returns where the list (or null) stands.
  template <class ReadItem>
  Mark ReadList(std::string_view field, ReadItem read) {
    const Event first = events_.Next();
    if (first.kind == Kind::kNull) return first.mark;
    if (first.kind != Kind::kListStart)
      Fail(first.mark, "field " + Quoted(field) + " must be a list, not " +
                           std::string(native::KindName(first.kind)));
    for (;;) {
      const Event item = events_.Next();
      if (item.kind == Kind::kEnd) return first.mark;
      read(item);
    }
  }

  // A list of the model's elements: a problem in one element leaves it and
  // goes on with the next, so that one reading finds the first problem of
  // every element.
  template <class ReadItem>
  void ReadElements(std::string_view field, ReadItem read) {
    std::size_t depth = 0;
    ReadList(field, [&](const Event& item) {
      if (depth == 0) depth = events_.Depth() - (item.IsCollection() ? 1 : 0);
      try {
        read(item);
      } catch (Problem& problem) {
        Note(Rank::kContent, std::move(problem));
        events_.SkipTo(depth);
      }
    });
  }

  static void CheckEscapes(const Event& event) {
    if (event.refused_escape)
      Fail(event.mark, "the text is not valid UTF-8 (write \\N and \\_ as \\u0085 and \\u00A0)");
  }

  // The text of a field as the file gives it; "" for null.
  Scalar ReadScalar(std::string_view name, std::string_view what = "field") {
    const Event value = events_.Next();
    if (value.IsCollection())
      Fail(value.mark, std::string(what) + " " + Quoted(name) + " must be a text, not " +
                           std::string(native::KindName(value.kind)));
    CheckEscapes(value);
    return Scalar{std::string(value.text), value.mark};
  }

  Scalar ReferenceOf(const Event& item) {
    if (item.IsCollection())
      Fail(item.mark, "a reference must be an id (a text), not " +
                          std::string(native::KindName(item.kind)));
    CheckEscapes(item);
    return Scalar{std::string(item.text), item.mark};
  }

  // A text of the model: its line ends as the text mode says, in the
  // model's code page.
  std::string ModelText(Scalar scalar) {
    if (scalar.text.empty()) return std::move(scalar.text);
    texts_read_ = true;
    if (settings_.crlf && scalar.text.find('\n') != std::string::npos)
      scalar.text = WithCrLf(scalar.text);
    return InCodePage(std::move(scalar));
  }

  std::string InCodePage(Scalar scalar) {
    if (KeptAsItIs(scalar.text)) return std::move(scalar.text);
    if (code_page_ == nullptr) code_page_ = text::CodePage::Open(settings_.encoding);
    if (code_page_ == nullptr) Fail(scalar.mark, "unknown encoding " + Quoted(settings_.encoding));
    text::Conversion converted = code_page_->FromUtf8(scalar.text);
    if (!converted.Succeeded()) {
      const auto markup = text::ZMarkupOf(scalar.text, converted.failed_at);
      throw Problem{scalar.mark,
                    "character " + text::DescribeCharacter(scalar.text, converted.failed_at) + " cannot be written in " +
                        settings_.encoding,
                    (markup.empty() ? std::string() : "in Z it is written " + std::string(markup) + "; ") +
                        "encoding: at the top of the file names the code page of the texts and documents, "
                        "windows-1252 unless it says another"};
    }
    return std::move(converted.bytes);
  }

  void ReadText(std::string_view field, std::string& target) {
    target = ModelText(ReadScalar(field));
  }

  void ReadTags(host::TaggedValues& tags) {
    const Event first = events_.Next();
    if (first.kind == Kind::kNull) return;
    if (first.kind != Kind::kMappingStart)
      Fail(first.mark, "field \"tags\" must be a mapping, not " +
                           std::string(native::KindName(first.kind)));
    std::vector<Scalar> keys;
    for (;;) {
      const Event key_event = events_.Next();
      if (key_event.kind == Kind::kEnd) return;
      Scalar key{std::string(key_event.text), key_event.mark};
      for (const Scalar& known : keys)
        if (known.text == key.text) Fail(key.mark, GivenTwice("tag", key.text, known.mark));
      CheckEscapes(key_event);
      keys.push_back(key);
      std::string value = ModelText(ReadScalar(key.text, "tag"));
      tags.Set(InCodePage(std::move(key)), std::move(value));
    }
  }

  // The id of a class or association: its "id", else its name as written.
  // Ids are kept as the file gives them, so that they match references and
  // the command line's selection; "" when there is none.
  std::string AddId(Scalar id, Scalar name, Target target) {
    if (id.text.empty()) id = std::move(name);
    if (id.text.empty()) return {};
    target.mark = id.mark;
    ids_given_.push_back({id.text, target});
    return std::move(id.text);
  }

  void ReadClass(const Event& first) {
    host::MemoryClass& model_class = model_.classes.emplace_back();
    model_class.place = PlaceOf(first);
    Scalar id, name;
    ReadFields(first, "class", kClassFields, [&](std::size_t field) {
      switch (field) {
        case 0:
          id = ReadScalar("id");
          break;
        case 1:
          name = ReadScalar("name");
          model_class.name = ModelText(name);
          break;
        case 2:
          ReadList("superclasses", [&](const Event& item) {
            superclasses_.emplace_back(&model_class, ReferenceOf(item));
          });
          break;
        case 3:
          ReadTags(model_class.tags);
          break;
        case 4:
          // Lists grow by doubling: each is cut to its size once read, which
          // keeps a large model smaller.
          ReadList("attributes", [&](const Event& item) {
            ReadAttribute(item, model_class.attributes.emplace_back());
          });
          model_class.attributes.shrink_to_fit();
          break;
        case 5:
          ReadList("operations", [&](const Event& item) {
            ReadOperation(item, model_class.operations.emplace_back());
          });
          model_class.operations.shrink_to_fit();
          break;
      }
    });
    model_class.id = AddId(std::move(id), std::move(name), Target{&model_class, nullptr, 0});
  }

  void ReadAttribute(const Event& first, host::MemoryAttribute& attribute) {
    attribute.place = PlaceOf(first);
    ReadFields(first, "attribute", kAttributeFields, [&](std::size_t field) {
      switch (field) {
        case 0:
          return ReadText("name", attribute.name);
        case 1:
          return ReadText("type", attribute.type);
        case 2:
          return ReadText("initial", attribute.initial);
        case 3:
          return ReadTags(attribute.tags);
      }
    });
  }

  void ReadOperation(const Event& first, host::MemoryOperation& operation) {
    operation.place = PlaceOf(first);
    ReadFields(first, "operation", kOperationFields, [&](std::size_t field) {
      switch (field) {
        case 0:
          return ReadText("name", operation.name);
        case 1:
          ReadList("parameters", [&](const Event& item) {
            host::MemoryParameter& parameter = operation.parameters.emplace_back();
            parameter.place = PlaceOf(item);
            ReadFields(item, "parameter", kParameterFields, [&](std::size_t parameter_field) {
              ReadText(kParameterFields[parameter_field],
                       parameter_field == 0 ? parameter.name : parameter.type);
            });
          });
          operation.parameters.shrink_to_fit();
          return;
        case 2:
          return ReadText("return", operation.result);
        case 3:
          return ReadText("pre", operation.pre);
        case 4:
          return ReadText("post", operation.post);
        case 5:
          return ReadTags(operation.tags);
      }
    });
  }

  void ReadAssociation(const Event& first) {
    host::MemoryAssociation& association = model_.associations.emplace_back();
    association.place = PlaceOf(first);
    Scalar id, name;
    std::size_t roles = 0;
    Mark roles_at = first.mark;
    ReadFields(first, "association", kAssociationFields, [&](std::size_t field) {
      switch (field) {
        case 0:
          id = ReadScalar("id");
          break;
        case 1:
          name = ReadScalar("name");
          association.name = ModelText(name);
          break;
        case 2:
          roles_at = ReadList("roles", [&](const Event& item) {
            if (roles < 2)
              ReadRole(item, roles == 0 ? association.first : association.second);
            else
              events_.Skip(item);
            ++roles;
          });
          break;
        case 3:
          ReadTags(association.tags);
          break;
      }
    });
    if (roles != 2)
      Fail(roles_at, "an association needs exactly two roles, found " + std::to_string(roles));
    association.id = AddId(std::move(id), std::move(name), Target{nullptr, &association, 0});
  }

  void ReadRole(const Event& first, host::MemoryRole& role) {
    Scalar class_id{{}, first.mark};
    ReadFields(first, "role", kRoleFields, [&](std::size_t field) {
      switch (field) {
        case 0:
          return ReadText("name", role.name);
        case 1:
          class_id = ReadScalar("class");
          return;
        case 2:
          return ReadText("multiplicity", role.multiplicity);
        case 3: {
          const Event flag = events_.Next();
          const std::string_view text = flag.kind == Kind::kText ? flag.text : std::string_view();
          if (text != "true" && text != "false")
            Fail(flag.mark, "field \"navigable\" must be true or false");
          role.navigable = text == "true";
          return;
        }
      }
    });
    if (class_id.text.empty()) Fail(class_id.mark, "a role needs \"class\", the id of its class");
    roles_.emplace_back(&role, std::move(class_id));
  }

  void ReadDiagram(const Event& first) {
    DiagramReferences& references =
        diagrams_.emplace_back(DiagramReferences{&model_.root.diagrams.emplace_back(), {}, {}});
    references.diagram->place = PlaceOf(first);
    ReadFields(first, "diagram", kDiagramFields, [&](std::size_t field) {
      switch (field) {
        case 0:
          return ReadText("name", references.diagram->name);
        case 1:
          ReadList("classes", [&](const Event& item) {
            references.classes.push_back(ReferenceOf(item));
          });
          return;
        case 2:
          ReadList("associations", [&](const Event& item) {
            references.associations.push_back(ReferenceOf(item));
          });
          return;
      }
    });
  }

  // Ids are unique across classes and associations; a repeated id is
  // reported where it is given the second time in the file. Then every
  // reference is followed: superclasses, roles, diagrams, the selection.
  void Link() {
    std::stable_sort(ids_given_.begin(), ids_given_.end(),
                     [](const IdEntry& a, const IdEntry& b) { return a.target.mark < b.target.mark; });
    ids_.reserve(ids_given_.size());
    for (IdEntry& entry : ids_given_) {
      const auto [known, added] = ids_.emplace(std::move(entry.id), entry.target);
      if (!added)
        Fail(entry.target.mark, "duplicate id " + Quoted(known->first) + " (first given at " +
                                    At(known->second.mark) + ")");
    }
    for (const auto& [model_class, reference] : superclasses_)
      model_class->superclasses.push_back(Class(reference));
    for (const auto& [role, reference] : roles_) role->supplier = Class(reference);
    for (const DiagramReferences& references : diagrams_) {
      references.diagram->classes.reserve(references.classes.size());
      for (const Scalar& reference : references.classes)
        references.diagram->classes.push_back(Class(reference));
      references.diagram->associations.reserve(references.associations.size());
      for (const Scalar& reference : references.associations)
        references.diagram->associations.push_back(Association(reference));
    }
    for (const Scalar& reference : selection_) model_.selection.push_back(Element(reference));
  }

  const Target& Find(const Scalar& reference) const {
    const auto found = ids_.find(reference.text);
    if (found == ids_.end()) Fail(reference.mark, "unknown id " + Quoted(reference.text));
    return found->second;
  }

  const host::MemoryClass* Class(const Scalar& reference) const {
    const Target& target = Find(reference);
    if (target.model_class == nullptr)
      Fail(reference.mark, Quoted(reference.text) + " is an association, not a class");
    return target.model_class;
  }

  const host::MemoryAssociation* Association(const Scalar& reference) const {
    const Target& target = Find(reference);
    if (target.association == nullptr)
      Fail(reference.mark, Quoted(reference.text) + " is a class, not an association");
    return target.association;
  }

  const host::Element* Element(const Scalar& reference) const {
    const Target& target = Find(reference);
    if (target.model_class != nullptr) return target.model_class;
    return target.association;
  }

  native::YamlEvents& events_;
  host::MemoryModel& model_;
  TextSettings settings_;
  std::unique_ptr<text::CodePage> code_page_;
  bool building_ = true;
  bool texts_read_ = false;
  bool read_again_ = false;
  bool version_given_ = false;
  Rank rank_ = Rank::kNone;
  std::vector<std::pair<Rank, Problem>> problems_;
  std::vector<IdEntry> ids_given_;
  std::unordered_map<std::string, Target> ids_;
  std::vector<std::pair<host::MemoryClass*, Scalar>> superclasses_;
  std::vector<std::pair<host::MemoryRole*, Scalar>> roles_;
  std::vector<DiagramReferences> diagrams_;
  std::vector<Scalar> selection_;
};

// Reads the file once with `settings`; true when it must be read again with
// the settings `reader` found.
bool ReadOnce(const native::ReadBytes& read, const std::string& path, host::MemoryModel& model,
              TextSettings& settings) {
  native::YamlEvents events(read, path);
  Reader reader(events, model, settings);
  try {
    const bool again = reader.Read();
    settings = reader.Settings();
    return again;
  } catch (const Problem& problem) {
    const native::Position position = events.PositionOf(problem.mark);
    throw LoadError(path, position.line, position.column, problem.message, problem.hint);
  } catch (const std::vector<Problem>& problems) {
    // The first problem, with the others as more, up to a screenful.
    constexpr std::size_t kReported = 20;
    const auto error = [&](const Problem& problem) {
      const native::Position position = events.PositionOf(problem.mark);
      return LoadError(path, position.line, position.column, problem.message, problem.hint);
    };
    LoadError first = error(problems.front());
    for (std::size_t i = 1; i < problems.size() && i < kReported; ++i) first.more.push_back(error(problems[i]));
    first.unreported = problems.size() > kReported ? problems.size() - kReported : 0;
    throw first;
  }
}

std::unique_ptr<host::MemoryApplication> Parse(const native::ReadBytes& read,
                                               const std::string& path) {
  TextSettings settings;
  auto application = std::make_unique<host::MemoryApplication>();
  if (ReadOnce(read, path, application->model, settings)) {
    // The second reading starts with the file's own settings, so it agrees
    // with every one it meets.
    application = std::make_unique<host::MemoryApplication>();
    ReadOnce(read, path, application->model, settings);
  }
  application->model.encoding = settings.encoding;
  application->model.files.push_back(path);
  return application;
}

}  // namespace

std::unique_ptr<host::MemoryApplication> ParseNativeModel(std::string_view bytes,
                                                          const std::string& path) {
  return Parse(
      [bytes](std::size_t offset, char* buffer, std::size_t size) {
        const std::string_view piece = bytes.substr(std::min(offset, bytes.size()), size);
        std::copy(piece.begin(), piece.end(), buffer);
        return piece.size();
      },
      path);
}

// A regular file is read in pieces as the parser goes, so that its bytes
// never take memory beside the model; a pipe is read whole first, within the
// size limit of a model file.
std::unique_ptr<host::MemoryApplication> LoadNativeModel(const std::string& path) {
  // What is not a model file is refused before it is opened.
  CheckModelFile(path);
  if (!IsRegularFile(path)) return ParseNativeModel(ReadModelFile(path), path);
  const InputFile file(path);
  return Parse(
      [&file](std::size_t offset, char* buffer, std::size_t size) {
        return file.ReadAt(offset, buffer, size);
      },
      path);
}

}  // namespace tarn::modelfile
