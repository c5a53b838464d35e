#include "cli/model_warnings.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <set>
#include <string_view>

#include "cli/item_names.hpp"
#include "cli/z_text_warnings.hpp"
#include "common/line_rule.hpp"
#include "common/z_name.hpp"

namespace tarn::cli {
namespace {

constexpr std::array<std::string_view, 9> kKnownTags = {"Properties",   "Invariant",      "isQuery",
                                                        "isDefinition", "Retrieve",       "TypeOfRoleA",
                                                        "TypeOfRoleB",  "RoleAInvariant", "RoleBInvariant"};

bool SameButCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// A flag's value that its author most likely meant as true.
bool MeantAsTrue(const std::string& value) {
  std::string folded = Trim(value);
  std::transform(folded.begin(), folded.end(), folded.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return value != "True" &&
         (folded == "true" || folded == "yes" || folded == "y" || folded == "1" || folded == "on");
}

class Warnings {
 public:
  explicit Warnings(const host::MemoryModel& model) : model_(model), names_(model) {}

  void Add(const host::Place& place, std::string text) {
    list_.push_back({Diagnostic::Severity::kWarning, LocationOf(model_, place), std::move(text), 0, {}});
  }
  std::string Quoted(const std::string& text) const { return names_.Quoted(text); }

  void Tags(const host::TaggedValues& tags, const host::Place& place, const std::string& owner) {
    for (const auto& entry : tags.entries) {
      if (entry.tool != host::kTool) continue;
      for (const auto known : kKnownTags)
        if (entry.name != known && SameButCase(entry.name, known)) {
          Add(place, "the tag " + Quoted(entry.name) + " of " + owner + " is not read: Tarn reads \"" +
                         std::string(known) + "\", and letter case counts");
          break;
        }
    }
  }

  void Flags(const host::MemoryOperation& operation, const std::string& owner) {
    for (const char* flag : {"isQuery", "isDefinition"}) {
      const auto value = operation.tags.Find(host::kTool, flag);
      if (MeantAsTrue(value))
        Add(operation.place, owner + " has " + flag + " " + Quoted(value) +
                                 ", which does not set it: only the exact text \"True\" does");
    }
  }

  // The tags of a class, its attributes and operations.
  void Tagged(const host::MemoryClass& c) {
    if (!c.unavailable.empty()) return;
    const auto owner = names_.Describe(c);
    Tags(c.tags, c.place, owner);
    for (const auto& attribute : c.attributes)
      Tags(attribute.tags, attribute.place, "attribute " + Quoted(attribute.name) + " of " + owner);
    for (const auto& operation : c.operations) {
      const auto described = "operation " + Quoted(operation.name) + " of " + owner;
      Tags(operation.tags, operation.place, described);
      Flags(operation, described);
    }
  }
  void Tagged(const host::MemoryAssociation& a) {
    if (a.unavailable.empty()) Tags(a.tags, a.place, names_.Describe(a));
  }

  void WholeModel() {
    for (const auto& c : model_.classes) Tagged(c);
    for (const auto& a : model_.associations) Tagged(a);
  }

  // The tags of the checked items only: the classes the checks read, the
  // associations checked and those of the diagram.
  void CheckedTags(const CheckedItems& checked) {
    for (const auto* c : involved_) Tagged(*c);
    std::set<const host::MemoryAssociation*> done;
    for (const auto* a : checked.associations)
      if (done.insert(a).second) Tagged(*a);
    if (checked.diagram != nullptr)
      for (const auto* a : checked.diagram->associations)
        if (done.insert(a).second) Tagged(*a);
  }

  void Names(const host::MemoryClass& c) {
    if (!c.unavailable.empty()) return;
    if (!IsZName(c.name)) badClassNames_.push_back({c.place, names_.Describe(c), c.name});
    std::set<std::string> seen;
    for (const auto& operation : c.operations) {
      const auto described = "operation " + Quoted(operation.name) + " of " + names_.Describe(c);
      if (!IsZName(operation.name)) badOperationNames_.push_back({operation.place, described, operation.name});
      if (!seen.insert(operation.name).second)
        Add(operation.place, described +
                                 " has the name of an earlier operation of the class; the document "
                                 "declares both schemas under one name");
    }
  }

  void Checked(const CheckedItems& checked) {
    std::vector<const host::MemoryClass*> classes = checked.classes;
    // A selected association without a Retrieve is warned about by the
    // refinement check itself.
    for (const auto* a : checked.associations)
      if (a->unavailable.empty()) classes.insert(classes.end(), {a->first.supplier, a->second.supplier});
    if (checked.diagram != nullptr) {
      if (checked.diagram->classes.empty())
        Add(checked.diagram->place,
            "class diagram " + Quoted(checked.diagram->name) +
                " shows no class; objectz writes a document without classes (tarn list MODEL shows what "
                "each diagram holds; --diagram NAME chooses another)");
      classes.insert(classes.end(), checked.diagram->classes.begin(), checked.diagram->classes.end());
    }
    std::set<const host::MemoryClass*> done;
    for (const auto* c : classes)
      if (c != nullptr && done.insert(c).second) {
        involved_.push_back(c);
        Names(*c);
      }
  }

  std::vector<Diagnostic> Take() {
    NotZNames(badClassNames_, "class");
    NotZNames(badOperationNames_, "operation");
    return std::move(list_);
  }

 private:
  // An item whose name is not a Z name.
  struct BadName {
    host::Place place;
    std::string described;  // `class "A-B"`
    std::string name;
  };

  // One warning for each such item, or, for several of a kind, one for all
  // of them at the first, with the first few names: real models have many.
  // A name that only lacks the backslash of \_ is told so.
  void NotZNames(const std::vector<BadName>& bad, const std::string& kind) {
    if (bad.empty()) return;
    const std::string rule = "(a letter, then letters, digits and \\_)";
    std::size_t underscores = 0;
    for (const auto& item : bad) underscores += IsZName(EscapedUnderscores(item.name));
    if (bad.size() == 1) {
      const std::string& name = bad.front().name;
      Add(bad.front().place, bad.front().described + " has a name that is not a Z name " + rule +
                                 (underscores == 1 ? "; write _ as \\_: " + Quoted(EscapedUnderscores(name)) : ""));
      return;
    }
    std::string text = std::to_string(bad.size()) + " " + kind + " names are not Z names " + rule + ": ";
    const std::size_t shown = std::min<std::size_t>(bad.size(), 3);
    for (std::size_t i = 0; i < shown; ++i)
      text += (i == 0 ? "" : i + 1 == shown && shown == bad.size() ? " and " : ", ") + bad[i].described;
    if (shown < bad.size()) text += " and " + std::to_string(bad.size() - shown) + " more";
    if (underscores == bad.size())
      text += "; each only needs _ written as \\_";
    else if (underscores > 0)
      text += "; " + std::to_string(underscores) + " of them only need _ written as \\_";
    Add(bad.front().place, text);
  }

  // The name with every _ that is not written \_ written so.
  static std::string EscapedUnderscores(const std::string& name) {
    std::string escaped;
    for (std::size_t i = 0; i < name.size(); ++i) {
      if (name[i] == '_' && (i == 0 || name[i - 1] != '\\')) escaped += '\\';
      escaped += name[i];
    }
    return escaped;
  }

  std::vector<BadName> badClassNames_, badOperationNames_;
  std::vector<const host::MemoryClass*> involved_;  // the classes the checked items read
  const host::MemoryModel& model_;
  ItemNames names_;
  std::vector<Diagnostic> list_;
};

}  // namespace

std::vector<Diagnostic> ModelWarnings(const host::MemoryModel& model, const CheckedItems& checked,
                                      WarningScope scope) {
  Warnings warnings(model);
  if (scope == WarningScope::kWholeModel) warnings.WholeModel();
  warnings.Checked(checked);
  if (scope == WarningScope::kCheckedItems) warnings.CheckedTags(checked);
  auto found = warnings.Take();
  if (scope == WarningScope::kWholeModel)
    for (auto& warning : ZTextWarnings(model, checked)) found.push_back(std::move(warning));
  return found;
}

}  // namespace tarn::cli
