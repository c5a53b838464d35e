#include "addin/i_tarn.hpp"

#include <new>

#include "addin/dialogs/form_about.hpp"
#include "addin/dialogs/form_dialog.hpp"
#include "common/atomic_file.hpp"
#include "objectz/generator.hpp"
#include "parser/z_parser.hpp"
#include "visitor/z_visitor.hpp"
#include "zeves/z_generator.hpp"

namespace tarn::addin {
namespace {

constexpr const char* kZEvesQuestion =
    "The specification was generated successfully.\r\nDo you want to run Z/Eves?";
constexpr const char* kTypeCheckerQuestion =
    "The specification was generated successfully.\r\nDo you want to run the Type Checker?";

}  // namespace

void ITarn::RunAbout(const host::Application&) {
  const FormAbout about;
  platform_.windows.ShowAbout(about);
}

void ITarn::RunConfiguration(const host::Application&) {
  FormDialog form(platform_.settings);
  form.Load();
  if (platform_.windows.ShowConfiguration(form))
    form.OKButton_Click();
  else
    form.CancelButton_Click();
}

Outcome ITarn::RunGenerator(const host::Application& RoseApp) {
  return Guarded(Command::kGenerator, [&] {
    const auto fileName = GetFileName();
    objectz::Generator generator;
    generator.typeset = TypesetFrontMatter;
    WriteDocument(fileName, generator.DocumentText(RoseApp));
    RunTypeChecker();
  });
}

Outcome ITarn::RunPropertyChecker(const host::Application& RoseApp) {
  return Guarded(Command::kPropertyChecker, [&] {
    const auto& roseClass = dynamic_cast<const host::Class&>(SelectedItem(RoseApp, "Class"));
    const auto properties = roseClass.TaggedValue(host::kTool, "Properties");
    const auto fileName = GetFileName();
    PropertyCheck(roseClass, properties, fileName);
    RunZEves(fileName);
  });
}

void ITarn::PropertyCheck(const host::Class& RoseClass, const std::string& RoseProperties,
                          const std::string& fileName) {
  zmodel::ZPCClass check;
  const parser::ZParser parser;
  check.Schema = parser.ParseClass(RoseClass);
  parser.ParseProperties(check, RoseProperties);
  const visitor::ZVisitor visitor;
  visitor.VisitPC(check);
  zeves::ZGenerator generator;
  WriteDocument(fileName, generator.PCSpecificationText(check));
}

Outcome ITarn::RunRefinementChecker(const host::Application& RoseApp) {
  return Guarded(Command::kRefinementChecker, [&] {
    const auto& association = dynamic_cast<const host::Association&>(SelectedItem(RoseApp, "Association"));
    const auto& abstractClass = association.FirstRole().RoleClass();
    const auto& concreteClass = association.SecondRole().RoleClass();
    const auto retrieve = association.TaggedValue(host::kTool, "Retrieve");
    const auto fileName = GetFileName();
    RefinementCheck(abstractClass, concreteClass, retrieve, fileName);
    RunZEves(fileName);
  });
}

void ITarn::RefinementCheck(const host::Class& RoseAbstractClass, const host::Class& RoseConcreteClass,
                            const std::string& RoseRetrieve, const std::string& fileName) {
  const parser::ZParser parser;
  zmodel::ZRCClass check;
  parser.ParseAbstractClass(check, RoseAbstractClass);
  parser.ParseConcreteClass(check, RoseConcreteClass);
  parser.ParseRetrieve(check, RoseRetrieve);
  const visitor::ZVisitor visitor;
  visitor.VisitRC(check);
  zeves::ZGenerator generator;
  WriteDocument(fileName, generator.RCSpecificationText(check));
  if (check.Retrieve.Empty())
    platform_.messages.ShowWarning("The refine association has no Retrieve text: the Retrieve schema only includes " +
                                   check.Abstract.Name + "A and " + check.Concrete.Name + "C.");
}

void ITarn::OpenIni() {
  ZEvesPath = ReadINI(std::string(kSettingsSection), std::string(kZEvesPathKey), std::string(kSettingsFile));
  WizardUrl = ReadINI(std::string(kSettingsSection), std::string(kWizardUrlKey), std::string(kSettingsFile));
}

std::string ITarn::ReadINI(const std::string& strsection, const std::string& strkey,
                           const std::string& strfullpath) {
  return addin::ReadINI(platform_.settings, strsection, strkey, strfullpath);
}

void ITarn::WriteINI(const std::string& strsection, const std::string& strkey, const std::string& strkeyvalue,
                     const std::string& strfullpath) {
  addin::WriteINI(platform_.settings, strsection, strkey, strkeyvalue, strfullpath);
}

std::string ITarn::GetFileName() {
  if (CheckOnly) return {};
  if (!sharedDialog_) {
    sharedDialog_.emplace(platform_.settings);
    sharedDialog_->Load();
  }
  auto path = platform_.saveDialog.ShowSave(sharedDialog_->SaveFileName);
  if (!path) throw Error(kCancelled, "Cancel was selected.");
  return *path;
}

void ITarn::WriteDocument(const std::string& fileName, std::string text) {
  if (CheckOnly)
    CheckedDocument = std::move(text);
  else
    ReplaceFile(fileName, text);
}

void ITarn::CheckStartSetting(std::string_view key, const std::string& value) {
  const auto refuse = [&](const std::string& problem) {
    throw Error(kInvalidCall, "The setting " + std::string(key) + " " + problem + "; nothing was started.");
  };
  const auto whole = addin::ReadWholeINIValue(platform_.settings, kSettingsSection, key, kSettingsFile);
  if (whole && whole->size() > kMaxValueLength)
    refuse("is longer than the " + std::to_string(kMaxValueLength) +
           " characters that the settings file can return, so it would run cut");
  if (value.find('\0') != std::string::npos) refuse("holds a NUL byte, which would cut it");
}

void ITarn::RunZEves(const std::string& fileName) {
  if (CheckOnly) return;
  OpenIni();
  if (!platform_.messages.AskYesNo(kZEvesQuestion)) return;
  CheckStartSetting(kZEvesPathKey, ZEvesPath);
  if (ZEvesPath.empty())
    throw Error(kInvalidCall, "No Z/EVES command line is configured.");
  if (platform_.programs.StartCommandLine(ZEvesPath, fileName) == 0)
    throw Error(kZEvesNotStarted, "Z/EVES did not start.");
}

void ITarn::RunTypeChecker() {
  if (CheckOnly) return;
  OpenIni();
  if (!platform_.messages.AskYesNo(kTypeCheckerQuestion)) return;
  if (WizardUrl.empty()) throw Error(kInvalidCall, "No Wizard address is configured.");
  CheckStartSetting(kWizardUrlKey, WizardUrl);
  if (platform_.programs.OpenAddress(WizardUrl) == 0)
    throw Error(kTypeCheckerNotStarted, "The type checker did not start.");
}

Outcome ITarn::Guarded(Command command, const std::function<void()>& body) {
  try {
    body();
    return Outcome::kDone;
  } catch (const Error& error) {
    return Report(command, error);
  } catch (const std::bad_alloc&) {
    return Report(command, Error(kOutOfMemory, "Out of memory"));
  } catch (const std::exception& failure) {
    return Report(command, Error(kPathFileAccess, failure.what()));
  }
}

Outcome ITarn::Report(Command command, const Error& error) {
  const auto message = MessageFor(command, error);
  if (!message) return Outcome::kCancelled;
  platform_.messages.ShowError(*message, error);
  return Outcome::kFailed;
}

const host::Element& ITarn::SelectedItem(const host::Application& RoseApp, const char* kind) {
  const auto selection = RoseApp.ActiveModel().SelectedItems();
  if (selection.ItemCount() != 1)
    throw Error(kNotOneItem, "The selection must hold exactly one item.");
  const auto& item = selection.ItemAt(1);
  if (!item.IsKind(kind)) throw Error(kWrongKind, std::string("The selected item is not of kind ") + kind + ".");
  return item;
}

}  // namespace tarn::addin
