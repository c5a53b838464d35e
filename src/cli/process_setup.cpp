#include "cli/process_setup.hpp"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "common/atomic_file.hpp"
#include "typeset/pdflatex.hpp"

namespace tarn::cli {
namespace {

extern "C" void RemoveTemporaryFileAndEnd(int signal) {
  RemoveTemporaryFileInProgress();
  typeset::RemoveTypesetFolderInProgress();
  // The handler was reset on entry (SA_RESETHAND): once it returns, the
  // signal raised again ends the process with the signal's usual status.
  ::raise(signal);
}

}  // namespace

void KeepStandardStreamsOpen() {
  for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int held = ::open("/dev/null", O_RDONLY);
    if (held >= 0 && held != fd) {
      ::dup2(held, fd);
      ::close(held);
    }
  }
}

void CleanUpOnTerminationSignals() {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction previous {};
    if (::sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = RemoveTemporaryFileAndEnd;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
  }
}

std::optional<std::string> FlushStandardOutput() {
  errno = 0;
  std::cout.flush();
  const bool flushed = std::fflush(stdout) == 0;
  const int err = errno;
  if (flushed && !std::ferror(stdout) && !std::cout.fail()) return std::nullopt;
  return err != 0 ? std::strerror(err) : "write error";
}

}  // namespace tarn::cli
