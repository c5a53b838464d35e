#include "cli/model_loading.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <unordered_map>

#include "cli/terminal.hpp"
#include "common/read_file.hpp"
#include "modelfile/model_format.hpp"
#include "modelfile/native/native_reader.hpp"
#include "modelfile/text/code_page.hpp"

namespace tarn::cli {

namespace {

// The first bytes of a file, enough to tell its format.
std::string Head(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string head(4096, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(in.gcount()));
  return head;
}

}  // namespace

LoadedModel LoadedModel::Load(const std::string& path, const LoadOptions& options) {
  LoadedModel loaded;
  // A regular file is opened twice: its head tells the format, then its
  // reader reads it (an XMI or native file a piece at a time, a petal file
  // mapped). Anything else (a pipe) is read once, whole.
  CheckModelFile(path);
  struct stat status {};
  const bool regular = ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
  std::string bytes = regular ? Head(path) : ReadModelFile(path);
  const auto warn = [](const std::string& warning) { std::cerr << Printable(warning) << "\n"; };
  const modelfile::ModelFormat format = modelfile::DetectModelFormat(bytes, path);
  if (!options.encoding.empty() && format != modelfile::ModelFormat::kXmi)
    throw UsageError("--encoding " + options.encoding + ": " + path +
                     " is not an XMI model; a Tarn model file names its code page with encoding:, a "
                     "Rose model with its charSet");
  switch (format) {
    case modelfile::ModelFormat::kPetal: {
      modelfile::PetalOptions petalOptions;
      petalOptions.pathMap = options.pathMap;
      loaded.petal_ =
          regular ? modelfile::LoadPetalModel(path, petalOptions, warn)
                  : modelfile::ParsePetalModel(std::move(bytes), path, petalOptions, warn);
      loaded.app_ = loaded.petal_->app.get();
      break;
    }
    case modelfile::ModelFormat::kXmi: {
      modelfile::XmiOptions xmiOptions;
      if (!options.encoding.empty()) {
        const auto codePage = modelfile::text::CodePage::Open(options.encoding);
        if (codePage == nullptr || !codePage->KeepsAscii())
          throw UsageError("--encoding " + options.encoding +
                           ": not a code page this system can convert to (try windows-1252, "
                           "iso-8859-15, utf-8)");
        xmiOptions.encoding = options.encoding;
      }
      loaded.xmi_ = regular ? modelfile::LoadXmiModel(path, xmiOptions, warn)
                            : modelfile::ParseXmiModel(bytes, path, xmiOptions, warn);
      loaded.app_ = loaded.xmi_->app.get();
      break;
    }
    case modelfile::ModelFormat::kNative:
      loaded.native_ =
          regular ? modelfile::LoadNativeModel(path) : modelfile::ParseNativeModel(bytes, path);
      loaded.app_ = loaded.native_.get();
      break;
  }
  return loaded;
}

std::vector<std::vector<std::string>> LoadedModel::SuperclassCycles() const {
  const auto& model = app_->model;
  enum class State { kNew, kOnPath, kDone };
  std::unordered_map<const host::MemoryClass*, State> state;
  std::vector<std::vector<std::string>> cycles;
  // Depth first without recursion, so that a long chain of generalisations
  // cannot exhaust the stack; each edge back onto the path closes a cycle.
  struct Step {
    const host::MemoryClass* cls;
    std::size_t next = 0;  // the superclass to follow next
  };
  for (const auto& start : model.classes) {
    if (state[&start] != State::kNew) continue;
    std::vector<Step> path{{&start}};
    state[&start] = State::kOnPath;
    while (!path.empty()) {
      Step& step = path.back();
      if (step.next == step.cls->superclasses.size()) {
        state[step.cls] = State::kDone;
        path.pop_back();
        continue;
      }
      const host::MemoryClass* super = step.cls->superclasses[step.next++];
      State& seen = state[super];
      if (seen == State::kNew) {
        seen = State::kOnPath;
        path.push_back({super});
      } else if (seen == State::kOnPath) {
        auto& cycle = cycles.emplace_back();
        auto from = path.end();
        while ((from - 1)->cls != super) --from;
        for (auto it = from - 1; it != path.end(); ++it)
          cycle.push_back(modelfile::text::ToUtf8OrUnchanged(it->cls->name, model.encoding));
        cycle.push_back(cycle.front());
      }
    }
  }
  return cycles;
}

void LoadedModel::Select(const std::vector<std::string>& words) {
  auto& model = app_->model;
  if (petal_ || xmi_) {
    try {
      model.selection = petal_ ? modelfile::ResolvePetalSelection(*petal_, words)
                               : modelfile::ResolveXmiSelection(*xmi_, words);
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

std::string LoadedModel::ToModelText(const std::string& utf8, const std::string& option) const {
  const auto& encoding = app_->model.encoding;
  const auto codePage = modelfile::text::CodePage::Open(encoding);
  if (!codePage) return utf8;
  auto converted = codePage->FromUtf8(utf8);
  if (!converted.Succeeded())
    throw UsageError(option + " " + utf8 + ": the model's code page " + encoding +
                     " cannot hold this text (or it is not UTF-8)");
  return std::move(converted.bytes);
}

}  // namespace tarn::cli
