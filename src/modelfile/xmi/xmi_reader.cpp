#include "modelfile/xmi/xmi_reader.hpp"

#include "modelfile/xmi/model_builder.hpp"
#include "modelfile/xmi/model_collector.hpp"

namespace tarn::modelfile {

XmiModel LoadXmiModel(const std::string& path, const XmiOptions& options, const Warn& warn) {
  return xmi::ModelBuilder(xmi::CollectModelFile(path), path, options, warn).Build();
}

XmiModel ParseXmiModel(std::string_view bytes, const std::string& path, const XmiOptions& options,
                       const Warn& warn) {
  return xmi::ModelBuilder(xmi::CollectModel(bytes, path), path, options, warn).Build();
}

namespace {

std::string Candidates(const std::vector<const XmiItem*>& items) {
  std::string list;
  for (const XmiItem* item : items) list += "\n  " + item->qualified + " (id " + item->id + ")";
  return list;
}

const host::Element* Resolve(const XmiModel& model, const std::string& word) {
  for (const XmiItem& item : model.items)
    if (!item.id.empty() && item.id == word) return item.element;
  if (const auto package = model.packages.find(word); package != model.packages.end()) return package->second;
  const bool qualified = word.find("::") != std::string::npos;
  const std::string with_root = model.root + "::" + word;
  std::vector<const XmiItem*> matches;
  for (const XmiItem& item : model.items) {
    const bool match = qualified ? item.qualified == word || item.qualified == with_root
                                 : !item.name.empty() && item.name == word;
    if (match) matches.push_back(&item);
  }
  if (matches.size() == 1) return matches.front()->element;
  if (matches.size() > 1)
    throw SelectionError("--select " + word + " is ambiguous; it names:" + Candidates(matches));
  throw SelectionError("--select " + word + ": no class or association of the model has this " +
                           (qualified ? "qualified name" : "name or id"),
                       true);
}

}  // namespace

std::vector<const host::Element*> ResolveXmiSelection(const XmiModel& model,
                                                      const std::vector<std::string>& words) {
  std::vector<const host::Element*> selected;
  for (const std::string& word : words) selected.push_back(Resolve(model, word));
  return selected;
}

}  // namespace tarn::modelfile
