#include "cli/options.hpp"

#include <cstdlib>
#include <iostream>

namespace tarn::cli {

addin::SettingsLocation Settings(const Options& options) {
  return addin::SettingsLocation(options.settings.empty() ? addin::DefaultSettingsFile()
                                                          : std::filesystem::path(options.settings));
}

std::string Opener() {
  const char* opener = std::getenv("TARN_OPENER");
  return opener != nullptr && *opener != '\0' ? opener : "xdg-open";
}

LoadOptions ToLoadOptions(const Options& options) {
  LoadOptions load;
  for (const auto& mapping : options.pathMap) {
    const auto equals = mapping.find('=');
    if (equals == std::string::npos || equals == 0)
      throw UsageError("--path-map " + mapping + ": expected SYMBOL=DIR");
    // '$NAME=DIR' is the symbol as the unit's file name writes it.
    const auto symbol = mapping.substr(mapping[0] == '$' ? 1 : 0, equals - (mapping[0] == '$' ? 1 : 0));
    if (symbol.empty()) throw UsageError("--path-map " + mapping + ": expected SYMBOL=DIR");
    load.pathMap[symbol] = mapping.substr(equals + 1);
  }
  load.encoding = options.encoding;
  return load;
}

int ExitCodeOf(addin::Outcome outcome) {
  switch (outcome) {
    case addin::Outcome::kDone:
      return kSuccess;
    case addin::Outcome::kFailed:
      return kErrorShown;
    case addin::Outcome::kCancelled:
      return kCancelledCode;
  }
  return kErrorShown;
}

std::vector<Diagnostic> SuperclassCycleWarnings(const LoadedModel& model) {
  std::vector<Diagnostic> warnings;
  for (const auto& cycle : model.SuperclassCycles()) {
    if (cycle.size() == 2) {
      warnings.push_back(
          Unplaced(Diagnostic::Severity::kWarning, "class " + cycle.front() + " is its own superclass"));
      continue;
    }
    std::string path;
    for (const auto& name : cycle) path += (path.empty() ? "" : " -> ") + name;
    warnings.push_back(Unplaced(Diagnostic::Severity::kWarning, "superclass cycle: " + path));
  }
  return warnings;
}

void WarnOfSuperclassCycles(const LoadedModel& model) {
  for (const auto& warning : SuperclassCycleWarnings(model)) PrintText(std::cerr, warning);
}

LoadedModel LoadModel(const Options& options, std::function<void(const Diagnostic&)> warn) {
  auto load = ToLoadOptions(options);
  load.warn = [&](const std::string& line) {
    const auto diagnostic = ParseReaderWarning(line);
    if (warn)
      warn(diagnostic);
    else
      PrintText(std::cerr, diagnostic);
  };
  auto model = LoadedModel::Load(options.model, load);
  if (options.verbose)
    for (const auto& file : model.Model().files) std::cerr << "tarn: read " << file << "\n";
  if (!options.select.empty()) model.Select(options.select);
  if (!options.diagram.empty()) model.ChooseDiagram(options.diagram);
  return model;
}

}  // namespace tarn::cli
