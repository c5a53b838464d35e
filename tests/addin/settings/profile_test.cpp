#include "addin/settings/profile.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/scratch.hpp"

namespace tarn::addin {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;
namespace fs = std::filesystem;

// Reads through the profile function with a buffer of `size` bytes and checks
// that the reported count matches the NUL-ended text in the buffer.
std::string Get(std::string_view section, std::string_view key, const fs::path& file, std::size_t size = 64,
                std::string_view defaultValue = "") {
  std::string buffer(size, 'X');
  const std::size_t copied = GetPrivateProfileString(section, key, defaultValue, buffer.data(), size, file);
  EXPECT_LT(copied, size);
  EXPECT_EQ(buffer[copied], '\0');
  return buffer.substr(0, copied);
}

using Profile = testing::ScratchTest;

TEST_F(Profile, ReadFindsTheFirstSectionAndKeyOfTheNameOrGivesTheDefault) {
  const char* const names =
      "; ZEvesPath=commented out\r\nZevespath=before any section\r\n  [ tARN ] trailing text\r\n"
      "\tZeVeSpAtH \t=  /opt/z eves/zeves -x \t\r\nZEVESPATH=second line for the key\r\nEmpty=\r\n"
      "[Tarn]\r\nWizardUrl=in a second section of the same name\r\n";
  const char* const lines = "[Other]\nzevespath=elsewhere\n[Tarn]\nwizardurl=http://w\nzevespath\n";
  const struct {
    const char* file;  // nullptr: no file
    const char *section, *key;
    std::size_t size;
    const char *defaultValue, *value;
  } rows[] = {
      {nullptr, "Tarn", "zevespath", 64, "none", "none"},
      {nullptr, "Tarn", "zevespath", 64, "", ""},
      {lines, "Missing", "zevespath", 64, "none", "none"},
      {lines, "Tarn", "zevespath", 64, "none", "none"},  // a line without '=' is no key
      {lines, "Tarn", "wizardurl", 64, "none", "http://w"},
      {names, "tarn", "zevespath", 64, "", "/opt/z eves/zeves -x"},  // case and blanks do not count
      {names, "TARN", "ZEVESPATH", 64, "", "/opt/z eves/zeves -x"},
      {names, "Tarn", "empty", 64, "default", ""},        // present but empty
      {names, "Tarn", "wizardurl", 64, "none", "none"},   // only the first section of a name counts
      {"[Tarn]\nk=abcdef\n", "Tarn", "k", 7, "", "abcdef"},  // cut to the buffer less one
      {"[Tarn]\nk=abcdef\n", "Tarn", "k", 4, "", "abc"},
      {"[Tarn]\nk=abcdef\n", "Tarn", "k", 1, "", ""},
      {"[Tarn]\nk=abcdef\n", "Tarn", "missing", 3, "default", "de"},
  };
  const fs::path file = dir_ / "Tarn.ini";
  for (const auto& row : rows) {
    if (row.file) WriteBytes(file, row.file);
    else fs::remove(file);
    EXPECT_EQ(Get(row.section, row.key, file, row.size, row.defaultValue), row.value)
        << row.section << "." << row.key << " in " << (row.file ? row.file : "no file");
  }
  EXPECT_EQ(Get("Tarn", "zevespath", dir_, 64, "none"), "none");  // a folder reads as missing
  char untouched = 'X';
  EXPECT_EQ(GetPrivateProfileString("Tarn", "k", "", &untouched, 0, file), 0u);
  EXPECT_EQ(untouched, 'X');
}

TEST_F(Profile, WriteChangesOneLineAndKeepsEveryOtherByte) {
  const char* const many =
      "; settings\r\n\r\n[Other]\r\nzevespath=not ours\r\n[ tarn ]\r\n  ZevesPath = old  \r\n; keep me\r\n"
      "zevespath=shadowed duplicate\r\n\r\n[Last]\r\nx=1";
  const char* const replaced =
      "; settings\r\n\r\n[Other]\r\nzevespath=not ours\r\n[ tarn ]\r\nZEVESPATH=new\r\n; keep me\r\n"
      "zevespath=shadowed duplicate\r\n\r\n[Last]\r\nx=1";
  const char* const sections = "[Tarn]\nA=1\n; about B\nB=2\n\n; the next section\n[Next]\nC=3\n";
  const char* const added = "[Tarn]\nA=1\n; about B\nB=2\nNEW=v\n\n; the next section\n[Next]\nC=3\n";
  const char* const refused = "[Tarn]\r\nK=1\r\n";
  const struct {
    const char *name, *before, *section, *key, *value;
    bool written;
    const char* after;
  } rows[] = {
      {"the key replaced in place", many, "Tarn", "ZEVESPATH", "new", true, replaced},
      {"the same value again", replaced, "Tarn", "ZEVESPATH", "new", true, replaced},
      {"after the last key of its section", sections, "Tarn", "NEW", "v", true, added},
      {"at the end of the last section", added, "Next", "D", "4", true,
       "[Tarn]\nA=1\n; about B\nB=2\nNEW=v\n\n; the next section\n[Next]\nC=3\nD=4\n"},
      {"a new section after a last line without ending", "[Other]\nx=1", "Tarn", "K", "v", true,
       "[Other]\nx=1\n[Tarn]\nK=v\n"},
      {"CR LF as the file's lines", "[Tarn]\r\nx=1", "Tarn", "K", "v", true, "[Tarn]\r\nx=1\r\nK=v\r\n"},
      {"CR LF after a lone header", "[Tarn]", "Tarn", "K", "v", true, "[Tarn]\r\nK=v\r\n"},
      {"a replaced last line keeps having no ending", "[Tarn]\nK=old", "Tarn", "K", "new", true, "[Tarn]\nK=new"},
      {"a section in the value", refused, "Tarn", "K", "a\r\n[Evil]\r\nX=1", false, refused},
      {"a line feed in the value", refused, "Tarn", "K", "a\nb", false, refused},
      {"'=' in the key", refused, "Tarn", "K=J", "v", false, refused},
      {"']' in the section", refused, "Ta]rn", "K", "v", false, refused},
      {"'=' and ']' in the value", refused, "Tarn", "K", "http://w/?a=b[1]", true, "[Tarn]\r\nK=http://w/?a=b[1]\r\n"},
  };
  const fs::path file = dir_ / "Tarn.ini";
  for (const auto& row : rows) {
    WriteBytes(file, row.before);
    EXPECT_EQ(WritePrivateProfileString(row.section, row.key, row.value, file), row.written) << row.name;
    EXPECT_EQ(ReadBytes(file), row.after) << row.name;
  }
  EXPECT_EQ(Get("Tarn", "k", file), "http://w/?a=b[1]");
}

TEST_F(Profile, WriteFailuresAreReportedAsFalseAndLeaveTheFile) {
  const fs::path file = dir_ / "Tarn.ini";
  WriteBytes(file, "[Tarn]\r\nK=1\r\n");
  fs::permissions(file, fs::perms::owner_read);
  EXPECT_FALSE(WritePrivateProfileString("Tarn", "K", "2", file));
  EXPECT_EQ(ReadBytes(file), "[Tarn]\r\nK=1\r\n");
  if (::geteuid() != 0) {  // root reads every file
    fs::permissions(file, fs::perms::owner_write);
    EXPECT_FALSE(WritePrivateProfileString("Tarn", "K", "2", file));  // a file not read is never replaced
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(ReadBytes(file), "[Tarn]\r\nK=1\r\n");
  }
  WriteBytes(dir_ / "blocker", "");  // a file where the folder should be
  EXPECT_FALSE(WritePrivateProfileString("Tarn", "K", "v", dir_ / "blocker" / "Tarn.ini"));
  EXPECT_FALSE(WritePrivateProfileString("Tarn", "K", "v", dir_));  // the target is a folder
}

TEST_F(Profile, ALinkedFileIsWrittenThroughTheLink) {
  const fs::path real = dir_ / "dotfiles" / "Tarn.ini";
  fs::create_directories(real.parent_path());
  WriteBytes(real, "[Tarn]\nK=1\n");
  const fs::path link = dir_ / "Tarn.ini";
  fs::create_symlink(real, link);
  EXPECT_TRUE(WritePrivateProfileString("Tarn", "K", "2", link));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadBytes(real), "[Tarn]\nK=2\n");
}

// Another program may write the settings file without taking Tarn's lock:
// its change, made while Tarn makes the new file, is not lost but changed
// again; a file that never stops changing is given up on, and what the other
// program wrote stays.
TEST_F(Profile, AFileChangedWhileItIsUpdatedIsUpdatedAgain) {
  const fs::path path = dir_ / "Tarn.ini";
  WriteBytes(path, "[Tarn]\n");
  std::vector<std::string> seen;
  const auto appendOnce = [&](const std::string& bytes) {
    seen.push_back(bytes);
    if (seen.size() == 1) std::ofstream(path, std::ios::app) << "Other=1\n";
    return bytes + "K=2\n";
  };
  EXPECT_TRUE(UpdateFile(path, appendOnce));
  EXPECT_EQ(seen, (std::vector<std::string>{"[Tarn]\n", "[Tarn]\nOther=1\n"}));
  EXPECT_EQ(ReadBytes(path), "[Tarn]\nOther=1\nK=2\n");

  const auto appendAlways = [&](const std::string& bytes) {
    std::ofstream(path, std::ios::app) << "x\n";
    return bytes + "lost\n";
  };
  EXPECT_FALSE(UpdateFile(path, appendAlways));
  EXPECT_EQ(ReadBytes(path).find("lost"), std::string::npos);
  EXPECT_EQ(std::vector<fs::path>(fs::directory_iterator(dir_), {}), std::vector<fs::path>{path});
}

TEST(SettingsLocation, BareNamesLiveWithTheSettingsFile) {
  const SettingsLocation location(fs::path("/home/u/.config/tarn/settings.ini"));
  const std::pair<const char*, const char*> rows[] = {
      {"Tarn.ini", "/home/u/.config/tarn/settings.ini"}, {"tARN.INI", "/home/u/.config/tarn/settings.ini"},
      {"Other.ini", "/home/u/.config/tarn/Other.ini"},   {"Tarn.ini.bak", "/home/u/.config/tarn/Tarn.ini.bak"},
      {"/etc/Tarn.ini", "/etc/Tarn.ini"},                {"sub/Tarn.ini", "sub/Tarn.ini"},
  };
  for (const auto& [name, path] : rows) EXPECT_EQ(location.Resolve(name), fs::path(path)) << name;
}

TEST(DefaultSettingsFile, FollowsTheEnvironment) {
  const char* const names[] = {"HOME", "XDG_CONFIG_HOME", "TARN_SETTINGS"};
  std::vector<std::optional<std::string>> saved;
  for (const char* name : names) saved.push_back(std::getenv(name) ? std::optional(std::getenv(name)) : std::nullopt);
  const struct {
    const char* values[3];  // HOME, XDG_CONFIG_HOME, TARN_SETTINGS; nullptr: unset
    const char* file;       // nullptr: .config/tarn/Tarn.ini in the account's home folder
  } rows[] = {
      {{"/home/u", nullptr, nullptr}, "/home/u/.config/tarn/Tarn.ini"},
      {{"/home/u", "relative/config", nullptr}, "/home/u/.config/tarn/Tarn.ini"},  // not absolute: ignored
      {{"/home/u", "", nullptr}, "/home/u/.config/tarn/Tarn.ini"},
      {{"/home/u", "/cfg", nullptr}, "/cfg/tarn/Tarn.ini"},
      {{"/home/u", "/cfg", ""}, "/cfg/tarn/Tarn.ini"},  // empty: ignored
      {{"/home/u", "/cfg", "my.ini"}, "my.ini"},
      {{nullptr, nullptr, nullptr}, nullptr},
  };
  for (const auto& row : rows) {
    for (int i = 0; i < 3; ++i) row.values[i] ? ::setenv(names[i], row.values[i], 1) : ::unsetenv(names[i]);
    const fs::path file = DefaultSettingsFile();
    if (row.file) {
      EXPECT_EQ(file, fs::path(row.file));
    } else {
      EXPECT_TRUE(file.is_absolute()) << file;
      EXPECT_EQ(file.parent_path().parent_path().filename(), ".config");
      EXPECT_EQ(file.filename(), "Tarn.ini");
    }
  }
  for (int i = 0; i < 3; ++i) saved[i] ? ::setenv(names[i], saved[i]->c_str(), 1) : ::unsetenv(names[i]);
}

}  // namespace
}  // namespace tarn::addin
