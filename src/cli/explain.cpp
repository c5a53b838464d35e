#include "cli/explain.hpp"

#include <algorithm>

#include "addin/settings/settings.hpp"
#include "cli/item_names.hpp"
#include "common/line_rule.hpp"
#include "modelfile/petal/petal_reader.hpp"

namespace tarn::cli {
namespace {

using addin::Command;

constexpr std::size_t kListed = 10;

class Explainer {
 public:
  explicit Explainer(const CommandContext& context)
      : context_(context), model_(context.model), names_(model_) {}

  std::vector<Note> Notes(const Error& error) {
    switch (error.Number()) {
      case kNotOneItem:
        NotOneItem();
        break;
      case kWrongKind:
        WrongKind();
        break;
      case kOperationsDiffer:
        OperationsDiffer();
        break;
      case kMissingType:
        MissingTypes();
        break;
      case kEmptyProperties:
      case kPropertyWithoutHeader:
        BadProperties(error.Number());
        break;
      case kMalformedDefinition:
        MalformedDefinitions();
        break;
      case kSubscriptOutOfRange:
        if (context_.command == Command::kGenerator && model_.root.diagrams.empty()) NoClassDiagram();
        break;
      default:
        ToolNotStarted(error);
        break;
    }
    return std::move(notes_);
  }

 private:
  void Add(const host::Place& place, std::string text) {
    notes_.push_back({LocationOf(model_, place), std::move(text)});
  }
  void Add(std::string text) { notes_.push_back({std::nullopt, std::move(text)}); }

  bool ForClasses() const { return context_.command == Command::kPropertyChecker; }

  std::string Quoted(const std::string& text) const { return names_.Quoted(text); }

  // objectz translates a class diagram of the root package: say what the
  // model holds instead.
  void NoClassDiagram() {
    if (model_.packageDiagrams.empty()) {
      const auto count = [](std::size_t n, const char* one, const char* many) {
        return std::to_string(n) + " " + (n == 1 ? one : many);
      };
      Add("the model holds no class diagram at all, only " + count(model_.classes.size(), "class", "classes") +
          " and " + count(model_.associations.size(), "association", "associations") +
          "; a class diagram of the root package lists the classes objectz translates");
      return;
    }
    std::string listed;
    for (std::size_t i = 0; i < model_.packageDiagrams.size() && i < kListed; ++i)
      listed += (i == 0 ? "" : ", ") + names_.Qualified(model_.packageDiagrams[i]);
    if (model_.packageDiagrams.size() > kListed)
      listed += " and " + std::to_string(model_.packageDiagrams.size() - kListed) + " more";
    Add("the root package has no class diagram; the packages below it have " + listed +
        ": --diagram NAME translates one");
  }

  // The selected item in words, and its place.
  void DescribeSelected(const host::Element* item, const std::string& lead) {
    if (const auto* c = dynamic_cast<const host::MemoryClass*>(item))
      return Add(c->place, lead + names_.Describe(*c));
    if (const auto* a = dynamic_cast<const host::MemoryAssociation*>(item))
      return Add(a->place, lead + names_.Describe(*a));
    if (const auto* other = dynamic_cast<const modelfile::PetalElement*>(item))
      return Add(lead + "the " + other->kind + " " + Quoted(other->name));
    Add(lead + Quoted(item->ElementName()));
  }

  // Which items the command can take, and how to choose one.
  void Choices() {
    std::vector<std::string> ids;
    if (ForClasses()) {
      for (const auto& c : model_.classes)
        if (c.unavailable.empty() && !c.id.empty() && !c.tags.Find(host::kTool, "Properties").empty())
          ids.push_back(c.id);
    } else {
      for (const auto& a : model_.associations)
        if (a.unavailable.empty() && !a.id.empty() && !a.tags.Find(host::kTool, "Retrieve").empty())
          ids.push_back(a.id);
    }
    const std::string kind = ForClasses() ? "class with Properties" : "association with a Retrieve";
    const std::string kinds = ForClasses() ? "classes with Properties" : "associations with a Retrieve";
    if (ids.empty())
      return Add("the model has no " + kind + "; --select ID chooses any " +
                 (ForClasses() ? "class" : "association") + " by its id");
    std::string list;
    for (std::size_t i = 0; i < ids.size() && i < kListed; ++i) list += (i == 0 ? "" : ", ") + ids[i];
    if (ids.size() > kListed)
      list += " and " + std::to_string(ids.size() - kListed) + " more (tarn list MODEL)";
    Add("--select ID chooses one; the " + kinds + ": " + list);
  }

  void NotOneItem() {
    const auto& selection = model_.selection;
    if (selection.empty()) Add("the model selects no item");
    if (selection.size() > 1) {
      Add("the model selects " + std::to_string(selection.size()) + " items:");
      for (std::size_t i = 0; i < selection.size() && i < kListed; ++i)
        DescribeSelected(selection[i], "selected: ");
    }
    Choices();
  }

  void WrongKind() {
    if (model_.selection.size() == 1) DescribeSelected(model_.selection.front(), "the selected item is ");
    Choices();
  }

  // The classes the command parsed: the selected class, or the two classes
  // of the selected association.
  std::vector<const host::MemoryClass*> CheckedClasses() const {
    std::vector<const host::MemoryClass*> classes;
    if (model_.selection.size() != 1) return classes;
    if (const auto* c = dynamic_cast<const host::MemoryClass*>(model_.selection.front()))
      classes.push_back(c);
    if (const auto* a = dynamic_cast<const host::MemoryAssociation*>(model_.selection.front())) {
      classes.push_back(a->first.supplier);
      classes.push_back(a->second.supplier);
    }
    std::erase(classes, nullptr);
    if (classes.size() == 2 && classes[0] == classes[1]) classes.pop_back();
    return classes;
  }

  std::string Of(const host::MemoryClass& c, const std::string& side = "") const {
    return " of " + side + names_.Describe(c);
  }

  void OperationsDiffer() {
    const auto classes = CheckedClasses();
    if (classes.size() != 2) return;
    const auto& abstractClass = *classes[0];
    const auto& concreteClass = *classes[1];
    const auto unmatched = [&](const host::MemoryClass& side, const host::MemoryClass& other,
                               const std::string& sideName, const std::string& otherName) {
      int count = 0;
      for (const auto& operation : side.operations) {
        const auto same = std::find_if(other.operations.begin(), other.operations.end(),
                                       [&](const auto& o) { return o.name == operation.name; });
        if (same != other.operations.end()) continue;
        ++count;
        std::string text = "operation " + Quoted(operation.name) + Of(side, sideName) + " has no match in " +
                           otherName + names_.Describe(other);
        for (const auto& o : other.operations)
          if (names_.Utf8(o.name).size() == names_.Utf8(operation.name).size() &&
              std::equal(o.name.begin(), o.name.end(), operation.name.begin(),
                         [](char x, char y) { return std::tolower(x) == std::tolower(y); }))
            text += " (it has " + Quoted(o.name) + ": letter case counts)";
        Add(operation.place, text);
      }
      return count;
    };
    const int missing = unmatched(abstractClass, concreteClass, "the abstract ", "the concrete ") +
                        unmatched(concreteClass, abstractClass, "the concrete ", "the abstract ");
    if (missing == 0)
      Add("the abstract " + names_.Describe(abstractClass) + " has " +
          std::to_string(abstractClass.operations.size()) + " operations, the concrete " +
          names_.Describe(concreteClass) + " has " + std::to_string(concreteClass.operations.size()) +
          "; an operation name that appears twice on one side needs its twin on the other");
    Add("both classes need the same operations, matched by name");
  }

  void MissingTypes() {
    for (const auto* c : CheckedClasses()) {
      for (const auto& attribute : c->attributes)
        if (attribute.type.empty())
          Add(attribute.place, "attribute " + Quoted(attribute.name) + Of(*c) + " has no type");
      for (const auto& operation : c->operations)
        for (const auto& parameter : operation.parameters)
          if (parameter.type.empty())
            Add(parameter.place, "parameter " + Quoted(parameter.name) + " of operation " +
                                     Quoted(operation.name) + Of(*c) + " has no type");
    }
    Add("give each a Z type, such as \\nat or the name of a given set");
  }

  void BadProperties(std::int32_t number) {
    const auto classes = CheckedClasses();
    if (classes.size() != 1) return;
    const auto& c = *classes.front();
    const auto text = c.tags.Find(host::kTool, "Properties");
    if (number == kEmptyProperties) {
      Add(c.place, names_.Describe(c) + (text.empty() ? " has no Properties tagged value"
                                                      : " has a Properties text of blank lines only"));
    } else {
      auto first = SplitLines(text).front();
      if (first.size() > 40) first = first.substr(0, 40) + "...";
      Add(c.place, "the Properties text" + Of(c) + " begins with " + Quoted(first));
    }
    Add("write each property as a header line %Name followed by its predicate lines");
  }

  void MalformedDefinitions() {
    for (const auto* c : CheckedClasses())
      for (const auto& operation : c->operations) {
        if (operation.tags.Find(host::kTool, "isDefinition") != "True") continue;
        const auto pre = SplitLines(operation.pre).size();
        const auto post = SplitLines(operation.post).size();
        if (pre == 0 && post == 1) continue;
        std::string what;
        if (pre > 0) what = std::to_string(pre) + " precondition line" + (pre == 1 ? "" : "s");
        if (post != 1)
          what += (what.empty() ? "" : " and ") + std::to_string(post) + " postcondition line" +
                  (post == 1 ? "" : "s");
        Add(operation.place, "operation " + Quoted(operation.name) + Of(*c) +
                                 " is a definition (isDefinition True) with " + what);
      }
    Add("a definition has no precondition and exactly one postcondition line");
  }

  void ToolNotStarted(const Error& error) {
    const bool checks = context_.command != Command::kGenerator;
    const auto key = checks ? addin::kZEvesPathKey : addin::kWizardUrlKey;
    const auto value = addin::ReadINI(context_.settings, addin::kSettingsSection, key, addin::kSettingsFile);
    const std::string option =
        checks ? "tarn config --zeves-path 'COMMAND LINE'" : "tarn config --wizard-url URL";
    const bool notStarted = error.Number() == kZEvesNotStarted || error.Number() == kTypeCheckerNotStarted ||
                            error.Description().starts_with("Cannot run ");
    if (error.Number() == kInvalidCall && value.empty()) {
      Add(checks ? "set the command line that starts Z/EVES with " + option +
                       "; a {file} in it stands for the document"
                 : "set the Wizard address with " + option);
    } else if (notStarted || error.Number() == kInvalidCall) {
      Add(checks ? "the Z/EVES command line is \"" + value + "\"; " + option + " changes it"
                 : "the Wizard address \"" + value + "\" was handed to " + context_.opener + "; " + option +
                       " changes it, and $TARN_OPENER the program that opens it");
    }
  }

  const CommandContext& context_;
  const host::MemoryModel& model_;
  ItemNames names_;
  std::vector<Note> notes_;
};

}  // namespace

std::vector<Note> Explain(const CommandContext& context, const Error& error) {
  return Explainer(context).Notes(error);
}

}  // namespace tarn::cli
