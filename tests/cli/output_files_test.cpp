// What happens to files on disk that the transcripts cannot set up: owners,
// read-only folders, FIFOs, devices, and a settings file another writer
// holds.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <chrono>
#include <thread>

#include "cli/run_tarn.hpp"

namespace tarn::testing {
namespace {

class OutputFileTest : public TarnRun {
 protected:
  Result Check(const std::string& output) {
    return Run({"property-check", Example("register.yaml"), "-o", output, "--no-run"});
  }
  const std::string golden_ = Slurp(std::string(TARN_GOLDEN_DIR) + "/zeves/reg_property_check.zed");
};

// A replaced document keeps its owner, group and mode; when it cannot be
// replaced because its folder is read-only, the message says so.
TEST_F(OutputFileTest, ReplacedFileKeepsOwnerGroupAndModeAndAReadOnlyFolderIsNamed) {
  const bool root = ::geteuid() == 0;
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
      {"program.zed", ::geteuid(), ::getegid(), 0755},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    if (!root && c.owner != ::geteuid()) continue;  // only root may give a file away
    const auto path = Write(c.file, "previous");
    if (root) {
      ASSERT_EQ(::chown(path.c_str(), c.owner, c.group), 0);
    }
    ::chmod(path.c_str(), c.mode);
    EXPECT_EQ(Check(c.file).code, 0);
    EXPECT_EQ(Slurp(Path(c.file)), golden_);
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, c.mode);
    if (root) {
      EXPECT_EQ(status.st_uid, c.owner);
      EXPECT_EQ(status.st_gid, c.group);
    }
  }

  // A writable file in a read-only folder. Root may write any folder, so as
  // root the program runs as the user nobody, who owns the file and reads a
  // copy of the model in the test's folder.
  std::filesystem::create_directories(Path("ro"));
  const auto locked = Write("ro/out.zed", "previous");
  const auto model = Write("model.yaml", Slurp(Example("register.yaml")));
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
  EXPECT_EQ(result.err,
            "tarn: error: Cannot write ro/out.zed: the folder ro is read-only, and the file is replaced through a "
            "new file written beside it: Permission denied\n");
  EXPECT_EQ(Slurp(Path("ro/out.zed")), "previous");
}

// A FIFO is written directly. It is opened for reading first, so that tarn's
// open for writing does not wait; the document fits the pipe's buffer.
TEST_F(OutputFileTest, AFifoIsWrittenDirectly) {
  ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
  const int reader = ::open(Path("pipe").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  const auto result = Check("pipe");
  EXPECT_EQ(result.code, 0) << result.err;
  std::string got(1 << 16, '\0');
  const auto length = ::read(reader, got.data(), got.size());
  ::close(reader);
  got.resize(static_cast<std::size_t>(std::max<ssize_t>(length, 0)));
  EXPECT_EQ(got, golden_);
  EXPECT_THAT(Files(), ::testing::ElementsAre("pipe"));
}

// A device is written directly. As root, a node of the null device made for
// the test, so that a fault can never replace the system's /dev/null; as any
// other user /dev/null, which only root could replace.
TEST_F(OutputFileTest, ADeviceIsWrittenDirectly) {
  std::string device = "/dev/null";
  if (::geteuid() == 0) {
    device = Path("null").string();
    if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) GTEST_SKIP() << "no device node may be made here";
  }
  const auto result = Check(device);
  EXPECT_EQ(result.code, 0) << result.err;
  struct stat status {};
  ASSERT_EQ(::lstat(device.c_str(), &status), 0);
  EXPECT_TRUE(S_ISCHR(status.st_mode));
}

// While another writer holds the settings folder's lock, tarn waits; then it
// reads the file that writer left and adds its own key to it.
TEST_F(OutputFileTest, SettingsWritersTakeTurns) {
  const auto settings = Path("settings") / "Tarn.ini";
  std::filesystem::create_directories(settings.parent_path());
  std::ofstream(settings, std::ios::binary) << "[Tarn]\nZEvesPath=z\n";
  const int folder = ::open(settings.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_EQ(::flock(folder, LOCK_EX), 0);
  const pid_t pid = Start({TARN_BINARY, "config", "--wizard-url", "http://w/"}, "");
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  int status = 0;
  EXPECT_EQ(::waitpid(pid, &status, WNOHANG), 0) << "tarn did not wait for the lock";
  EXPECT_EQ(Slurp(settings), "[Tarn]\nZEvesPath=z\n");
  std::ofstream(settings, std::ios::binary) << "[Tarn]\nZEvesPath=changed meanwhile\n";
  ::close(folder);
  const auto result = Finish(pid);
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_EQ(Slurp(settings), "[Tarn]\nZEvesPath=changed meanwhile\nWIZARDURL=http://w/\n");
}

}  // namespace
}  // namespace tarn::testing
