#include "cli/program_starter.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <cerrno>

#include "cli/command_line.hpp"
#include "common/error.hpp"

extern char** environ;

namespace tarn::cli {

long PosixProgramStarter::StartCommandLine(const std::string& commandLine, const std::string& document) {
  return Start(NameDocument(SplitCommandLine(commandLine), document), false);
}

long PosixProgramStarter::OpenAddress(const std::string& address) {
  // The opener takes no "--" that would end its options, so an address that
  // looks like one is refused instead.
  if (address.front() == '-')
    throw Error(kInvalidCall, "The setting WizardUrl begins with '-', which the opener would take as an "
                              "option; nothing was started.");
  return Start({opener_, address}, true);
}

long PosixProgramStarter::Start(const std::vector<std::string>& argv, bool hidden) {
  std::vector<char*> args;
  for (const auto& word : argv) args.push_back(const_cast<char*>(word.c_str()));
  args.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  if (hidden) {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  }
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);

  pid_t pid = 0;
  const int result = ::posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  // A program that is missing or may not be run is the platform's error;
  // any other failure to start is reported as task id 0.
  if (result == ENOENT || result == EACCES || result == ENOEXEC || result == ENOTDIR || result == EPERM)
    RaisePlatformError(result, "Cannot run " + argv[0]);
  if (result != 0) return 0;
  return static_cast<long>(pid);
}

}  // namespace tarn::cli
