#include "addin/dialogs/form_dialog.hpp"

#include <utility>

#include "addin/settings/settings.hpp"

namespace tarn::addin {

FormDialog::FormDialog(SettingsLocation location) : location_(std::move(location)) {}

void FormDialog::Load() {
  loaded1_ = Text1 = ReadINI(kSettingsSection, kZEvesPathKey, kSettingsFile);
  loaded2_ = Text2 = ReadINI(kSettingsSection, kWizardUrlKey, kSettingsFile);
}

void FormDialog::OKButton_Click() {
  if (Text1 != loaded1_) WriteINI(kSettingsSection, kZEvesPathKey, Text1, kSettingsFile);
  if (Text2 != loaded2_) WriteINI(kSettingsSection, kWizardUrlKey, Text2, kSettingsFile);
}

void FormDialog::CancelButton_Click() {}

std::string FormDialog::ReadINI(std::string_view strsection, std::string_view strkey,
                                std::string_view strfullpath) const {
  return addin::ReadINI(location_, strsection, strkey, strfullpath);
}

void FormDialog::WriteINI(std::string_view strsection, std::string_view strkey,
                          std::string_view strkeyvalue, std::string_view strfullpath) const {
  addin::WriteINI(location_, strsection, strkey, strkeyvalue, strfullpath);
}

}  // namespace tarn::addin
