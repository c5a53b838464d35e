#include "common/atomic_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/error.hpp"

namespace tarn {
namespace {

// Removes the temporary file unless the rename has consumed it.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::string name) : name_(std::move(name)) {}
  ~TemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!name_.empty()) ::unlink(name_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  std::string& Name() { return name_; }
  int& Fd() { return fd_; }
  void Release() { name_.clear(); }

 private:
  std::string name_;
  int fd_ = -1;
};

mode_t CurrentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

}  // namespace

void ReplaceFile(const std::string& path, std::string_view bytes) {
  const std::string doing = "Cannot write " + path;
  mode_t mode = 0666 & ~CurrentUmask();
  struct stat existing {};
  if (::stat(path.c_str(), &existing) == 0) {
    if (S_ISDIR(existing.st_mode)) RaisePlatformError(EISDIR, doing);
    // A file marked read-only stays as it is, even for a user who could
    // replace it through the folder.
    if ((existing.st_mode & 0222) == 0) RaisePlatformError(EACCES, doing);
    if (::access(path.c_str(), W_OK) != 0) RaisePlatformError(errno, doing);
    mode = existing.st_mode & 07777;
  }

  TemporaryFile temp(path + ".tarn-XXXXXX");
  temp.Fd() = ::mkstemp(temp.Name().data());
  if (temp.Fd() < 0) {
    const int err = errno;
    temp.Release();
    RaisePlatformError(err, doing);
  }
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

}  // namespace tarn
