// What the command line asked for, shared by the subcommands, and the exit
// codes the program returns.
#pragma once

#include <string>
#include <vector>

#include "addin/i_tarn.hpp"
#include "cli/model_loading.hpp"
#include "cli/terminal.hpp"

namespace tarn::cli {

enum ExitCode { kSuccess = 0, kErrorShown = 1, kUsage = 2, kCancelledCode = 3 };

struct Options {
  std::string settings;
  std::string model;
  std::vector<std::string> select;
  std::string diagram;
  std::vector<std::string> pathMap;
  std::string encoding;
  TerminalAnswers answers;
  bool run = false;
  bool noRun = false;
  bool all = false;             // --all: one document per item
  std::string outputDir;        // --output-dir DIR, with --all
  bool quiet = false;           // -q: no success text
  bool verbose = false;         // -v: name the files read
  std::string format = "text";  // tarn check --format
  bool types = false;           // tarn check --types
  bool ids = false;             // tarn list --ids
  bool described = false;       // tarn list --ids --described
  std::string listFor;          // tarn list --ids --for COMMAND
  bool edit = false;            // tarn config --edit
  bool diagramNames = false;    // tarn list --diagram-names
  bool typeset = false;  // objectz: the document for oz.sty, to be typeset
  objectz::FrontMatter frontMatter;
  std::string document;  // typeset: the document, and where its PDF goes
  std::string pdf;
};

// The settings file: --settings, else $TARN_SETTINGS or the default.
addin::SettingsLocation Settings(const Options& options);
// The program that opens the Wizard address: $TARN_OPENER or xdg-open.
std::string Opener();
// The --path-map words as load options. Throws UsageError.
LoadOptions ToLoadOptions(const Options& options);
int ExitCodeOf(addin::Outcome outcome);

// The model's superclass cycles as warnings: no class can inherit from
// itself, and the Object-Z document would say it does ("inherit A" inside
// class A).
std::vector<Diagnostic> SuperclassCycleWarnings(const LoadedModel& model);
// The same on stderr.
void WarnOfSuperclassCycles(const LoadedModel& model);

// Loads the model file of the command line and applies --select and
// --diagram. The readers' warnings go to `warn`, or to stderr as text; -v
// names every file read on stderr. Throws UsageError, LoadError or Error.
LoadedModel LoadModel(const Options& options, std::function<void(const Diagnostic&)> warn = {});

}  // namespace tarn::cli
