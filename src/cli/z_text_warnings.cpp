#include "cli/z_text_warnings.hpp"

#include <algorithm>
#include <cctype>
#include <array>
#include <set>
#include <string>
#include <string_view>

#include "cli/item_names.hpp"

namespace tarn::cli {
namespace {

// Names of the Z toolkit that a state component, parameter or class may be
// given by accident; the documents' predicates and theorems then mean the
// element where the toolkit's function was meant, or the other way round.
constexpr std::array<std::string_view, 17> kToolkitNames = {
    "items", "count", "head",  "tail", "last",  "front", "rev", "first", "second",
    "max",   "min",   "dom",   "ran",  "succ",  "pred",  "id",  "squash"};

// What only Tarn's Z/EVES style defines: a text of the Object-Z document
// that uses it does not typeset.
constexpr std::array<std::string_view, 15> kZEvesOnly = {
    "\\IF",    "\\THEN",    "\\ELSE",  "\\LET",     "\\symdiff", "\\plus",   "\\star",  "\\bsup",
    "\\esup",  "\\extract", "\\bcount", "\\subbageq", "\\uminus",  "\\pipe",  "\\Label"};

// ASCII that people type for a Z relation, and the Z they mean.
constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kAsciiRelations = {
    {{"<=", "\\leq"}, {">=", "\\geq"}, {"<>", "\\neq"}, {"!=", "\\neq"}}};

// The multiplicities the Object-Z document turns into Z; any other but a
// number it writes as it stands, "\#r = 0..*".
constexpr std::array<std::string_view, 5> kTranslatedMultiplicities = {"0..n", "0..1", "1..n", "n", "1"};

bool HasCommand(std::string_view text, std::string_view command) {
  for (auto at = text.find(command); at != std::string_view::npos; at = text.find(command, at + 1)) {
    const std::size_t after = at + command.size();
    if (after == text.size() || !std::isalpha(static_cast<unsigned char>(text[after]))) return true;
  }
  return false;
}

bool OutsideAscii(std::string_view name) {
  return std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

bool IsNumber(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

class ZTexts {
 public:
  explicit ZTexts(const host::MemoryModel& model) : model_(model), names_(model) {}

  // The names of a class that a Z/EVES document declares.
  void ToolkitNames(const host::MemoryClass& c) {
    const auto warn = [&](const host::Place& place, const std::string& what, const std::string& name) {
      if (!IsZToolkitName(name)) return;
      Add(place, what + " is named like the Z toolkit's " + name +
                     ", which the documents' predicates and theorems then mean instead: give it another name (" +
                     name + names_.Utf8(c.name) + ", say)");
    };
    warn(c.place, names_.Describe(c), c.name);
    for (const auto& attribute : c.attributes)
      warn(attribute.place, "attribute " + names_.Quoted(attribute.name) + " of " + names_.Describe(c),
           attribute.name);
    for (const auto& operation : c.operations)
      for (const auto& parameter : operation.parameters)
        warn(parameter.place,
             "parameter " + names_.Quoted(parameter.name) + " of operation " + names_.Quoted(operation.name),
             parameter.name);
  }

  // Names that pdflatex cannot typeset in math.
  void OutsideAsciiNames(const host::MemoryClass& c) {
    const auto warn = [&](const host::Place& place, const std::string& what, const std::string& name) {
      if (OutsideAscii(name))
        Add(place, what + " has letters outside ASCII, which the documents cannot typeset in Z: write them in "
                          "ASCII (ae for \xC3\xA4, say)");
    };
    warn(c.place, names_.Describe(c), c.name);
    for (const auto& attribute : c.attributes)
      warn(attribute.place, "attribute " + names_.Quoted(attribute.name) + " of " + names_.Describe(c),
           attribute.name);
    for (const auto& operation : c.operations) {
      warn(operation.place, "operation " + names_.Quoted(operation.name) + " of " + names_.Describe(c),
           operation.name);
      for (const auto& parameter : operation.parameters)
        warn(parameter.place,
             "parameter " + names_.Quoted(parameter.name) + " of operation " + names_.Quoted(operation.name),
             parameter.name);
    }
  }

  // Every text of a class that is Z, with what it is and where it stands.
  template <class Visit>
  void ForEachText(const host::MemoryClass& c, Visit visit) {
    const auto owner = names_.Describe(c);
    visit(c.place, "the Invariant of " + owner, c.tags.Find(host::kTool, "Invariant"));
    visit(c.place, "the Properties of " + owner, c.tags.Find(host::kTool, "Properties"));
    for (const auto& attribute : c.attributes) {
      const auto of = " of attribute " + names_.Quoted(attribute.name) + " of " + owner;
      visit(attribute.place, "the type" + of, attribute.type);
      visit(attribute.place, "the initial value" + of, attribute.initial);
      visit(attribute.place, "the Invariant" + of, attribute.tags.Find(host::kTool, "Invariant"));
    }
    for (const auto& operation : c.operations) {
      const auto of = " of operation " + names_.Quoted(operation.name) + " of " + owner;
      visit(operation.place, "the precondition" + of, operation.pre);
      visit(operation.place, "the postcondition" + of, operation.post);
      visit(operation.place, "the return type" + of, operation.result);
      for (const auto& parameter : operation.parameters)
        visit(parameter.place, "the type of parameter " + names_.Quoted(parameter.name) + of, parameter.type);
    }
  }

  template <class Visit>
  void ForEachText(const host::MemoryAssociation& a, Visit visit) {
    for (const char* tag : {"Retrieve", "TypeOfRoleA", "TypeOfRoleB", "RoleAInvariant", "RoleBInvariant"})
      visit(a.place, std::string("the ") + tag + " of " + names_.Describe(a), a.tags.Find(host::kTool, tag));
  }

  void AsciiRelations(const host::Place& place, const std::string& what, const std::string& text) {
    for (const auto& [ascii, z] : kAsciiRelations)
      if (text.find(ascii) != std::string::npos)
        Add(place, what + " holds \"" + std::string(ascii) + "\", which is not Z: write " + std::string(z));
  }

  void ZEvesMarkup(const host::Place& place, const std::string& what, const std::string& text) {
    for (const auto command : kZEvesOnly)
      if (HasCommand(text, command))
        Add(place, what + " uses " + std::string(command) +
                       ", which only the Z/EVES documents define: the Object-Z document cannot typeset it; "
                       "write it with oz.sty's markup");
  }

  // The roles the Object-Z document declares and bounds by their multiplicity.
  void Multiplicities(const host::MemoryAssociation& a) {
    for (const host::MemoryRole* role : {&a.first, &a.second}) {
      const std::string& multiplicity = role->multiplicity;
      if (!role->navigable || IsNumber(multiplicity) ||
          std::find(kTranslatedMultiplicities.begin(), kTranslatedMultiplicities.end(), multiplicity) !=
              kTranslatedMultiplicities.end())
        continue;
      Add(a.place, "role " + names_.Quoted(role->name) + " of " + names_.Describe(a) + " has multiplicity " +
                       names_.Quoted(multiplicity) + ", which the Object-Z document writes as \\#" +
                       names_.Utf8(role->name) + " = " + names_.Utf8(multiplicity) +
                       ", not Z: write 0..n, 1..n, 0..1 or a number");
    }
  }

  std::vector<Diagnostic> Take() { return std::move(list_); }

 private:
  void Add(const host::Place& place, std::string text) {
    list_.push_back({Diagnostic::Severity::kWarning, LocationOf(model_, place), std::move(text), 0, {}});
  }

  const host::MemoryModel& model_;
  ItemNames names_;
  std::vector<Diagnostic> list_;
};

}  // namespace

bool IsZToolkitName(std::string_view name) {
  return std::find(kToolkitNames.begin(), kToolkitNames.end(), name) != kToolkitNames.end();
}

std::vector<Diagnostic> ZTextWarnings(const host::MemoryModel& model, const CheckedItems& checked) {
  ZTexts texts(model);
  // The classes the Z/EVES documents declare: those of the property checks
  // and those at the roles of the refinement checks.
  std::vector<const host::MemoryClass*> zClasses = checked.classes;
  for (const auto* a : checked.associations)
    if (a->unavailable.empty()) zClasses.insert(zClasses.end(), {a->first.supplier, a->second.supplier});
  std::vector<const host::MemoryClass*> ozClasses;
  std::vector<const host::MemoryAssociation*> ozAssociations;
  if (checked.diagram != nullptr) {
    ozClasses = checked.diagram->classes;
    ozAssociations = checked.diagram->associations;
  }
  const auto usable = [](const host::MemoryClass* c) { return c != nullptr && c->unavailable.empty(); };

  std::set<const host::MemoryClass*> done;
  for (const auto* c : zClasses)
    if (usable(c) && done.insert(c).second) texts.ToolkitNames(*c);
  std::set<const host::MemoryClass*> all(done.begin(), done.end());
  for (const auto* c : ozClasses)
    if (usable(c)) all.insert(c);
  for (const auto* c : all) {
    texts.OutsideAsciiNames(*c);
    texts.ForEachText(*c, [&](const host::Place& place, const std::string& what, const std::string& text) {
      texts.AsciiRelations(place, what, text);
    });
  }
  std::set<const host::MemoryAssociation*> associations(checked.associations.begin(), checked.associations.end());
  associations.insert(ozAssociations.begin(), ozAssociations.end());
  for (const auto* a : associations)
    if (a->unavailable.empty())
      texts.ForEachText(*a, [&](const host::Place& place, const std::string& what, const std::string& text) {
        texts.AsciiRelations(place, what, text);
      });
  for (const auto* c : ozClasses)
    if (usable(c))
      texts.ForEachText(*c, [&](const host::Place& place, const std::string& what, const std::string& text) {
        texts.ZEvesMarkup(place, what, text);
      });
  for (const auto* a : ozAssociations)
    if (a->unavailable.empty()) {
      texts.Multiplicities(*a);
      texts.ForEachText(*a, [&](const host::Place& place, const std::string& what, const std::string& text) {
        texts.ZEvesMarkup(place, what, text);
      });
    }
  return texts.Take();
}

}  // namespace tarn::cli
