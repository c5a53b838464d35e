#include "addin/settings/settings.hpp"

#include <gtest/gtest.h>

#include <string>

#include "addin/settings/settings_folder.hpp"

namespace tarn::addin {
namespace {

using test_support::Slurp;

class Settings : public test_support::SettingsFolder {
 protected:
  std::filesystem::path File() const { return dir_ / "new" / "config" / "Tarn.ini"; }
  SettingsLocation Location() const { return SettingsLocation(File()); }
};

TEST_F(Settings, CreatesFileAndFoldersWithUpperCaseKeysThatReadBack) {
  WriteINI(Location(), "Tarn", "ZEvesPath", "/opt/zeves/bin/zeves -batch", "Tarn.ini");
  WriteINI(Location(), "Tarn", "WizardUrl", "http://localhost/wizard", "TARN.INI");
  EXPECT_EQ(Slurp(File()),
            "[Tarn]\r\nZEVESPATH=/opt/zeves/bin/zeves -batch\r\n"
            "WIZARDURL=http://localhost/wizard\r\n");
  EXPECT_EQ(ReadINI(Location(), "Tarn", "ZEvesPath", "Tarn.ini"), "/opt/zeves/bin/zeves -batch");
  EXPECT_EQ(ReadINI(Location(), "tarn", "WIZARDURL", "tarn.ini"), "http://localhost/wizard");
}

TEST_F(Settings, LongValueReadsBackAsItsFirst749Characters) {
  std::string value;
  for (int i = 0; i < 800; ++i) value += static_cast<char>('a' + i % 26);
  WriteINI(Location(), "Tarn", "ZEvesPath", value, "Tarn.ini");
  EXPECT_NE(Slurp(File()).find(value), std::string::npos);  // stored whole
  EXPECT_EQ(ReadINI(Location(), "Tarn", "ZEvesPath", "Tarn.ini"), value.substr(0, 749));
}

TEST_F(Settings, ValuesAreBytesAndOtherBareNamesLiveBeside) {
  const std::string latin1 = "C:\\Programme\\Z\xE9ves \xA7";
  WriteINI(Location(), "Tarn", "ZEvesPath", latin1, "Other.ini");
  EXPECT_FALSE(std::filesystem::exists(File()));
  EXPECT_EQ(Slurp(dir_ / "new" / "config" / "Other.ini"), "[Tarn]\r\nZEVESPATH=" + latin1 + "\r\n");
  EXPECT_EQ(ReadINI(Location(), "Tarn", "ZEvesPath", "Other.ini"), latin1);
}

TEST_F(Settings, AFailedWriteIsSilent) {
  std::filesystem::create_directories(File());  // a folder where the file should be
  EXPECT_NO_THROW(WriteINI(Location(), "Tarn", "ZEvesPath", "x", "Tarn.ini"));
  EXPECT_EQ(ReadINI(Location(), "Tarn", "ZEvesPath", "Tarn.ini"), "");
}

}  // namespace
}  // namespace tarn::addin
