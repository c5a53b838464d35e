// tarn config and tarn about: the two dialogs of the add-in on a terminal.
// A setting is checked when it is set, so that a command line that cannot be
// split or an address that is not a URL never reaches the settings file.
#include <cctype>
#include <filesystem>
#include <iostream>

#include "cli/command_line.hpp"
#include "cli/commands.hpp"
#include "cli/program_starter.hpp"
#include "addin/settings/settings.hpp"

namespace tarn::cli {
namespace {

// Why the settings file would not give the value back as it is given; ""
// when it would. Refused before anything is written, so that the file stays
// as it was.
std::string RefuseStored(const std::string& value) {
  if (value.find_first_of("\r\n") != std::string::npos)
    return "The value has a line break: the settings file holds one line a value";
  if (!value.empty() && (std::isspace(static_cast<unsigned char>(value.front())) ||
                         std::isspace(static_cast<unsigned char>(value.back()))))
    return "The value has blanks at its start or end: the settings file would not keep them";
  if (value.size() > addin::kMaxValueLength)
    return "The value has " + std::to_string(value.size()) + " characters: the settings file gives back " +
           std::to_string(addin::kMaxValueLength) + " at most";
  return {};
}

// Why the Z/EVES command line cannot be used; "" when it can.
std::string RefuseCommandLine(const std::string& commandLine) {
  if (auto refused = RefuseStored(commandLine); !refused.empty()) return refused;
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
  if (auto refused = RefuseStored(url); !refused.empty()) return refused;
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
  const bool changing = asked.zevesPath || asked.wizardUrl;
  if (options.edit && changing)
    throw UsageError("--edit asks for both values; give it alone, or set them with --zeves-path and --wizard-url");
  if (options.edit && !PromptsAllowed())
    throw UsageError("--edit asks on a terminal, and there is none; set the values with --zeves-path and --wizard-url");
  TerminalHooks hooks;
  hooks.refuseSetting = [](bool commandLine, const std::string& value) {
    return commandLine ? RefuseCommandLine(value) : RefuseUrl(value);
  };
  Terminal terminal(options.answers, options.edit, std::cin, std::cout, std::cerr, hooks);
  PosixProgramStarter starter(Opener());
  const auto location = Settings(options);
  const auto file = location.Resolve(addin::kSettingsFile);
  const auto folder = file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
  const bool hadFolder = std::filesystem::exists(folder);
  addin::ITarn tarn(addin::Platform{terminal, terminal, starter, terminal, location});
  tarn.RunConfiguration(host::MemoryApplication());
  tarn.OpenIni();
  // The settings file's folders are made when it is first written: said, so
  // that a mistyped --settings does not go unnoticed.
  if (!hadFolder && std::filesystem::exists(folder))
    std::cerr << "tarn: created the folder " << Printable(folder.string()) << " for the settings file\n";
  // Writing the settings reports no failure of its own: read the values
  // back so that a value that did not stick is not reported as saved.
  if ((asked.zevesPath && *asked.zevesPath != tarn.ZEvesPath) ||
      (asked.wizardUrl && *asked.wizardUrl != tarn.WizardUrl)) {
    PrintText(std::cerr,
              Unplaced(Diagnostic::Severity::kError,
                       "The settings file " + file.string() +
                           " does not hold the new value: it could not be written, or the value has a "
                           "line break, blanks at either end or more than 749 characters."));
    return kErrorShown;
  }
  if (options.quiet && changing) return kSuccess;
  // Named as the configuration form names them, with their keys in the file.
  std::cout << "Settings file: " << Printable(file.string()) << "\n"
            << "Z/Eves Path (ZEvesPath): " << Printable(tarn.ZEvesPath) << "\n"
            << "Wizard URL (WizardUrl): " << Printable(tarn.WizardUrl) << "\n";
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
