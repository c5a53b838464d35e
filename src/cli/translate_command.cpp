// The three translations: load the model, apply the selection, run the
// command of ITarn as the modelling tool's menu entry does; with --all, once
// for every item the command can take, one document each.
#include <cctype>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>

#include "cli/commands.hpp"
#include "cli/explain.hpp"
#include "cli/item_names.hpp"
#include "cli/model_warnings.hpp"
#include "cli/program_starter.hpp"
#include "common/atomic_file.hpp"

namespace tarn::cli {
namespace {

namespace fs = std::filesystem;

addin::Command CommandOf(const std::string& name) {
  if (name == "property-check") return addin::Command::kPropertyChecker;
  if (name == "refinement-check") return addin::Command::kRefinementChecker;
  return addin::Command::kGenerator;
}

addin::Outcome Run(addin::ITarn& tarn, addin::Command command, const host::Application& app) {
  switch (command) {
    case addin::Command::kPropertyChecker:
      return tarn.RunPropertyChecker(app);
    case addin::Command::kRefinementChecker:
      return tarn.RunRefinementChecker(app);
    case addin::Command::kGenerator:
      break;
  }
  return tarn.RunGenerator(app);
}

// LaTeX's name (inputenc) of the code page the document is written in.
std::string LatexInputEncoding(const std::string& codePage) {
  std::string key;
  for (const char c : codePage)
    if (c != '-' && c != '_') key += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  static const std::map<std::string, std::string> kNames = {
      {"WINDOWS1252", "ansinew"}, {"CP1252", "ansinew"}, {"UTF8", "utf8"},         {"ISO88591", "latin1"},
      {"LATIN1", "latin1"},       {"ISO885915", "latin9"}, {"LATIN9", "latin9"},   {"WINDOWS1250", "cp1250"},
      {"CP1250", "cp1250"},       {"ISO88592", "latin2"}, {"LATIN2", "latin2"},    {"CP850", "cp850"},
      {"CP437", "cp437"}};
  const auto found = kNames.find(key);
  if (found == kNames.end())
    throw UsageError("--typeset: the model's code page " + codePage +
                     " has no name in LaTeX's inputenc, so the document could not say how its letters are "
                     "written; windows-1252, ISO-8859-1, ISO-8859-15, UTF-8, windows-1250, ISO-8859-2, CP850 and "
                     "CP437 have one");
  return found->second;
}

// objectz --typeset: the document for oz.sty, with the front matter in the
// model's code page, which its preamble names.
void ApplyTypeset(addin::ITarn& tarn, const Options& options, const LoadedModel& model) {
  if (!options.typeset) return;
  const auto& front = options.frontMatter;
  tarn.TypesetFrontMatter =
      objectz::FrontMatter{model.ToModelText(front.title, "--title"), model.ToModelText(front.author, "--author"),
                           model.ToModelText(front.date, "--date"), LatexInputEncoding(model.Model().encoding)};
}

// What tarn check would warn of about the items the command translates: the
// selected class or association, or the diagram.
void WarnOfItems(addin::Command command, const host::MemoryModel& model) {
  CheckedItems items;
  if (command == addin::Command::kGenerator) {
    if (!model.root.diagrams.empty()) items.diagram = &model.root.diagrams.front();
  } else {
    for (const auto* element : model.selection) {
      if (const auto* c = dynamic_cast<const host::MemoryClass*>(element);
          c != nullptr && command == addin::Command::kPropertyChecker)
        items.classes.push_back(c);
      if (const auto* a = dynamic_cast<const host::MemoryAssociation*>(element);
          a != nullptr && command == addin::Command::kRefinementChecker)
        items.associations.push_back(a);
    }
  }
  for (const auto& warning : ModelWarnings(model, items, WarningScope::kCheckedItems)) PrintText(std::cerr, warning);
}

// What an Object-Z document translated, said after its name: " (class
// diagram Main, 4 classes)".
std::string TranslatedDiagram(const host::MemoryModel& model) {
  if (model.root.diagrams.empty()) return {};
  const auto& diagram = model.root.diagrams.front();
  const auto classes = diagram.classes.size();
  return " (class diagram " + diagram.name + ", " + std::to_string(classes) +
         (classes == 1 ? " class)" : " classes)");
}

// One item of a batch run: what to select (or which diagram to put first),
// how it is named, and the document's file name without extension.
struct BatchItem {
  const host::Element* selected = nullptr;
  const host::MemoryClassDiagram* diagram = nullptr;
  std::string description;
  host::Place place;
  std::string fileName;
};

// A file name from an item's name: characters that a file name cannot hold
// or that would surprise a shell become "_".
std::string SafeFileName(const std::string& name) {
  std::string safe;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    safe += byte < 0x20 || byte == 0x7F || c == '/' || c == '\\' || c == ':' || c == ' ' || c == '*' ||
                    c == '?' || c == '"' || c == '<' || c == '>' || c == '|' || c == '\''
                ? '_'
                : c;
  }
  if (safe.empty() || safe.front() == '.' || safe.front() == '-') safe.insert(safe.begin(), '_');
  return safe;
}

std::vector<BatchItem> BatchItems(addin::Command command, const host::MemoryModel& model) {
  const ItemNames names(model);
  std::vector<BatchItem> items;
  std::map<std::string, int> uses;
  std::vector<std::pair<BatchItem, std::string>> named;  // the item and its id or qualified name
  if (command == addin::Command::kPropertyChecker) {
    for (const auto& c : model.classes)
      if (c.unavailable.empty() && !c.tags.Find(host::kTool, "Properties").empty())
        named.push_back({BatchItem{&c, nullptr, names.Describe(c), c.place, names.Utf8(c.name)}, c.id});
  } else if (command == addin::Command::kRefinementChecker) {
    for (const auto& a : model.associations)
      if (a.unavailable.empty() && !a.tags.Find(host::kTool, "Retrieve").empty())
        named.push_back(
            {BatchItem{&a, nullptr, names.Describe(a), a.place, a.name.empty() ? a.id : names.Utf8(a.name)},
             a.id});
  } else {
    const auto add = [&](const host::MemoryClassDiagram& d) {
      auto qualified = names.Qualified(d);
      named.push_back(
          {BatchItem{nullptr, &d, "class diagram \"" + qualified + "\"", d.place, names.Utf8(d.name)},
           qualified.substr(names.Utf8(model.root.name).size() + 2)});
    };
    for (const auto& d : model.root.diagrams) add(d);
    for (const auto& d : model.packageDiagrams) add(d);
  }
  // Items of the same name are told apart by their ids (their package-
  // qualified names for diagrams); names that still meet once made safe
  // get a number.
  for (const auto& [item, id] : named) ++uses[item.fileName];
  std::set<std::string> taken;
  for (auto& [item, id] : named) {
    if (item.fileName.empty() || uses[item.fileName] > 1) item.fileName = id;
    const auto safe = SafeFileName(item.fileName);
    item.fileName = safe;
    for (int n = 2; !taken.insert(item.fileName).second; ++n) item.fileName = safe + "-" + std::to_string(n);
    items.push_back(std::move(item));
  }
  return items;
}

// -o DIR, a folder that exists: the document of the item the command
// translates, in that folder under the item's name, as --all names it.
std::string DocumentInFolder(const std::string& folder, addin::Command command, const host::MemoryModel& model) {
  const ItemNames names(model);
  std::string name;
  if (command == addin::Command::kGenerator) {
    if (!model.root.diagrams.empty()) name = names.Utf8(model.root.diagrams.front().name);
  } else if (!model.selection.empty()) {
    const auto* item = model.selection.front();
    if (const auto* c = dynamic_cast<const host::MemoryClass*>(item)) name = names.Utf8(c->name);
    if (const auto* a = dynamic_cast<const host::MemoryAssociation*>(item))
      name = a->name.empty() ? a->id : names.Utf8(a->name);
  }
  if (name.empty())
    throw UsageError("-o " + folder + " is a folder, and the command has no item to name the document after; " +
                     "give -o " + (fs::path(folder) / "FILE").string());
  return (fs::path(folder) / (SafeFileName(name) + (command == addin::Command::kGenerator ? ".tex" : ".zed")))
      .string();
}

int RunBatch(addin::Command command, const Options& options) {
  if (options.answers.output)
    throw UsageError("--all writes one document per item into --output-dir; leave out -o");
  if (options.outputDir.empty())
    throw UsageError("--all needs --output-dir DIR, the folder of the documents");
  if (!options.select.empty() || !options.diagram.empty())
    throw UsageError("--all takes every item the command can take; leave out --select and --diagram");
  if (options.run) throw UsageError("--all never starts the external tool; leave out --run");

  auto model = LoadModel(options);
  if (command == addin::Command::kGenerator) WarnOfSuperclassCycles(model);
  auto& memory = model.Model();
  const auto items = BatchItems(command, memory);
  if (items.empty()) {
    const std::string what = command == addin::Command::kPropertyChecker     ? "class with Properties"
                             : command == addin::Command::kRefinementChecker ? "association with a Retrieve"
                                                                             : "class diagram";
    PrintText(std::cerr,
              Unplaced(Diagnostic::Severity::kWarning, "the model has no " + what + "; nothing was written"));
    return kSuccess;
  }
  std::error_code created;
  fs::create_directories(options.outputDir, created);
  if (created)
    throw Error(kPathFileAccess, "Cannot create the folder " + options.outputDir + ": " + created.message());

  const std::string extension = command == addin::Command::kGenerator ? ".tex" : ".zed";
  const auto settings = Settings(options);
  PosixProgramStarter starter(Opener());
  int failed = 0;
  for (const auto& item : items) {
    const auto path = (fs::path(options.outputDir) / (item.fileName + extension)).string();
    const Note about{LocationOf(memory, item.place),
                     "while writing " + path + " for the " + item.description};
    try {
      model.RefuseOverLoadedFile(path);
    } catch (const UsageError& error) {
      PrintText(std::cerr, Unplaced(Diagnostic::Severity::kError, error.what(), {about}));
      ++failed;
      continue;
    }
    if (item.selected != nullptr) memory.selection = {item.selected};
    if (item.diagram != nullptr) memory.root.diagrams.push_front(*item.diagram);
    TerminalHooks hooks;
    hooks.quiet = true;
    hooks.explain = [&](const Error& error) {
      auto notes = Explain(CommandContext{command, memory, settings, Opener()}, error);
      notes.insert(notes.begin(), about);
      return notes;
    };
    TerminalAnswers answers;
    answers.output = path;
    answers.run = false;
    Terminal terminal(answers, false, std::cin, std::cout, std::cerr, hooks);
    addin::ITarn tarn(addin::Platform{terminal, terminal, starter, terminal, settings});
    ApplyTypeset(tarn, options, model);
    const auto outcome = Run(tarn, command, model.App());
    const auto detail = command == addin::Command::kGenerator ? TranslatedDiagram(memory) : std::string();
    if (item.diagram != nullptr) memory.root.diagrams.pop_front();
    if (outcome != addin::Outcome::kDone) {
      ++failed;
    } else if (!options.quiet) {
      std::cout << "Written to " << path << detail << "\n";
    }
  }
  if (failed > 0) {
    PrintText(std::cerr, Unplaced(Diagnostic::Severity::kError, std::to_string(failed) + " of " +
                                                                    std::to_string(items.size()) +
                                                                    " documents could not be written"));
    return kErrorShown;
  }
  return kSuccess;
}

}  // namespace

int RunTranslation(const std::string& name, Options options) {
  const auto command = CommandOf(name);
  if (options.all) return RunBatch(command, options);
  if (!options.outputDir.empty())
    throw UsageError("--output-dir goes with --all; for one document give -o FILE");
  if (options.run) options.answers.run = true;
  if (options.noRun) options.answers.run = false;
  const bool prompts = PromptsAllowed();
  if (!options.answers.output && !prompts)
    throw UsageError(
        "no output file: give -o FILE, or -o - for standard output (there is no terminal to ask "
        "for a file name)");

  if (options.answers.output && options.answers.output->empty())
    throw UsageError("-o needs a file name (- for standard output, or a folder to write the document into)");

  auto model = LoadModel(options);
  if (options.answers.output && *options.answers.output != kStandardOutput &&
      fs::is_directory(*options.answers.output))
    options.answers.output = DocumentInFolder(*options.answers.output, command, model.Model());
  if (options.answers.output) model.RefuseOverLoadedFile(*options.answers.output);
  if (command == addin::Command::kGenerator) WarnOfSuperclassCycles(model);
  WarnOfItems(command, model.Model());

  const auto settings = Settings(options);
  TerminalHooks hooks;
  hooks.quiet = options.quiet;
  if (command == addin::Command::kGenerator) {
    hooks.writtenDetail = TranslatedDiagram(model.Model());
    hooks.defaultExtension = "tex";
  }
  hooks.explain = [&](const Error& error) {
    return Explain(CommandContext{command, model.Model(), settings, Opener()}, error);
  };
  hooks.refuseOutput = [&](const std::string& path) {
    try {
      model.RefuseOverLoadedFile(path);
      return std::string();
    } catch (const UsageError& error) {
      return std::string(error.what());
    }
  };
  Terminal terminal(options.answers, prompts, std::cin, std::cout, std::cerr, hooks);
  PosixProgramStarter starter(Opener());
  addin::ITarn tarn(addin::Platform{terminal, terminal, starter, terminal, settings});
  ApplyTypeset(tarn, options, model);
  return ExitCodeOf(Run(tarn, command, model.App()));
}

}  // namespace tarn::cli
