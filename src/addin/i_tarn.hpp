// ITarn: the command class. Each command checks the selection, asks where
// to write, has the Z or Object-Z writer produce the document, reports
// success and offers to start the external tool. The three working commands
// turn any error into at most one message.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "addin/dialogs/form_dialog.hpp"
#include "addin/error_table.hpp"
#include "addin/seams.hpp"
#include "addin/settings/settings.hpp"
#include "host/host.hpp"
#include "objectz/generator.hpp"

namespace tarn::addin {

// The platform as the commands see it.
struct Platform {
  SaveFileDialog& saveDialog;
  MessageBoxes& messages;
  ProgramStarter& programs;
  DialogWindows& windows;
  SettingsLocation settings;
};

// How a working command ended, for callers that must tell (exit codes).
enum class Outcome { kDone, kFailed, kCancelled };

class ITarn {
 public:
  explicit ITarn(Platform platform) : platform_(std::move(platform)) {}

  std::string ZEvesPath;
  std::string WizardUrl;
  // Set, RunGenerator writes the Object-Z document for oz.sty, to be
  // typeset, with this front matter; unset, for the Wizard type checker.
  std::optional<objectz::FrontMatter> TypesetFrontMatter;
  // Set, a working command does everything but ask where to write, write
  // the document and offer to start the external tool: it builds the
  // document in memory and reports what it finds (tarn check).
  bool CheckOnly = false;
  // With CheckOnly, the document the last working command built.
  std::string CheckedDocument;

  void RunAbout(const host::Application& RoseApp);
  void RunConfiguration(const host::Application& RoseApp);
  Outcome RunGenerator(const host::Application& RoseApp);
  Outcome RunPropertyChecker(const host::Application& RoseApp);
  void PropertyCheck(const host::Class& RoseClass, const std::string& RoseProperties, const std::string& fileName);
  Outcome RunRefinementChecker(const host::Application& RoseApp);
  void RefinementCheck(const host::Class& RoseAbstractClass, const host::Class& RoseConcreteClass,
                       const std::string& RoseRetrieve, const std::string& fileName);
  void OpenIni();
  std::string ReadINI(const std::string& strsection, const std::string& strkey, const std::string& strfullpath);
  void WriteINI(const std::string& strsection, const std::string& strkey, const std::string& strkeyvalue,
                const std::string& strfullpath);

 private:
  std::string GetFileName();
  // Writes a document, unless the command only checks.
  void WriteDocument(const std::string& fileName, std::string text);
  // Offers to start Z/EVES on the document written to `fileName`.
  void RunZEves(const std::string& fileName);
  void RunTypeChecker();
  // Raises an error naming the setting when its value would not start what
  // it says: longer than ReadINI returns (it would run cut), or holding a NUL
  // byte (which would end it early).
  void CheckStartSetting(std::string_view key, const std::string& value);
  // Runs a working command's body; any error ends it with at most one message.
  Outcome Guarded(Command command, const std::function<void()>& body);
  // Shows the command's message for the error, if any, and says how it ended.
  Outcome Report(Command command, const Error& error);
  // The one item selected, of the given kind; raises 1001 or 1002.
  const host::Element& SelectedItem(const host::Application& RoseApp, const char* kind);

  Platform platform_;
  // The hidden configuration dialog that carries the save-file dialog; it
  // is loaded on first use and kept for the life of the object.
  std::optional<FormDialog> sharedDialog_;
};

}  // namespace tarn::addin
