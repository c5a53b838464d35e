// tarn config and tarn about: the two dialogs of the add-in on a terminal.
// A setting is checked when it is set, so that a command line that cannot be
// split or an address that is not a URL never reaches the settings file.
#include <iostream>

#include "cli/command_line.hpp"
#include "cli/commands.hpp"
#include "cli/program_starter.hpp"

namespace tarn::cli {
namespace {

// Why the Z/EVES command line cannot be used; "" when it can.
std::string RefuseCommandLine(const std::string& commandLine) {
  try {
    SplitCommandLine(commandLine);
    return {};
  } catch (const Error& error) {
    return error.Description();
  }
}

// Why the Wizard address is not a URL (SCHEME:REST, the scheme a letter
// followed by letters, digits, "+", "-" or "."); "" when it is one or empty.
std::string RefuseUrl(const std::string& url) {
  if (url.empty()) return {};
  const auto colon = url.find(':');
  bool scheme = colon != std::string::npos && colon > 0 && std::isalpha(static_cast<unsigned char>(url[0]));
  for (std::size_t i = 1; scheme && i < colon; ++i)
    scheme =
        std::isalnum(static_cast<unsigned char>(url[i])) || url[i] == '+' || url[i] == '-' || url[i] == '.';
  if (!scheme || colon + 1 == url.size())
    return "The Wizard address " + url + " is not a URL: give its scheme, as in http://localhost/wizard";
  for (const char c : url)
    if (static_cast<unsigned char>(c) <= ' ' || c == 0x7F)
      return "The Wizard address " + url +
             " is not a URL: it holds a blank or a control character (write a "
             "blank as %20)";
  return {};
}

}  // namespace

int RunConfig(const Options& options) {
  const auto& asked = options.answers;
  if (asked.zevesPath) {
    const auto refused = RefuseCommandLine(*asked.zevesPath);
    if (!refused.empty()) throw UsageError("--zeves-path: " + refused);
  }
  if (asked.wizardUrl) {
    const auto refused = RefuseUrl(*asked.wizardUrl);
    if (!refused.empty()) throw UsageError("--wizard-url: " + refused);
  }
  TerminalHooks hooks;
  hooks.refuseSetting = [](bool commandLine, const std::string& value) {
    return commandLine ? RefuseCommandLine(value) : RefuseUrl(value);
  };
  Terminal terminal(options.answers, PromptsAllowed(), std::cin, std::cout, std::cerr, hooks);
  PosixProgramStarter starter(Opener());
  const auto location = Settings(options);
  addin::ITarn tarn(addin::Platform{terminal, terminal, starter, terminal, location});
  tarn.RunConfiguration(host::MemoryApplication());
  tarn.OpenIni();
  // Writing the settings reports no failure of its own: read the values
  // back so that a value that did not stick is not reported as saved.
  if ((asked.zevesPath && *asked.zevesPath != tarn.ZEvesPath) ||
      (asked.wizardUrl && *asked.wizardUrl != tarn.WizardUrl)) {
    PrintText(std::cerr,
              Unplaced(Diagnostic::Severity::kError,
                       "The settings file " + location.Resolve(addin::kSettingsFile).string() +
                           " does not hold the new value: it could not be written, or the value has a "
                           "line break, blanks at either end or more than 749 characters."));
    return kErrorShown;
  }
  std::cout << "Settings file: " << Printable(location.Resolve(addin::kSettingsFile).string()) << "\n"
            << "Z/EVES command line (ZEvesPath): " << Printable(tarn.ZEvesPath) << "\n"
            << "Wizard address (WizardUrl): " << Printable(tarn.WizardUrl) << "\n";
  return kSuccess;
}

int RunAbout(const Options& options) {
  Terminal terminal(options.answers, false, std::cin, std::cout, std::cerr);
  PosixProgramStarter starter(Opener());
  addin::ITarn tarn(addin::Platform{terminal, terminal, starter, terminal, Settings(options)});
  tarn.RunAbout(host::MemoryApplication());
  return kSuccess;
}

}  // namespace tarn::cli
