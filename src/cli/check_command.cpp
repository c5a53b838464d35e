// tarn check: everything the three commands would check, for every class
// with Properties, every association with a Retrieve and the class diagram
// (or only the items of --select), without writing a document; then the
// warnings of the model. Text on stderr, or JSON lines on stdout.
#include <unistd.h>

#include <chrono>
#include <iostream>

#include "cli/commands.hpp"
#include "cli/explain.hpp"
#include "cli/item_names.hpp"
#include "cli/model_warnings.hpp"
#include "cli/type_errors.hpp"
#include "common/read_file.hpp"
#include "modelfile/load_error.hpp"

namespace tarn::cli {
namespace {

// The platform of a command run for its checks only: errors are collected;
// the command itself neither asks for a file name nor writes its document
// nor offers a tool.
class CheckPlatform final : public addin::SaveFileDialog,
                            public addin::MessageBoxes,
                            public addin::DialogWindows,
                            public addin::ProgramStarter {
 public:
  std::function<std::vector<Note>(const Error&)> explain;
  Note about;  // the check the diagnostics belong to
  std::vector<Diagnostic> diagnostics;

  std::optional<std::string> ShowSave(const addin::SaveDialogSetup&) override { return std::nullopt; }
  void ShowMessage(const std::string& text) override {
    diagnostics.push_back(Unplaced(Diagnostic::Severity::kError, MessageLines(text), {about}));
  }
  void ShowError(const std::string& text, const Error& cause) override {
    auto notes = explain(cause);
    notes.insert(notes.begin(), about);
    diagnostics.push_back(
        {Diagnostic::Severity::kError, std::nullopt, MessageLines(text), cause.Number(), std::move(notes)});
  }
  void ShowWarning(const std::string& text) override {
    diagnostics.push_back(Unplaced(Diagnostic::Severity::kWarning, MessageLines(text), {about}));
  }
  bool AskYesNo(const std::string&) override { return false; }
  bool ShowConfiguration(addin::FormDialog&) override { return false; }
  void ShowAbout(const addin::FormAbout&) override {}
  long StartCommandLine(const std::string&, const std::string&) override { return 0; }
  long OpenAddress(const std::string&) override { return 0; }
};

// "checked 1200 of 8001 items" on a terminal, rewritten in place, once a
// check has run for a second; wiped when it ends.
class Progress {
 public:
  explicit Progress(std::size_t total) : total_(total), shown_(::isatty(STDERR_FILENO) == 1) {}
  ~Progress() {
    if (printed_) std::cerr << "\r\x1b[K" << std::flush;
  }
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  void Done(std::size_t done) {
    if (!shown_) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - start_ < std::chrono::seconds(1) || now - last_ < std::chrono::milliseconds(200)) return;
    last_ = now;
    printed_ = true;
    std::cerr << "\rtarn: checked " << done << " of " << total_ << " items" << std::flush;
  }

 private:
  std::size_t total_;
  bool shown_;
  bool printed_ = false;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now(), last_;
};

class Checker {
 public:
  Checker(const Options& options, LoadedModel& loaded)
      : options_(options), loaded_(loaded), model_(loaded.Model()), names_(model_) {}

  // Runs one command on the model with `selection`; its errors follow
  // `about`, the item it was run for. Returns the document it built.
  std::string Run(addin::Command command, std::vector<const host::Element*> selection, const Note& about) {
    model_.selection = std::move(selection);
    CheckPlatform platform;
    platform.about = about;
    platform.explain = [&](const Error& error) {
      return Explain(CommandContext{command, model_, settings_, Opener()}, error);
    };
    addin::ITarn tarn(addin::Platform{platform, platform, platform, platform, settings_});
    tarn.CheckOnly = true;
    if (command == addin::Command::kPropertyChecker) tarn.RunPropertyChecker(loaded_.App());
    if (command == addin::Command::kRefinementChecker) tarn.RunRefinementChecker(loaded_.App());
    if (command == addin::Command::kGenerator) tarn.RunGenerator(loaded_.App());
    for (auto& diagnostic : platform.diagnostics) diagnostics_.push_back(std::move(diagnostic));
    return std::move(tarn.CheckedDocument);
  }

  // With --types, the type errors of the document built for `classes` (and
  // `retrieve`), told at the model's texts.
  void CheckTypes(const std::string& document, const std::vector<const host::MemoryClass*>& classes,
                  const host::MemoryAssociation* retrieve, const Note& about) {
    if (!options_.types || document.empty()) return;
    TextOrigins origins(names_);
    for (const auto* c : classes) origins.AddClass(*c);
    if (retrieve != nullptr) origins.AddRetrieve(*retrieve);
    for (auto& diagnostic : ModelTypeErrors(document, origins, model_, classes, about))
      diagnostics_.push_back(std::move(diagnostic));
  }

  // The items to check: those of --select, or every class with Properties,
  // every association with a Retrieve and the class diagram that objectz
  // translates (also when there is none: objectz then fails, and so does
  // the check).
  CheckedItems Items() const {
    CheckedItems items;
    const auto add = [&](const host::Element* element) {
      if (const auto* c = dynamic_cast<const host::MemoryClass*>(element)) {
        if (std::find(items.classes.begin(), items.classes.end(), c) == items.classes.end())
          items.classes.push_back(c);
      } else if (const auto* a = dynamic_cast<const host::MemoryAssociation*>(element)) {
        if (std::find(items.associations.begin(), items.associations.end(), a) == items.associations.end())
          items.associations.push_back(a);
      }
    };
    if (options_.select.empty()) {
      for (const auto& c : model_.classes)
        if (c.unavailable.empty() && !c.tags.Find(host::kTool, "Properties").empty()) add(&c);
      for (const auto& a : model_.associations)
        if (a.unavailable.empty() && !a.tags.Find(host::kTool, "Retrieve").empty()) add(&a);
    }
    if (!options_.select.empty())
      for (const auto* element : model_.selection) add(element);
    items.objectz = options_.select.empty() || !options_.diagram.empty();
    if (items.objectz && !model_.root.diagrams.empty()) items.diagram = &model_.root.diagrams.front();
    return items;
  }

  std::vector<Diagnostic> CheckAll(bool showProgress) {
    const auto items = Items();
    Progress progress(showProgress ? items.classes.size() + items.associations.size() + 1 : 0);
    std::size_t done = 0;
    for (const auto* c : items.classes) {
      const Note about{LocationOf(model_, c->place), "in the property check of " + names_.Describe(*c)};
      CheckTypes(Run(addin::Command::kPropertyChecker, {c}, about), {c}, nullptr, about);
      if (showProgress) progress.Done(++done);
    }
    for (const auto* a : items.associations) {
      const Note about{LocationOf(model_, a->place), "in the refinement check of " + names_.Describe(*a)};
      CheckTypes(Run(addin::Command::kRefinementChecker, {a}, about), {a->first.supplier, a->second.supplier}, a,
                 about);
      if (showProgress) progress.Done(++done);
    }
    if (items.diagram != nullptr)
      Run(addin::Command::kGenerator, {},
          {LocationOf(model_, items.diagram->place),
           "in the Object-Z document of class diagram \"" + names_.Qualified(*items.diagram) + "\""});
    else if (items.objectz)
      Run(addin::Command::kGenerator, {}, {std::nullopt, "in the Object-Z document of the model"});
    checks_ = items.classes.size() + items.associations.size() + (items.objectz ? 1 : 0);
    for (auto& warning : ModelWarnings(model_, items)) diagnostics_.push_back(std::move(warning));
    return std::move(diagnostics_);
  }

  std::size_t Checks() const { return checks_; }

 private:
  const Options& options_;
  LoadedModel& loaded_;
  host::MemoryModel& model_;
  ItemNames names_;
  std::vector<Diagnostic> diagnostics_;
  std::size_t checks_ = 0;
  addin::SettingsLocation settings_ = Settings(options_);
};

}  // namespace

namespace {

int CheckModel(const Options& options, bool json, const std::function<void(const Diagnostic&)>& print) {
  std::size_t warnings = 0;
  std::size_t errors = 0;
  const auto count = [&](const Diagnostic& diagnostic) {
    ++(diagnostic.severity == Diagnostic::Severity::kError ? errors : warnings);
    print(diagnostic);
  };
  std::optional<LoadedModel> loaded;
  try {
    loaded.emplace(LoadModel(options, count));
  } catch (const modelfile::LoadError& error) {
    for (const auto& diagnostic : LoadDiagnostics(error)) print(diagnostic);
    return kErrorShown;
  }
  Checker checker(options, *loaded);
  for (const auto& diagnostic : checker.CheckAll(!json && !options.quiet)) count(diagnostic);
  for (const auto& warning : SuperclassCycleWarnings(*loaded)) count(warning);
  if (!json && !options.quiet) {
    const auto plural = [](std::size_t n, const char* word) {
      return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
    };
    std::cout << options.model << ": " << plural(checker.Checks(), "check") << ", " << plural(errors, "error")
              << ", " << plural(warnings, "warning") << "\n";
  }
  return errors > 0 ? kErrorShown : kSuccess;
}

// tarn check --types DOC: the document as it stands.
int CheckDocument(const Options& options, bool json, const std::function<void(const Diagnostic&)>& print) {
  if (!options.select.empty() || !options.diagram.empty())
    throw UsageError(options.model + " is a document, not a model: --select and --diagram choose items of a model");
  const auto errors = DocumentTypeErrors(options.model, ReadModelFile(options.model));
  for (const auto& diagnostic : errors) print(diagnostic);
  if (!json && !options.quiet)
    std::cout << options.model << ": " << errors.size() << (errors.size() == 1 ? " type error" : " type errors")
              << "\n";
  return errors.empty() ? kSuccess : kErrorShown;
}

}  // namespace

int RunCheck(const Options& options) {
  if (options.format != "text" && options.format != "json")
    throw UsageError("--format " + options.format + ": the formats are text and json");
  const bool json = options.format == "json";
  const auto print = [&](const Diagnostic& diagnostic) {
    if (json)
      PrintJson(std::cout, diagnostic);
    else
      PrintText(std::cerr, diagnostic);
  };
  const auto check = [&] {
    if (!IsLatexDocument(options.model)) return CheckModel(options, json, print);
    if (!options.types)
      throw UsageError(options.model + " is a LaTeX document, not a model: tarn check --types " + options.model +
                       " type-checks its Z");
    return CheckDocument(options, json, print);
  };
  if (!json) return check();
  // In JSON, also what keeps the check from running: a wrong --select, a
  // file that cannot be read.
  try {
    return check();
  } catch (const UsageError& error) {
    auto diagnostic = Unplaced(Diagnostic::Severity::kError, error.Message());
    for (const auto& note : error.Notes()) diagnostic.notes.push_back({std::nullopt, note});
    print(diagnostic);
    return kUsage;
  } catch (const Error& error) {
    auto diagnostic = Unplaced(Diagnostic::Severity::kError, error.Description());
    diagnostic.number = error.Number();
    print(diagnostic);
    return kErrorShown;
  }
}

}  // namespace tarn::cli
