#include "cli/model_loading.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <unordered_map>

#include "cli/item_names.hpp"
#include "cli/suggest.hpp"
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

// The error of a word that names nothing: the message ("--select X: no
// class ... has this id") with the word most likely meant, then the
// choices, one a line, the first twenty of them.
UsageError UnknownChoice(const std::string& message, const std::string& guess, const std::string& choices,
                         const std::vector<std::string>& lines) {
  constexpr std::size_t kShown = 20;
  std::string text = message + (guess.empty() ? "" : " (did you mean " + guess + "?)") + "; " + choices + ":";
  for (std::size_t i = 0; i < lines.size() && i < kShown; ++i) text += "\n  " + lines[i];
  if (lines.empty()) text += "\n  (none)";
  if (lines.size() > kShown)
    text += "\n  ... and " + std::to_string(lines.size() - kShown) + " more (tarn list MODEL shows them all)";
  return UsageError(text);
}

// The error of a --select word that names nothing: the message, what
// --select may take in the model (each item's name beside its id, as tarn
// list shows them; an unnamed association's ends beside its id) and the word
// the user most likely meant.
UsageError UnknownSelection(const std::string& message, const host::MemoryModel& model,
                            const std::string& word) {
  const ItemNames names(model);
  std::vector<std::string> lines;
  std::vector<std::string> words;
  const auto add = [&](const auto& item) {
    if (item.id.empty() || !item.unavailable.empty()) return;
    const auto name = names.Utf8(item.name);
    if (name == item.id)
      lines.push_back(item.id);
    else
      lines.push_back(name.empty() ? item.id + " (" + names.Qualified(item) + ")" : name + " (" + item.id + ")");
    words.push_back(item.id);
    if (!name.empty() && name != item.id) words.push_back(name);
  };
  for (const auto& item : model.classes) add(item);
  for (const auto& item : model.associations) add(item);
  std::sort(lines.begin(), lines.end());
  return UnknownChoice(message, DidYouMean(word, words), "the model's classes and associations are", lines);
}

// A --path-map whose symbol no unit's file name begins with, or whose folder
// does not exist, is most likely a typing slip: the unit it was meant for is
// then looked for elsewhere and reported missing.
void WarnOfUnusedPathMaps(const std::map<std::string, std::string>& pathMap, const std::set<std::string>& symbols,
                          const std::function<void(const std::string&)>& warn) {
  for (const auto& [symbol, folder] : pathMap) {
    std::string upper = symbol;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const std::string given = "--path-map " + symbol + "=" + folder + ": ";
    if (!symbols.contains(upper)) {
      std::string used;
      for (const auto& name : symbols) used += (used.empty() ? "" : ", ") + ("$" + name);
      warn(given + "no unit of the model begins with $" + symbol +
           (used.empty() ? " (its units name no path symbol)" : " (its units use " + used + ")"));
    } else if (std::error_code error; !std::filesystem::is_directory(folder, error)) {
      warn(given + folder + " is not a folder");
    }
  }
}

}  // namespace

bool IsLatexDocument(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
  const std::string head = Head(path);
  const auto first = head.find_first_not_of(" \t\r\n");
  return first != std::string::npos && (head[first] == '\\' || head[first] == '%');
}

LoadedModel LoadedModel::Load(const std::string& path, const LoadOptions& options) {
  LoadedModel loaded;
  // A regular file is opened twice: its head tells the format, then its
  // reader reads it (an XMI or native file a piece at a time, a petal file
  // mapped). Anything else (a pipe) is read once, whole.
  CheckModelFile(path);
  struct stat status {};
  const bool regular = ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
  std::string bytes = regular ? Head(path) : ReadModelFile(path);
  const auto warn = [&](const std::string& warning) {
    if (options.warn) options.warn(warning);
  };
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
      WarnOfUnusedPathMaps(options.pathMap, loaded.petal_->unitSymbols, warn);
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
  if (format != modelfile::ModelFormat::kPetal && !options.pathMap.empty())
    warn("--path-map: " + path + " is not a Rose model; only a Rose model's units name path symbols");
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
    std::vector<const host::Element*> selection;
    for (const auto& word : words) {
      try {
        selection.push_back((petal_ ? modelfile::ResolvePetalSelection(*petal_, {word})
                                    : modelfile::ResolveXmiSelection(*xmi_, {word}))
                                .front());
      } catch (const modelfile::SelectionError& error) {
        if (!error.NamesNothing()) throw UsageError(error.what());
        throw UnknownSelection(error.what(), model, word);
      }
    }
    model.selection = std::move(selection);
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
    if (found == byId.end())
      throw UnknownSelection("--select " + word + ": no class or association has this id", model, word);
    selection.push_back(found->second);
  }
  model.selection = std::move(selection);
}

void LoadedModel::ChooseDiagram(const std::string& name) {
  const host::MemoryClassDiagram chosen = FindDiagram(name);
  app_->model.root.diagrams.push_front(chosen);
}

const host::MemoryClassDiagram& LoadedModel::FindDiagram(const std::string& name) const {
  const auto& model = app_->model;
  // Names on the command line are UTF-8; the model's are in its code page.
  const ItemNames names(model);
  struct Candidate {
    const host::MemoryClassDiagram* diagram;
    std::string qualified;  // with the root package's name in front
  };
  std::vector<Candidate> all;
  for (const auto& diagram : model.root.diagrams) all.push_back({&diagram, names.Qualified(diagram)});
  for (const auto& diagram : model.packageDiagrams) all.push_back({&diagram, names.Qualified(diagram)});
  const auto root = names.Utf8(model.root.name);
  const auto utf8 = [&](const std::string& text) { return names.Utf8(text); };

  std::vector<const Candidate*> matches;
  for (const auto& candidate : all) {
    const auto belowRoot = candidate.qualified.substr(root.size() + 2);
    if (name == utf8(candidate.diagram->name) || name == belowRoot || name == candidate.qualified)
      matches.push_back(&candidate);
  }
  if (matches.size() != 1) {
    std::vector<std::string> listed;
    std::vector<std::string> words;
    for (const auto& candidate : all) {
      if (matches.empty() || std::find(matches.begin(), matches.end(), &candidate) != matches.end())
        listed.push_back(candidate.qualified);
      words.push_back(utf8(candidate.diagram->name));
    }
    if (matches.empty())
      throw UnknownChoice("--diagram " + name + ": no class diagram has this name", DidYouMean(name, words),
                          "the model's class diagrams are", listed);
    throw UnknownChoice("--diagram " + name + ": more than one class diagram has this name", "",
                        "give one of them whole", listed);
  }
  return *matches.front()->diagram;
}

void LoadedModel::RefuseOverLoadedFile(const std::string& output) const {
  struct stat target {};
  if (::stat(output.c_str(), &target) != 0) return;
  for (const auto& file : app_->model.files) {
    struct stat loaded {};
    if (::stat(file.c_str(), &loaded) == 0 && loaded.st_dev == target.st_dev &&
        loaded.st_ino == target.st_ino)
      throw UsageError(output + " is " + (file == output ? "" : file + ", ") +
                       (file == app_->model.files.front() ? "the model file" : "a file the model loaded") +
                       "; a document is never written over it: choose another output file");
  }
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
