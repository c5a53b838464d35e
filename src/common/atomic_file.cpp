#include "common/atomic_file.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "common/error.hpp"

namespace tarn {
namespace {

// The name of the temporary file being written, for the signal handler.
std::atomic<const char*> inProgress{nullptr};
static_assert(std::atomic<const char*>::is_always_lock_free);

// Removes the temporary file unless the rename has consumed it.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::string name) : name_(std::move(name)) {}
  ~TemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!name_.empty()) {
      inProgress.store(nullptr);
      ::unlink(name_.c_str());
    }
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  // Creates the file. The termination signals wait until its name is
  // published, so that no signal can come between the two.
  int Create() {
    sigset_t blocked, previous;
    sigemptyset(&blocked);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&blocked, signal);
    ::sigprocmask(SIG_BLOCK, &blocked, &previous);
    fd_ = ::mkstemp(name_.data());
    const int err = errno;
    if (fd_ >= 0)
      inProgress.store(name_.c_str());
    else
      name_.clear();
    ::sigprocmask(SIG_SETMASK, &previous, nullptr);
    errno = err;
    return fd_;
  }
  const std::string& Name() const { return name_; }
  int& Fd() { return fd_; }
  void Release() {
    inProgress.store(nullptr);
    name_.clear();
  }

 private:
  std::string name_;
  int fd_ = -1;
};

mode_t CurrentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

void WriteAll(int fd, std::string_view bytes, const std::string& doing) {
  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t written = ::write(fd, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      RaisePlatformError(errno, doing);
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
}

// What a path leads to once its symbolic links are followed.
struct Target {
  enum Kind { kRegularOrNone, kOther, kOwnDescriptor } kind = kRegularOrNone;
  std::string path;  // the last name of the chain of links
  int descriptor = -1;
};

// The descriptor that a name in this process's /proc/PID/fd folder stands
// for (the folder /dev/fd and /dev/stdout lead to); -1 for any other name.
int OwnDescriptor(const std::string& path) {
  const auto slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos || name.size() > 9) return -1;
  char folder[PATH_MAX];
  if (::realpath(FolderOf(path).c_str(), folder) == nullptr) return -1;
  const std::string own = "/proc/" + std::to_string(::getpid());
  const std::string resolved = folder;
  const bool mine = resolved == own + "/fd" ||
                    (resolved.starts_with(own + "/task/") && resolved.ends_with("/fd"));
  return mine ? std::atoi(name.c_str()) : -1;
}

Target Resolve(const std::string& path, const std::string& doing) {
  Target target;
  target.path = path;
  for (int links = 0;; ++links) {
    struct stat status {};
    // A name that cannot be looked at is left to the writing, which
    // reports why it fails.
    if (::lstat(target.path.c_str(), &status) != 0) return target;
    if (S_ISREG(status.st_mode)) return target;
    if (!S_ISLNK(status.st_mode)) {
      if (S_ISDIR(status.st_mode)) RaisePlatformError(EISDIR, doing);
      target.kind = Target::kOther;
      return target;
    }
    if (links == 40) RaisePlatformError(ELOOP, doing);
    target.descriptor = OwnDescriptor(target.path);
    if (target.descriptor >= 0) {
      target.kind = Target::kOwnDescriptor;
      return target;
    }
    char link[PATH_MAX];
    const ssize_t length = ::readlink(target.path.c_str(), link, sizeof link);
    if (length < 0) RaisePlatformError(errno, doing);
    if (static_cast<std::size_t>(length) == sizeof link) RaisePlatformError(ENAMETOOLONG, doing);
    const std::string next(link, static_cast<std::size_t>(length));
    target.path = next.starts_with('/') ? next : FolderOf(target.path) + "/" + next;
  }
}

// Writes to a file that is not replaced: a FIFO, a device, a descriptor.
void WriteInPlace(const Target& target, std::string_view bytes, const std::string& doing) {
  if (target.kind == Target::kOwnDescriptor) return WriteAll(target.descriptor, bytes, doing);
  const int fd = ::open(target.path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) RaisePlatformError(errno, doing);
  try {
    WriteAll(fd, bytes, doing);
  } catch (...) {
    ::close(fd);
    throw;
  }
  if (::close(fd) != 0) RaisePlatformError(errno, doing);
}

}  // namespace

void ReplaceFile(const std::string& path, std::string_view bytes) { ReplaceFileIfUnchanged(path, bytes, {}); }

bool ReplaceFileIfUnchanged(const std::string& given, std::string_view bytes, const std::function<bool()>& unchanged) {
  const std::string doing = "Cannot write " + given;
  if (given == kStandardOutput) {
    WriteAll(STDOUT_FILENO, bytes, doing);
    return true;
  }
  const Target target = Resolve(given, doing);
  if (target.kind != Target::kRegularOrNone) {
    if (unchanged && !unchanged()) return false;
    WriteInPlace(target, bytes, doing);
    return true;
  }
  const std::string& path = target.path;

  mode_t mode = 0666 & ~CurrentUmask();
  struct stat existing {};
  const bool exists = ::stat(path.c_str(), &existing) == 0;
  if (exists) {
    if (S_ISDIR(existing.st_mode)) RaisePlatformError(EISDIR, doing);
    // A file marked read-only stays as it is, even for a user who could
    // replace it through the folder.
    if ((existing.st_mode & 0222) == 0) RaisePlatformError(EACCES, doing);
    if (::access(path.c_str(), W_OK) != 0) RaisePlatformError(errno, doing);
    mode = existing.st_mode & 07777;
  }

  TemporaryFile temp(path + ".tarn-XXXXXX");
  if (temp.Create() < 0) {
    const int err = errno;
    // The file itself may be writable: say that the folder is what refuses.
    if (err == EACCES || err == EPERM || err == EROFS)
      RaisePlatformError(err, doing + ": the folder " + FolderOf(path) + " is read-only" +
                                  (exists ? ", and the file is replaced through a new file written beside it"
                                          : ""));
    RaisePlatformError(err, doing);
  }
  // The owner and group first: changing them may clear the set-id bits.
  // Only root may give a file away; for anyone else the new file stays theirs.
  if (exists && ::fchown(temp.Fd(), existing.st_uid, existing.st_gid) != 0 && errno != EPERM)
    RaisePlatformError(errno, doing);
  if (::fchmod(temp.Fd(), mode) != 0) RaisePlatformError(errno, doing);

  WriteAll(temp.Fd(), bytes, doing);
  if (::fsync(temp.Fd()) != 0) RaisePlatformError(errno, doing);
  const int fd = temp.Fd();
  temp.Fd() = -1;
  if (::close(fd) != 0) RaisePlatformError(errno, doing);
  if (unchanged && !unchanged()) return false;
  if (::rename(temp.Name().c_str(), path.c_str()) != 0) RaisePlatformError(errno, doing);
  temp.Release();
  return true;
}

void RemoveTemporaryFileInProgress() {
  if (const char* name = inProgress.load()) ::unlink(name);
}

}  // namespace tarn
