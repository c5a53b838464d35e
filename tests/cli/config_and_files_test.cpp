// tarn config and about, and what happens to files on disk.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "cli/run_tarn.hpp"

namespace tarn::testing {
namespace {

using ::testing::HasSubstr;

class ConfigTest : public TarnRun {
 protected:
  std::filesystem::path Settings() const { return Path("settings") / "Tarn.ini"; }
};

TEST_F(ConfigTest, FlagsWriteTheirKeysAndCreateTheFile) {
  auto result = Run({"config", "--zeves-path", "/opt/zeves/bin/zeves -gui"});
  ASSERT_EQ(result.code, 0) << result.err;
  EXPECT_EQ(Slurp(Settings()), "[Tarn]\r\nZEVESPATH=/opt/zeves/bin/zeves -gui\r\n");

  result = Run({"config", "--wizard-url", "http://localhost/wizard"});
  ASSERT_EQ(result.code, 0) << result.err;
  EXPECT_EQ(Slurp(Settings()), "[Tarn]\r\nZEVESPATH=/opt/zeves/bin/zeves -gui\r\nWIZARDURL=http://localhost/wizard\r\n");
  result = Run({"config"});
  EXPECT_EQ(result.out, "Settings file: " + Settings().string() +
                            "\nZ/EVES command line (ZEvesPath): /opt/zeves/bin/zeves -gui"
                            "\nWizard address (WizardUrl): http://localhost/wizard\n");
}

TEST_F(ConfigTest, HandWrittenFileKeepsEverythingElse) {
  std::filesystem::create_directories(Settings().parent_path());
  std::ofstream(Settings(), std::ios::binary)
      << "; my settings\n[Other]\nzevespath=not this one\n\n[tARN]\nZEvesPath = old zeves\nextra=kept\n"
         "WizardURL=http://old/\n[Last]\nk=v\n";
  auto result = Run({"config"});
  EXPECT_THAT(result.out, HasSubstr("(ZEvesPath): old zeves\n"));
  EXPECT_THAT(result.out, HasSubstr("(WizardUrl): http://old/\n"));

  result = Run({"config", "--zeves-path", "new zeves"});
  ASSERT_EQ(result.code, 0) << result.err;
  EXPECT_EQ(Slurp(Settings()),
            "; my settings\n[Other]\nzevespath=not this one\n\n[tARN]\nZEVESPATH=new zeves\nextra=kept\n"
            "WizardURL=http://old/\n[Last]\nk=v\n");
}

TEST_F(ConfigTest, PromptsForEachValueThenOkOrCancel) {
  env_["TARN_PROMPT"] = "1";
  auto result = Run({"config"}, "zeves one\n\ncancel\n");
  EXPECT_THAT(result.err, HasSubstr(" Z/Eves Path []: "));
  EXPECT_FALSE(std::filesystem::exists(Settings()));
  result = Run({"config"}, "zeves one\nhttp://w/\nok\n");
  EXPECT_EQ(result.code, 0);
  result = Run({"config"}, "\n\n\n");
  EXPECT_THAT(result.err, HasSubstr(" Z/Eves Path [zeves one]: "));
  EXPECT_THAT(result.out, HasSubstr("(WizardUrl): http://w/\n"));
}

TEST_F(ConfigTest, AboutBox) {
  const auto result = Run({"about"});
  EXPECT_EQ(result.code, 0);
  EXPECT_EQ(result.out,
            " About Tarn\nTarn 1.0\nThis add-in translates UML diagrams annotated with Object-Z into Z and Object-Z "
            "specifications, allowing class properties checking, refinements proof and type checking.\n"
            "Made by the Tarn developers.\n");
}

class OutputFileTest : public TarnRun {};

TEST_F(OutputFileTest, FailedWritesLoseNothing) {
  const auto model = Example("register.yaml");
  auto result = Run({"property-check", model, "-o", "no-folder/out.zed"});
  EXPECT_EQ(result.code, 1);
  EXPECT_THAT(result.err, HasSubstr("no-folder/out.zed"));

  std::filesystem::create_directories(Path("folder.zed"));
  result = Run({"property-check", model, "-o", "folder.zed"});
  EXPECT_EQ(result.code, 1);
  EXPECT_TRUE(std::filesystem::is_directory(Path("folder.zed")));

  Write("locked.zed", "keep me");
  ::chmod(Path("locked.zed").c_str(), 0444);
  result = Run({"property-check", model, "-o", "locked.zed"});
  EXPECT_EQ(result.code, 1);
  EXPECT_EQ(Slurp(Path("locked.zed")), "keep me");
  EXPECT_THAT(Files(), ::testing::ElementsAre("folder.zed", "locked.zed"));
}

}  // namespace
}  // namespace tarn::testing

namespace tarn::testing {
namespace {

TEST_F(ConfigTest, ValueThatDoesNotStickIsAnError) {
  auto result = Run({"config", "--zeves-path", std::string(800, 'z')});
  EXPECT_EQ(result.code, 1);
  EXPECT_THAT(result.err, HasSubstr("749"));
  result = Run({"config", "--zeves-path", "a\nb"});
  EXPECT_EQ(result.code, 1);
  env_["TARN_SETTINGS"] = (Path(Write("not-a-folder", "")) / "Tarn.ini").string();
  result = Run({"config", "--zeves-path", "zeves"});
  EXPECT_EQ(result.code, 1);
  EXPECT_THAT(result.err, HasSubstr("could not be written"));
}

}  // namespace
}  // namespace tarn::testing

namespace tarn::testing {
namespace {

// Writers of the settings file change only their own key, one at a time,
// each reading the file as the last one left it; a byte order mark neither
// hides the first section nor goes away.
TEST_F(ConfigTest, WritersChangeOnlyTheirKeyOneAtATimeAndReadPastAByteOrderMark) {
  const std::string bom = "\xEF\xBB\xBF";
  const struct {
    std::string before;
    std::vector<std::string> args;
    std::string after;
    std::string shown;
  } cases[] = {
      {bom + "[Tarn]\r\nZEvesPath=z\r\n",
       {"--wizard-url", "http://w/"},
       bom + "[Tarn]\r\nZEvesPath=z\r\nWIZARDURL=http://w/\r\n",
       "(ZEvesPath): z\n"},
      {bom + "[Tarn]\nZEvesPath=z\n", {}, bom + "[Tarn]\nZEvesPath=z\n", "(ZEvesPath): z\n"},
      {"[tarn]\nzevespath = z\nwizardurl = http://w/\n",
       {"--zeves-path", "z", "--wizard-url", "http://w2/"},
       "[tarn]\nzevespath = z\nWIZARDURL=http://w2/\n",
       "(WizardUrl): http://w2/\n"},
  };
  std::filesystem::create_directories(Settings().parent_path());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.before);
    std::ofstream(Settings(), std::ios::binary) << c.before;
    std::vector<std::string> args{"config"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto result = Run(args);
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_THAT(result.out, HasSubstr(c.shown));
    EXPECT_EQ(Slurp(Settings()), c.after);
  }

  // While another writer holds the folder's lock, tarn waits; then it reads
  // the file that writer left and adds its own key to it.
  std::ofstream(Settings(), std::ios::binary) << "[Tarn]\nZEvesPath=z\n";
  const int folder = ::open(Settings().parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_EQ(::flock(folder, LOCK_EX), 0);
  const pid_t pid = Start({TARN_BINARY, "config", "--wizard-url", "http://w/"}, "");
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  int status = 0;
  EXPECT_EQ(::waitpid(pid, &status, WNOHANG), 0) << "tarn did not wait for the lock";
  EXPECT_EQ(Slurp(Settings()), "[Tarn]\nZEvesPath=z\n");
  std::ofstream(Settings(), std::ios::binary) << "[Tarn]\nZEvesPath=changed meanwhile\n";
  ::close(folder);
  const auto result = Finish(pid);
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_EQ(Slurp(Settings()), "[Tarn]\nZEvesPath=changed meanwhile\nWIZARDURL=http://w/\n");
}

// A replaced document keeps its owner, group and mode; when it cannot be
// replaced because its folder is read-only, the message says so.
TEST_F(OutputFileTest, ReplacedFileKeepsOwnerGroupAndModeAndAReadOnlyFolderIsNamed) {
  const bool root = ::geteuid() == 0;
  const auto model = Write("model.yaml", Slurp(Example("register.yaml")));
  const std::string golden = Slurp(std::string(TARN_GOLDEN_DIR) + "/zeves/reg_property_check.zed");
  constexpr uid_t kNobody = 65534;
  const struct {
    const char* file;
    uid_t owner;  // set when running as root
    gid_t group;
    mode_t mode;
  } cases[] = {
      {"mine.zed", ::geteuid(), ::getegid(), 0600},
      {"theirs.zed", kNobody, kNobody, 0664},
      {"shared.zed", ::geteuid(), kNobody, 0640},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    if (!root && c.owner != ::geteuid()) continue;  // only root may give a file away
    const auto path = Write(c.file, "previous");
    if (root) {
      ASSERT_EQ(::chown(path.c_str(), c.owner, c.group), 0);
    }
    ::chmod(path.c_str(), c.mode);
    EXPECT_EQ(Run({"property-check", model, "-o", c.file, "--no-run"}).code, 0);
    EXPECT_EQ(Slurp(Path(c.file)), golden);
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, c.mode);
    if (root) {
      EXPECT_EQ(status.st_uid, c.owner);
      EXPECT_EQ(status.st_gid, c.group);
    }
  }

  // A writable file in a read-only folder. Root may write any folder, so as
  // root the program runs as the user nobody, who owns the file.
  std::filesystem::create_directories(Path("ro"));
  const auto locked = Write("ro/out.zed", "previous");
  std::vector<std::string> argv{TARN_BINARY, "property-check", model, "-o", "ro/out.zed", "--no-run"};
  if (root) {
    ASSERT_EQ(::chown(Path("ro").c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(::chown(locked.c_str(), kNobody, kNobody), 0);
    argv.insert(argv.begin(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
  }
  ::chmod(Path("ro").c_str(), 0555);
  const auto result = Spawn(argv, "");
  ::chmod(Path("ro").c_str(), 0755);
  EXPECT_EQ(result.code, 1);
  EXPECT_EQ(
      result.err,
      "tarn: error: Cannot write ro/out.zed: the folder ro is read-only, and the file is replaced through a "
      "new file "
      "written beside it: Permission denied\n");
  EXPECT_EQ(Slurp(Path("ro/out.zed")), "previous");
}

// Values that could never start a tool are refused when they are set; the
// settings file keeps what it had.
TEST_F(ConfigTest, UnusableValuesAreRefusedWhenSet) {
  ASSERT_EQ(Run({"config", "--zeves-path", "zeves", "--wizard-url", "http://w/"}).code, 0);
  const auto before = Slurp(Settings());
  const struct {
    const char* option;
    const char* value;
    const char* says;
  } cases[] = {
      {"--zeves-path", "zeves \"open", "unterminated quote"},
      {"--zeves-path", "zeves 'open", "unterminated quote"},
      {"--wizard-url", "localhost/wizard", "is not a URL: give its scheme"},
      {"--wizard-url", "http:", "is not a URL: give its scheme"},
      {"--wizard-url", "1http://w/", "is not a URL: give its scheme"},
      {"--wizard-url", "http://w/a b", "is not a URL: it holds a blank"},
  };
  for (const auto& c : cases) {
    const auto result = Run({"config", c.option, c.value});
    EXPECT_EQ(result.code, 2) << c.value;
    EXPECT_THAT(result.err, ::testing::StartsWith(std::string("tarn: error: ") + c.option + ": ")) << c.value;
    EXPECT_THAT(result.err, HasSubstr(c.says)) << c.value;
  }
  EXPECT_EQ(Slurp(Settings()), before);
  for (const char* url : {"https://w.example/wizard?x=1", "file:///opt/wizard/index.html", ""})
    EXPECT_EQ(Run({"config", "--wizard-url", url}).code, 0) << url;

  env_["TARN_PROMPT"] = "1";
  const auto asked = Run({"config"}, "zeves 'open\nzeves -gui\nno scheme\nhttp://w/\nok\n");
  EXPECT_EQ(asked.code, 0) << asked.err;
  EXPECT_THAT(asked.err, HasSubstr("tarn: error: The command line has an unterminated quote"));
  EXPECT_THAT(asked.err, HasSubstr("tarn: error: The Wizard address no scheme is not a URL"));
  EXPECT_THAT(asked.out, HasSubstr("(ZEvesPath): zeves -gui\nWizard address (WizardUrl): http://w/\n"));
}

}  // namespace
}  // namespace tarn::testing
