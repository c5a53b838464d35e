// The configuration dialog's logic: the Z/EVES command line and the Wizard
// address as the user edits them, loaded from and saved to the settings file.
// The dialog also carries the set-up of the save-file dialog that the
// commands use to ask for the output file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "addin/seams.hpp"
#include "addin/settings/profile.hpp"

namespace tarn::addin {

class FormDialog {
 public:
  explicit FormDialog(SettingsLocation location);

  std::string Caption = " Configuration";
  std::string Label1 = " Z/Eves Path";
  std::string Text1;  // the Z/EVES command line
  std::string Label2 = " Wizard URL";
  std::string Text2;  // the Wizard address
  SaveDialogSetup SaveFileName{
      " Save Z/Object-Z Schema ",
      "Z Specification (*.zed;*.tex)|*.zed;*.tex|All Files (*.*)|*.*",
      "zed",
  };

  // Fills both boxes from the settings file; a missing value gives "".
  void Load();
  // Saves the boxes that differ from what Load read, exactly as typed (both
  // when nothing was loaded). A value left as it was is not written back, so
  // that it cannot undo a change another program made to the file meanwhile.
  void OKButton_Click();
  // Closes the dialog without saving anything.
  void CancelButton_Click();

  std::string ReadINI(std::string_view strsection, std::string_view strkey,
                      std::string_view strfullpath) const;
  void WriteINI(std::string_view strsection, std::string_view strkey,
                std::string_view strkeyvalue, std::string_view strfullpath) const;

 private:
  SettingsLocation location_;
  std::optional<std::string> loaded1_, loaded2_;  // what Load put in Text1 and Text2
};

}  // namespace tarn::addin
