#include "addin/dialogs/form_dialog.hpp"

#include <gtest/gtest.h>

#include <string>

#include "addin/settings/settings_folder.hpp"

namespace tarn::addin {
namespace {

using test_support::Slurp;
using test_support::Spit;

class Dialog : public test_support::SettingsFolder {
 protected:
  std::filesystem::path File() const { return dir_ / "tarn" / "Tarn.ini"; }
  FormDialog NewDialog() const { return FormDialog(SettingsLocation(File())); }
};

TEST_F(Dialog, WithoutAFileLoadsEmptyAndOkCreatesItWithBothKeys) {
  FormDialog dialog = NewDialog();
  dialog.Text1 = "stale";
  dialog.Text2 = "stale";
  dialog.Load();
  EXPECT_EQ(dialog.Text1, "");
  EXPECT_EQ(dialog.Text2, "");
  EXPECT_FALSE(std::filesystem::exists(File()));

  dialog.Text1 = "  /opt/zeves/zeves  ";  // kept as typed
  dialog.Text2 = "http://wizard/";
  dialog.OKButton_Click();
  EXPECT_EQ(Slurp(File()),
            "[Tarn]\r\nZEVESPATH=  /opt/zeves/zeves  \r\nWIZARDURL=http://wizard/\r\n");

  FormDialog reopened = NewDialog();
  reopened.Load();
  EXPECT_EQ(reopened.Text1, "/opt/zeves/zeves");  // blanks around values do not read back
  EXPECT_EQ(reopened.Text2, "http://wizard/");
}

TEST_F(Dialog, OkWritesOnlyWhatChangedSoOtherChangesToTheFileStay) {
  std::filesystem::create_directories(File().parent_path());
  Spit(File(), "[Tarn]\nZEvesPath=zeves\n");
  FormDialog dialog = NewDialog();
  dialog.Load();
  EXPECT_EQ(dialog.Text1, "zeves");
  dialog.OKButton_Click();
  EXPECT_EQ(Slurp(File()), "[Tarn]\nZEvesPath=zeves\n");

  Spit(File(), "[Tarn]\nZEvesPath=changed meanwhile\n");
  dialog.Text2 = "http://wizard/";
  dialog.OKButton_Click();
  EXPECT_EQ(Slurp(File()), "[Tarn]\nZEvesPath=changed meanwhile\nWIZARDURL=http://wizard/\n");
}

TEST_F(Dialog, CancelWritesNothing) {
  std::filesystem::create_directories(File().parent_path());
  const std::string before = "; mine\r\n[tarn]\r\nzevespath = zeves \r\n";
  Spit(File(), before);
  FormDialog dialog = NewDialog();
  dialog.Load();
  dialog.Text1 = "edited";
  dialog.Text2 = "edited";
  dialog.CancelButton_Click();
  EXPECT_EQ(Slurp(File()), before);
}

}  // namespace
}  // namespace tarn::addin
