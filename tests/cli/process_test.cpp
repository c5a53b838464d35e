// What the program does about its standard output and about signals: a
// failed write to standard output is an error, and a signal during a write
// leaves nothing behind.
#include <gmock/gmock.h>
#include <signal.h>
#include <sys/ptrace.h>
#include <sys/syscall.h>

#include <cstring>

#include "cli/run_tarn.hpp"

namespace tarn::testing {
namespace {

using ::testing::HasSubstr;

class ProcessTest : public TarnRun {};

// Everything tarn prints on standard output must arrive: /dev/full, a closed
// standard output and a file past the file size limit (a full disk) each
// fail with exit 1 and a message, even when the rest of the command worked.
TEST_F(ProcessTest, StandardOutputThatCannotBeWrittenIsAnError) {
  const auto model = Example("register.yaml");
  const struct {
    std::vector<std::string> args;
    std::string out;    // the standard output: "closed", or a path
    std::string limit;  // a prlimit option, or ""
    std::string reason;
  } cases[] = {
      {{"dump", model}, "/dev/full", "", "No space left on device"},
      {{"dump", model}, "closed", "", "Bad file descriptor"},
      {{"dump", model}, Path("dump.yaml").string(), "--fsize=100", "File too large"},
      {{"config"}, "/dev/full", "", "No space left on device"},
      {{"about"}, "closed", "", "Bad file descriptor"},
      {{"--help"}, "/dev/full", "", "No space left on device"},
      {{"property-check", model, "-o", "out.zed", "--no-run"}, "/dev/full", "", "No space left on device"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.front() + " > " + c.out);
    stdout_ = c.out;
    const auto result = c.limit.empty() ? Run(c.args) : RunLimited(c.limit, c.args);
    EXPECT_EQ(result.code, 1);
    EXPECT_THAT(result.err, HasSubstr("tarn: error: cannot write to standard output: " + c.reason + "\n"));
  }
  // The document itself was written; only its success text was lost.
  EXPECT_EQ(Slurp(Path("out.zed")), Slurp(std::string(TARN_GOLDEN_DIR) + "/zeves/reg_property_check.zed"));
}

// Files in the test's folder whose name marks them as a temporary file.
std::vector<std::string> TemporaryFiles(const std::vector<std::string>& names) {
  std::vector<std::string> temporary;
  for (const auto& name : names)
    if (name.find(".tarn-") != std::string::npos) temporary.push_back(name);
  return temporary;
}

// Traces a program seized with PTRACE_SEIZE until it enters its first
// fsync, the call that makes a written temporary file durable before the
// rename, and leaves it stopped there. False when the program ended first.
bool StopAtFirstFsync(pid_t pid) {
  ::ptrace(PTRACE_INTERRUPT, pid, nullptr, nullptr);
  int status = 0;
  int deliver = 0;  // a signal the program received while traced, passed on
  for (;;) {
    if (::waitpid(pid, &status, 0) != pid || !WIFSTOPPED(status)) return false;
    if (WSTOPSIG(status) == (SIGTRAP | 0x80)) {
      __ptrace_syscall_info info{};
      ::ptrace(PTRACE_GET_SYSCALL_INFO, pid, sizeof info, &info);
      if (info.op == PTRACE_SYSCALL_INFO_ENTRY && info.entry.nr == SYS_fsync) return true;
      deliver = 0;
    } else {
      deliver = (status >> 16) != 0 ? 0 : WSTOPSIG(status);  // not for the tracer's own stops
    }
    ::ptrace(PTRACE_SYSCALL, pid, nullptr, deliver);
  }
}

// SIGINT, SIGTERM and SIGHUP while the document is being written: the
// temporary file goes, the previous document stays, and the program ends by
// the signal. The program is held at the fsync of its temporary file, so
// that the signal comes while the file is surely there.
TEST_F(ProcessTest, TerminationSignalsDuringAWriteLeaveNoTemporaryFile) {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(strsignal(signal));
    Write("out.zed", "previous document\r\n");
    const pid_t pid =
        Start({TARN_BINARY, "property-check", Example("register.yaml"), "-o", "out.zed", "--no-run"}, "");
    ASSERT_NE(pid, 0);
    if (::ptrace(PTRACE_SEIZE, pid, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL) != 0) {
      Finish(pid);
      GTEST_SKIP() << "this system does not let a test trace its child (ptrace: " << std::strerror(errno) << ")";
    }
    ASSERT_TRUE(StopAtFirstFsync(pid)) << Finish(pid).err;
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
