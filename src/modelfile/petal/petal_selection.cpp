// Resolves the command line's --select words against a loaded petal model.
#include "modelfile/text/code_page.hpp"
#include "modelfile/petal/petal_reader.hpp"
#include "modelfile/petal/qualified_name.hpp"

namespace tarn::modelfile {
namespace {

std::string Candidates(const std::vector<const PetalItem*>& items, const std::string& encoding) {
  std::string list;
  for (const PetalItem* item : items)
    list += "\n  " + text::ToUtf8OrUnchanged(item->qualifiedName, encoding) + " (quid " + item->quid + ")";
  return list;
}

const host::Element* Resolve(const PetalModel& model, const std::string& word) {
  const std::string& encoding = model.app->model.encoding;
  for (const PetalItem& item : model.items)
    if (item.quid == word) return item.element;

  const bool qualified = word.find("::") != std::string::npos;
  const std::string canonical = petal::JoinQualifiedName(petal::SplitQualifiedName(word));
  std::vector<const PetalItem*> matches;
  for (const PetalItem& item : model.items) {
    if (item.name.empty()) continue;
    const std::string& text = qualified ? item.qualifiedName : item.name;
    if (text::ToUtf8OrUnchanged(text, encoding) == (qualified ? canonical : word)) matches.push_back(&item);
  }
  if (matches.size() == 1) return matches.front()->element;
  if (matches.size() > 1)
    throw SelectionError("--select " + word +
                         " is ambiguous; it names:" + Candidates(matches, encoding));
  if (qualified) {
    for (const MissingUnit& unit : model.missingUnits) {
      const std::string prefix = text::ToUtf8OrUnchanged(unit.package, encoding) + "::";
      if (canonical.compare(0, prefix.size(), prefix) == 0)
        throw SelectionError("--select " + word + ": it lies in the unit \"" + unit.fileName +
                             "\", which was not loaded");
    }
  }
  throw SelectionError("--select " + word + ": no class or association of the model has this " +
                           (qualified ? "qualified name" : "name or quid"),
                       true);
}

}  // namespace

std::vector<const host::Element*> ResolvePetalSelection(const PetalModel& model,
                                                        const std::vector<std::string>& words) {
  std::vector<const host::Element*> selected;
  for (const std::string& word : words) selected.push_back(Resolve(model, word));
  return selected;
}

}  // namespace tarn::modelfile
