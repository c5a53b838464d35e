#include "common/atomic_file.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

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

}  // namespace

void ReplaceFile(const std::string& path, std::string_view bytes) {
  const std::string doing = "Cannot write " + path;
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

  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t written = ::write(temp.Fd(), data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      RaisePlatformError(errno, doing);
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  if (::fsync(temp.Fd()) != 0) RaisePlatformError(errno, doing);
  const int fd = temp.Fd();
  temp.Fd() = -1;
  if (::close(fd) != 0) RaisePlatformError(errno, doing);
  if (::rename(temp.Name().c_str(), path.c_str()) != 0) RaisePlatformError(errno, doing);
  temp.Release();
}

void RemoveTemporaryFileInProgress() {
  if (const char* name = inProgress.load()) ::unlink(name);
}

}  // namespace tarn
