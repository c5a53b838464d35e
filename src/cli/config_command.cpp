// tarn config and tarn about: the two dialogs of the add-in on a terminal.
#include <iostream>

#include "cli/commands.hpp"
#include "cli/program_starter.hpp"

namespace tarn::cli {

int RunConfig(const Options& options) {
  Terminal terminal(options.answers, PromptsAllowed(), std::cin, std::cout, std::cerr);
  PosixProgramStarter starter;
  const auto location = Settings(options);
  addin::ITarn tarn(addin::Platform{terminal, terminal, starter, terminal, location, Opener()});
  tarn.RunConfiguration(host::MemoryApplication());
  tarn.OpenIni();
  // Writing the settings reports no failure of its own: read the values
  // back so that a value that did not stick is not reported as saved.
  const auto& asked = options.answers;
  if ((asked.zevesPath && *asked.zevesPath != tarn.ZEvesPath) ||
      (asked.wizardUrl && *asked.wizardUrl != tarn.WizardUrl)) {
    std::cerr << "The settings file " << location.Resolve(addin::kSettingsFile).string()
              << " does not hold the new value: it could not be written, or the value has a line break, "
                 "blanks at either end or more than 749 characters.\n";
    return kErrorShown;
  }
  std::cout << "Settings file: " << Printable(location.Resolve(addin::kSettingsFile).string()) << "\n"
            << "Z/EVES command line (ZEvesPath): " << Printable(tarn.ZEvesPath) << "\n"
            << "Wizard address (WizardUrl): " << Printable(tarn.WizardUrl) << "\n";
  return kSuccess;
}

int RunAbout(const Options& options) {
  Terminal terminal(options.answers, false, std::cin, std::cout, std::cerr);
  PosixProgramStarter starter;
  addin::ITarn tarn(addin::Platform{terminal, terminal, starter, terminal, Settings(options), Opener()});
  tarn.RunAbout(host::MemoryApplication());
  return kSuccess;
}

}  // namespace tarn::cli
