#include "cli/model_loading.hpp"

#include <algorithm>
#include <cctype>
#include <iostream>

#include "modelfile/text/code_page.hpp"
#include "modelfile/native/native_reader.hpp"

namespace tarn::cli {
namespace {

bool IsPetalFile(const std::string& path) {
  const auto dot = path.rfind('.');
  if (dot == std::string::npos) return false;
  std::string ending = path.substr(dot + 1);
  std::transform(ending.begin(), ending.end(), ending.begin(), [](unsigned char c) { return std::tolower(c); });
  return ending == "mdl" || ending == "cat";
}

}  // namespace

LoadedModel LoadedModel::Load(const std::string& path, const LoadOptions& options) {
  LoadedModel loaded;
  if (IsPetalFile(path)) {
    modelfile::PetalOptions petalOptions;
    petalOptions.pathMap = options.pathMap;
    loaded.petal_ = modelfile::LoadPetalModel(
        path, petalOptions, [](const std::string& warning) { std::cerr << warning << "\n"; });
    loaded.app_ = loaded.petal_->app.get();
  } else {
    loaded.native_ = modelfile::LoadNativeModel(path);
    loaded.app_ = loaded.native_.get();
  }
  return loaded;
}

void LoadedModel::Select(const std::vector<std::string>& words) {
  auto& model = app_->model;
  if (petal_) {
    try {
      model.selection = modelfile::ResolvePetalSelection(*petal_, words);
    } catch (const modelfile::SelectionError& error) {
      throw UsageError(error.what());
    }
    return;
  }

  std::map<std::string, const host::Element*> byId;
  for (const auto& c : model.classes)
    if (!c.id.empty()) byId.emplace(c.id, &c);
  for (const auto& a : model.associations)
    if (!a.id.empty()) byId.emplace(a.id, &a);
  std::vector<const host::Element*> selection;
  for (const auto& word : words) {
    const auto found = byId.find(word);
    if (found == byId.end()) {
      std::string known;
      for (const auto& [id, element] : byId) known += "\n  " + id;
      throw UsageError("--select " + word + ": no class or association has this id; the model's ids are:" +
                       (known.empty() ? std::string("\n  (none)") : known));
    }
    selection.push_back(found->second);
  }
  model.selection = std::move(selection);
}

void LoadedModel::ChooseDiagram(const std::string& name) {
  auto& model = app_->model;
  // Names on the command line are UTF-8; the model's are in its code page.
  const auto utf8 = [&](const std::string& text) {
    return modelfile::text::ToUtf8OrUnchanged(text, model.encoding);
  };

  struct Candidate {
    const host::MemoryClassDiagram* diagram;
    std::string qualified;  // with the root package's name in front
  };
  std::vector<Candidate> all;
  const auto root = utf8(model.root.name);
  const auto add = [&](const host::MemoryClassDiagram& diagram) {
    const auto package = utf8(diagram.package);
    all.push_back({&diagram, root + "::" + (package.empty() ? "" : package + "::") + utf8(diagram.name)});
  };
  for (const auto& diagram : model.root.diagrams) add(diagram);
  for (const auto& diagram : model.packageDiagrams) add(diagram);

  std::vector<const Candidate*> matches;
  for (const auto& candidate : all) {
    const auto belowRoot = candidate.qualified.substr(root.size() + 2);
    if (name == utf8(candidate.diagram->name) || name == belowRoot || name == candidate.qualified)
      matches.push_back(&candidate);
  }
  if (matches.size() != 1) {
    std::string listed;
    for (const auto& candidate : all)
      if (matches.empty() || std::find(matches.begin(), matches.end(), &candidate) != matches.end())
        listed += "\n  " + candidate.qualified;
    throw UsageError("--diagram " + name +
                     (matches.empty() ? ": no class diagram has this name; the model's class diagrams are:"
                                      : ": more than one class diagram has this name:") +
                     (listed.empty() ? std::string("\n  (none)") : listed));
  }
  const host::MemoryClassDiagram chosen = *matches.front()->diagram;
  model.root.diagrams.push_front(chosen);
}

}  // namespace tarn::cli
