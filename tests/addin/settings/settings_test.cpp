#include "addin/settings/settings.hpp"

#include <gtest/gtest.h>

#include <string>

#include "addin/dialogs/form_dialog.hpp"
#include "support/scratch.hpp"

namespace tarn::addin {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

class Settings : public testing::ScratchTest {
 protected:
  std::filesystem::path File() const { return dir_ / "new" / "config" / "Tarn.ini"; }
  SettingsLocation Location() const { return SettingsLocation(File()); }
  std::string Read(const std::string& key, const char* file = "Tarn.ini") const {
    return ReadINI(Location(), "Tarn", key, file);
  }
  FormDialog LoadedDialog() const {
    FormDialog dialog(Location());
    dialog.Load();
    return dialog;
  }
};

TEST_F(Settings, CreatesFileAndFoldersWithUpperCaseKeysThatReadBack) {
  WriteINI(Location(), "Tarn", "ZEvesPath", "/opt/zeves/bin/zeves -batch", "Tarn.ini");
  WriteINI(Location(), "Tarn", "WizardUrl", "http://localhost/wizard", "TARN.INI");
  EXPECT_EQ(ReadBytes(File()),
            "[Tarn]\r\nZEVESPATH=/opt/zeves/bin/zeves -batch\r\nWIZARDURL=http://localhost/wizard\r\n");
  EXPECT_EQ(Read("ZEvesPath"), "/opt/zeves/bin/zeves -batch");
  EXPECT_EQ(ReadINI(Location(), "tarn", "WIZARDURL", "tarn.ini"), "http://localhost/wizard");
}

TEST_F(Settings, LongValueReadsBackAsItsFirst749Characters) {
  std::string value;
  for (int i = 0; i < 800; ++i) value += static_cast<char>('a' + i % 26);
  WriteINI(Location(), "Tarn", "ZEvesPath", value, "Tarn.ini");
  EXPECT_NE(ReadBytes(File()).find(value), std::string::npos);  // stored whole
  EXPECT_EQ(Read("ZEvesPath"), value.substr(0, 749));
}

TEST_F(Settings, ValuesAreBytesAndOtherBareNamesLiveBeside) {
  const std::string latin1 = "C:\\Programme\\Z\xE9ves \xA7";
  WriteINI(Location(), "Tarn", "ZEvesPath", latin1, "Other.ini");
  EXPECT_FALSE(std::filesystem::exists(File()));
  EXPECT_EQ(ReadBytes(dir_ / "new" / "config" / "Other.ini"), "[Tarn]\r\nZEVESPATH=" + latin1 + "\r\n");
  EXPECT_EQ(Read("ZEvesPath", "Other.ini"), latin1);
}

TEST_F(Settings, AFailedWriteIsSilent) {
  std::filesystem::create_directories(File());  // a folder where the file should be
  EXPECT_NO_THROW(WriteINI(Location(), "Tarn", "ZEvesPath", "x", "Tarn.ini"));
  EXPECT_EQ(Read("ZEvesPath"), "");
}

// The configuration dialog: OK saves what the user typed, and only what
// changed since it was loaded; Cancel saves nothing.
TEST_F(Settings, DialogWithoutAFileLoadsEmptyAndOkCreatesItWithBothKeys) {
  FormDialog dialog(Location());
  dialog.Text1 = dialog.Text2 = "stale";
  dialog.Load();
  EXPECT_EQ(dialog.Text1, "");
  EXPECT_EQ(dialog.Text2, "");
  EXPECT_FALSE(std::filesystem::exists(File()));

  dialog.Text1 = "  /opt/zeves/zeves  ";  // kept as typed
  dialog.Text2 = "http://wizard/";
  dialog.OKButton_Click();
  EXPECT_EQ(ReadBytes(File()), "[Tarn]\r\nZEVESPATH=  /opt/zeves/zeves  \r\nWIZARDURL=http://wizard/\r\n");
  const FormDialog reopened = LoadedDialog();
  EXPECT_EQ(reopened.Text1, "/opt/zeves/zeves");  // blanks around values do not read back
  EXPECT_EQ(reopened.Text2, "http://wizard/");
}

TEST_F(Settings, DialogOkWritesOnlyWhatChangedSoOtherChangesToTheFileStay) {
  std::filesystem::create_directories(File().parent_path());
  WriteBytes(File(), "[Tarn]\nZEvesPath=zeves\n");
  FormDialog dialog = LoadedDialog();
  EXPECT_EQ(dialog.Text1, "zeves");
  dialog.OKButton_Click();
  EXPECT_EQ(ReadBytes(File()), "[Tarn]\nZEvesPath=zeves\n");

  WriteBytes(File(), "[Tarn]\nZEvesPath=changed meanwhile\n");
  dialog.Text2 = "http://wizard/";
  dialog.OKButton_Click();
  EXPECT_EQ(ReadBytes(File()), "[Tarn]\nZEvesPath=changed meanwhile\nWIZARDURL=http://wizard/\n");
}

TEST_F(Settings, DialogCancelWritesNothing) {
  std::filesystem::create_directories(File().parent_path());
  const std::string before = "; mine\r\n[tarn]\r\nzevespath = zeves \r\n";
  WriteBytes(File(), before);
  FormDialog dialog = LoadedDialog();
  dialog.Text1 = dialog.Text2 = "edited";
  dialog.CancelButton_Click();
  EXPECT_EQ(ReadBytes(File()), before);
}

}  // namespace
}  // namespace tarn::addin
