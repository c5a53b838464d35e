#include "addin/settings/profile.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "addin/settings/settings_folder.hpp"

namespace tarn::addin {
namespace {

using test_support::SettingsFolder;
using test_support::Slurp;
using test_support::Spit;
namespace fs = std::filesystem;

// Reads through the profile function with a buffer of `size` bytes and checks
// that the reported count matches the NUL-ended text in the buffer.
std::string Get(std::string_view section, std::string_view key, const fs::path& file,
                std::size_t size = 64, std::string_view defaultValue = "") {
  std::string buffer(size, 'X');
  const std::size_t copied =
      GetPrivateProfileString(section, key, defaultValue, buffer.data(), size, file);
  EXPECT_LT(copied, size);
  EXPECT_EQ(buffer[copied], '\0');
  return buffer.substr(0, copied);
}

using ProfileRead = SettingsFolder;

TEST_F(ProfileRead, MissingFileSectionOrKeyGivesTheDefault) {
  const fs::path file = dir_ / "Tarn.ini";
  EXPECT_EQ(Get("Tarn", "zevespath", file, 64, "none"), "none");
  EXPECT_EQ(Get("Tarn", "zevespath", file), "");
  Spit(file, "[Other]\nzevespath=elsewhere\n[Tarn]\nwizardurl=http://w\nzevespath\n");
  EXPECT_EQ(Get("Missing", "zevespath", file, 64, "none"), "none");
  EXPECT_EQ(Get("Tarn", "zevespath", file, 64, "none"), "none");  // a line without '=' is no key
  EXPECT_EQ(Get("Tarn", "wizardurl", file, 64, "none"), "http://w");
  EXPECT_EQ(Get("Tarn", "zevespath", dir_, 64, "none"), "none");  // a folder reads as missing
}

TEST_F(ProfileRead, NamesIgnoreCaseAndBlanksAroundNamesAndValues) {
  const fs::path file = dir_ / "Tarn.ini";
  Spit(file,
       "; ZEvesPath=commented out\r\n"
       "Zevespath=before any section\r\n"
       "  [ tARN ] trailing text\r\n"
       "\tZeVeSpAtH \t=  /opt/z eves/zeves -x \t\r\n"
       "ZEVESPATH=second line for the key\r\n"
       "Empty=\r\n"
       "[Tarn]\r\n"
       "WizardUrl=in a second section of the same name\r\n");
  EXPECT_EQ(Get("tarn", "zevespath", file), "/opt/z eves/zeves -x");
  EXPECT_EQ(Get("TARN", "ZEVESPATH", file), "/opt/z eves/zeves -x");
  EXPECT_EQ(Get("Tarn", "empty", file, 64, "default"), "");  // present but empty
  // Only the first section of a name counts.
  EXPECT_EQ(Get("Tarn", "wizardurl", file, 64, "none"), "none");
}

TEST_F(ProfileRead, ValueIsCutToTheBufferLessOne) {
  const fs::path file = dir_ / "Tarn.ini";
  Spit(file, "[Tarn]\nk=abcdef\n");
  EXPECT_EQ(Get("Tarn", "k", file, 7), "abcdef");
  EXPECT_EQ(Get("Tarn", "k", file, 4), "abc");
  EXPECT_EQ(Get("Tarn", "k", file, 1), "");
  EXPECT_EQ(Get("Tarn", "missing", file, 3, "default"), "de");
  char untouched = 'X';
  EXPECT_EQ(GetPrivateProfileString("Tarn", "k", "", &untouched, 0, file), 0u);
  EXPECT_EQ(untouched, 'X');
}

using ProfileWrite = SettingsFolder;

TEST_F(ProfileWrite, ReplacesTheKeyInPlaceAndKeepsEveryOtherLine) {
  const fs::path file = dir_ / "Tarn.ini";
  const std::string before =
      "; settings\r\n"
      "\r\n"
      "[Other]\r\n"
      "zevespath=not ours\r\n"
      "[ tarn ]\r\n"
      "  ZevesPath = old  \r\n"
      "; keep me\r\n"
      "zevespath=shadowed duplicate\r\n"
      "\r\n"
      "[Last]\r\n"
      "x=1";
  Spit(file, before);
  EXPECT_TRUE(WritePrivateProfileString("Tarn", "ZEVESPATH", "new", file));
  std::string expected = before;
  expected.replace(expected.find("  ZevesPath = old  "), 19, "ZEVESPATH=new");
  EXPECT_EQ(Slurp(file), expected);
  // Writing the same value again changes nothing; the key stays one line.
  EXPECT_TRUE(WritePrivateProfileString("Tarn", "ZEVESPATH", "new", file));
  EXPECT_EQ(Slurp(file), expected);
}

TEST_F(ProfileWrite, AddsAKeyAfterTheLastKeyOfItsSection) {
  const fs::path file = dir_ / "Tarn.ini";
  Spit(file,
       "[Tarn]\n"
       "A=1\n"
       "; about B\n"
       "B=2\n"
       "\n"
       "; the next section\n"
       "[Next]\n"
       "C=3\n");
  EXPECT_TRUE(WritePrivateProfileString("Tarn", "NEW", "v", file));
  EXPECT_TRUE(WritePrivateProfileString("Next", "D", "4", file));
  EXPECT_EQ(Slurp(file),
            "[Tarn]\n"
            "A=1\n"
            "; about B\n"
            "B=2\n"
            "NEW=v\n"
            "\n"
            "; the next section\n"
            "[Next]\n"
            "C=3\n"
            "D=4\n");
}

TEST_F(ProfileWrite, NewLinesFollowTheFileAndALastLineGetsItsEnding) {
  const fs::path lf = dir_ / "lf.ini";
  Spit(lf, "[Other]\nx=1");
  EXPECT_TRUE(WritePrivateProfileString("Tarn", "K", "v", lf));
  EXPECT_EQ(Slurp(lf), "[Other]\nx=1\n[Tarn]\nK=v\n");

  const fs::path crlf = dir_ / "crlf.ini";
  Spit(crlf, "[Tarn]\r\nx=1");
  EXPECT_TRUE(WritePrivateProfileString("Tarn", "K", "v", crlf));
  EXPECT_EQ(Slurp(crlf), "[Tarn]\r\nx=1\r\nK=v\r\n");

  const fs::path header = dir_ / "header.ini";
  Spit(header, "[Tarn]");
  EXPECT_TRUE(WritePrivateProfileString("Tarn", "K", "v", header));
  EXPECT_EQ(Slurp(header), "[Tarn]\r\nK=v\r\n");

  // A replaced last line without an ending stays without one.
  const fs::path last = dir_ / "last.ini";
  Spit(last, "[Tarn]\nK=old");
  EXPECT_TRUE(WritePrivateProfileString("Tarn", "K", "new", last));
  EXPECT_EQ(Slurp(last), "[Tarn]\nK=new");
}

TEST_F(ProfileWrite, RefusesWhatWouldNotReadBackAndLeavesTheFile) {
  const fs::path file = dir_ / "Tarn.ini";
  const std::string before = "[Tarn]\r\nK=1\r\n";
  Spit(file, before);
  EXPECT_FALSE(WritePrivateProfileString("Tarn", "K", "a\r\n[Evil]\r\nX=1", file));
  EXPECT_FALSE(WritePrivateProfileString("Tarn", "K", "a\nb", file));
  EXPECT_FALSE(WritePrivateProfileString("Tarn", "K=J", "v", file));
  EXPECT_FALSE(WritePrivateProfileString("Ta]rn", "K", "v", file));
  EXPECT_EQ(Slurp(file), before);
  // '=' and ']' are ordinary in a value.
  EXPECT_TRUE(WritePrivateProfileString("Tarn", "K", "http://w/?a=b[1]", file));
  EXPECT_EQ(Get("Tarn", "k", file), "http://w/?a=b[1]");
}

TEST_F(ProfileWrite, AFileThatCannotBeReadIsNeverReplaced) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  const fs::path file = dir_ / "Tarn.ini";
  Spit(file, "[Tarn]\r\nK=1\r\nOther=kept\r\n");
  fs::permissions(file, fs::perms::owner_write);
  EXPECT_FALSE(WritePrivateProfileString("Tarn", "K", "2", file));
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(Slurp(file), "[Tarn]\r\nK=1\r\nOther=kept\r\n");
}

TEST_F(ProfileWrite, FailuresOfThePlatformAreReportedAsFalse) {
  const fs::path readOnly = dir_ / "Tarn.ini";
  Spit(readOnly, "[Tarn]\r\nK=1\r\n");
  fs::permissions(readOnly, fs::perms::owner_read);
  EXPECT_FALSE(WritePrivateProfileString("Tarn", "K", "2", readOnly));
  EXPECT_EQ(Slurp(readOnly), "[Tarn]\r\nK=1\r\n");
  // The folder cannot be created: a file stands where it should be.
  Spit(dir_ / "blocker", "");
  EXPECT_FALSE(WritePrivateProfileString("Tarn", "K", "v", dir_ / "blocker" / "Tarn.ini"));
  // The target is a folder.
  EXPECT_FALSE(WritePrivateProfileString("Tarn", "K", "v", dir_));
}

TEST_F(ProfileWrite, ALinkedFileIsWrittenThroughTheLink) {
  const fs::path real = dir_ / "dotfiles" / "Tarn.ini";
  fs::create_directories(real.parent_path());
  Spit(real, "[Tarn]\nK=1\n");
  const fs::path link = dir_ / "Tarn.ini";
  fs::create_symlink(real, link);
  EXPECT_TRUE(WritePrivateProfileString("Tarn", "K", "2", link));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Slurp(real), "[Tarn]\nK=2\n");
}

TEST(SettingsLocation, BareNamesLiveWithTheSettingsFile) {
  const SettingsLocation location(fs::path("/home/u/.config/tarn/settings.ini"));
  EXPECT_EQ(location.Resolve("Tarn.ini"), fs::path("/home/u/.config/tarn/settings.ini"));
  EXPECT_EQ(location.Resolve("tARN.INI"), fs::path("/home/u/.config/tarn/settings.ini"));
  EXPECT_EQ(location.Resolve("Other.ini"), fs::path("/home/u/.config/tarn/Other.ini"));
  EXPECT_EQ(location.Resolve("Tarn.ini.bak"), fs::path("/home/u/.config/tarn/Tarn.ini.bak"));
  EXPECT_EQ(location.Resolve("/etc/Tarn.ini"), fs::path("/etc/Tarn.ini"));
  EXPECT_EQ(location.Resolve("sub/Tarn.ini"), fs::path("sub/Tarn.ini"));
}

// Sets or clears the environment variables for one test and puts them back.
class Environment : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kNames) {
      const char* value = std::getenv(name);
      saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
      ::unsetenv(name);
    }
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value) ::setenv(name, value->c_str(), 1);
      else ::unsetenv(name);
    }
  }
  static constexpr const char* kNames[] = {"TARN_SETTINGS", "XDG_CONFIG_HOME", "HOME"};
  std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST_F(Environment, DefaultSettingsFileFollowsTheEnvironment) {
  ::setenv("HOME", "/home/u", 1);
  EXPECT_EQ(DefaultSettingsFile(), fs::path("/home/u/.config/tarn/Tarn.ini"));
  ::setenv("XDG_CONFIG_HOME", "relative/config", 1);  // not absolute: ignored
  EXPECT_EQ(DefaultSettingsFile(), fs::path("/home/u/.config/tarn/Tarn.ini"));
  ::setenv("XDG_CONFIG_HOME", "", 1);
  EXPECT_EQ(DefaultSettingsFile(), fs::path("/home/u/.config/tarn/Tarn.ini"));
  ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
  EXPECT_EQ(DefaultSettingsFile(), fs::path("/cfg/tarn/Tarn.ini"));
  ::setenv("TARN_SETTINGS", "", 1);  // empty: ignored
  EXPECT_EQ(DefaultSettingsFile(), fs::path("/cfg/tarn/Tarn.ini"));
  ::setenv("TARN_SETTINGS", "my.ini", 1);
  EXPECT_EQ(DefaultSettingsFile(), fs::path("my.ini"));
}

TEST_F(Environment, WithoutHomeTheAccountsHomeFolderIsUsed) {
  const fs::path file = DefaultSettingsFile();
  EXPECT_EQ(file.filename(), "Tarn.ini");
  EXPECT_TRUE(file.is_absolute()) << file;
  EXPECT_EQ(file.parent_path().parent_path().filename(), ".config");
}

}  // namespace
}  // namespace tarn::addin
