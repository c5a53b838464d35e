// A signal that ends the program while it writes a document leaves nothing
// behind.
#include <gmock/gmock.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "cli/run_tarn.hpp"

namespace tarn::testing {
namespace {


class ProcessTest : public TarnRun {
 protected:
  static constexpr int kNotTraceable = 126;  // the exit code of a child ptrace refused

  // Starts tarn in the test's folder, traced from its first instruction, and
  // lets it run until it enters its first fsync, the call that makes a written
  // temporary file durable before the rename; it stays stopped there. -1
  // when the system lets no process be traced, 0 when it could not be
  // started so or ended first.
  pid_t StartStoppedAtFirstFsync(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment = Environment();
    std::vector<char*> envp;
    for (auto& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    const std::string folder = dir_.string(), out = Path(".stdout"), err = Path(".stderr");

    const pid_t pid = ::fork();
    if (pid == 0) {  // only async-signal-safe calls until exec
      const int null = ::open("/dev/null", O_RDONLY);
      const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(null, 0);
      ::dup2(outFd, 1);
      ::dup2(errFd, 2);
      if (::chdir(folder.c_str()) != 0) ::_exit(127);
      if (::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) ::_exit(kNotTraceable);
      ::execve(argv[0], argv.data(), envp.data());
      ::_exit(127);
    }
    int status = 0;
    // The exec stops the program with SIGTRAP before its first instruction.
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return 0;
    if (WIFEXITED(status) && WEXITSTATUS(status) == kNotTraceable) return -1;
    if (!WIFSTOPPED(status)) return 0;
    ::ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL);
    int deliver = 0;  // a signal the program received while traced, passed on
    for (;;) {
      ::ptrace(PTRACE_SYSCALL, pid, nullptr, deliver);
      if (::waitpid(pid, &status, 0) != pid || !WIFSTOPPED(status)) return 0;
      deliver = 0;
      if (WSTOPSIG(status) == (SIGTRAP | 0x80)) {
        __ptrace_syscall_info info{};
        ::ptrace(PTRACE_GET_SYSCALL_INFO, pid, sizeof info, &info);
        if (info.op == PTRACE_SYSCALL_INFO_ENTRY && info.entry.nr == SYS_fsync) return pid;
      } else if ((status >> 16) == 0) {
        deliver = WSTOPSIG(status);
      }
    }
  }
};

// Files in the test's folder whose name marks them as a temporary file.
std::vector<std::string> TemporaryFiles(const std::vector<std::string>& names) {
  std::vector<std::string> temporary;
  for (const auto& name : names)
    if (name.find(".tarn-") != std::string::npos) temporary.push_back(name);
  return temporary;
}

// SIGINT, SIGTERM and SIGHUP while the document is being written: the
// temporary file goes, the previous document stays, and the program ends by
// the signal. The program is held by ptrace at the fsync of its temporary
// file, so that the signal comes while the file is surely there.
TEST_F(ProcessTest, TerminationSignalsDuringAWriteLeaveNoTemporaryFile) {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(strsignal(signal));
    Write("out.zed", "previous document\r\n");
    const pid_t pid = StartStoppedAtFirstFsync(
        {TARN_BINARY, "property-check", Example("register.yaml"), "-o", "out.zed", "--no-run"});
    if (pid == -1) GTEST_SKIP() << "this system does not let a test trace its child (ptrace)";
    ASSERT_GT(pid, 0) << "not stopped at fsync: " << Slurp(Path(".stderr"));
    EXPECT_THAT(TemporaryFiles(Files()), ::testing::SizeIs(1));
    ::kill(pid, signal);
    ::ptrace(PTRACE_DETACH, pid, nullptr, 0);
    const auto result = Finish(pid);
    EXPECT_EQ(result.signal, signal) << result.err;
    EXPECT_THAT(TemporaryFiles(Files()), ::testing::IsEmpty());
    EXPECT_EQ(Slurp(Path("out.zed")), "previous document\r\n");
  }
  // Without a signal the same run replaces the document.
  EXPECT_EQ(Run({"property-check", Example("register.yaml"), "-o", "out.zed", "--no-run"}).code, 0);
  EXPECT_EQ(Slurp(Path("out.zed")), Slurp(std::string(TARN_GOLDEN_DIR) + "/zeves/reg_property_check.zed"));
}

}  // namespace
}  // namespace tarn::testing
