#include "common/read_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <limits>
#include <memory>

#include "common/error.hpp"

namespace tarn {
namespace {

[[noreturn]] void RaiseTooLarge(const std::string& doing) {
  throw Error(kPathFileAccess, doing + ": the file is larger than " + kMaxModelFileSizeText +
                                   ", the limit for a model file");
}

// Refuses what is not a model file by what `status` says of it.
void CheckModelKind(const struct stat& status, const std::string& doing) {
  if (S_ISDIR(status.st_mode)) RaisePlatformError(EISDIR, doing);
  if (!S_ISREG(status.st_mode) && !S_ISFIFO(status.st_mode))
    throw Error(kPathFileAccess, doing + ": not a regular file or a pipe (a model file must be one)");
  if (S_ISREG(status.st_mode) && static_cast<std::size_t>(status.st_size) > kMaxModelFileSize)
    RaiseTooLarge(doing);
}

// The bytes of the file, of which at most `limit`; `model` says whether it
// must be a model file.
std::string Read(const std::string& path, std::size_t limit, bool model) {
  const std::string doing = "Cannot read " + path;
  if (model) CheckModelFile(path);
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) RaisePlatformError(errno, doing);
  struct stat status {};
  if (::fstat(::fileno(file.get()), &status) != 0) RaisePlatformError(errno, doing);
  if (S_ISDIR(status.st_mode)) RaisePlatformError(EISDIR, doing);
  if (model) CheckModelKind(status, doing);
  std::string bytes;
  // One allocation of the file's size where it is known (a regular file).
  if (S_ISREG(status.st_mode) && status.st_size > 0) bytes.reserve(static_cast<std::size_t>(status.st_size));
  char buffer[1 << 16];
  for (;;) {
    const std::size_t got = std::fread(buffer, 1, sizeof buffer, file.get());
    bytes.append(buffer, got);
    // A pipe, or a file that grows while it is read, stops at the limit.
    if (bytes.size() > limit) RaiseTooLarge(doing);
    if (got < sizeof buffer) break;
  }
  if (std::ferror(file.get())) RaisePlatformError(errno, doing);
  return bytes;
}

}  // namespace

std::string ReadWholeFile(const std::string& path) {
  return Read(path, std::numeric_limits<std::size_t>::max(), false);
}

std::string ReadModelFile(const std::string& path) { return Read(path, kMaxModelFileSize, true); }

bool IsRegularFile(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

InputFile::InputFile(const std::string& path) : path_(path) {
  descriptor_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor_ < 0) RaisePlatformError(errno, "Cannot read " + path_);
  struct stat status {};
  if (::fstat(descriptor_, &status) != 0 || S_ISDIR(status.st_mode)) {
    const int error = S_ISDIR(status.st_mode) ? EISDIR : errno;
    ::close(descriptor_);
    RaisePlatformError(error, "Cannot read " + path_);
  }
  size_ = static_cast<std::size_t>(status.st_size);
}

InputFile::~InputFile() { ::close(descriptor_); }

std::size_t InputFile::ReadAt(std::size_t offset, char* buffer, std::size_t size) const {
  std::size_t got = 0;
  while (got < size) {
    const ssize_t read = ::pread(descriptor_, buffer + got, size - got,
                                 static_cast<off_t>(offset + got));
    if (read < 0 && errno == EINTR) continue;
    if (read < 0) RaisePlatformError(errno, "Cannot read " + path_);
    if (read == 0) break;
    got += static_cast<std::size_t>(read);
  }
  return got;
}

void CheckModelFile(const std::string& path) {
  // Looked at before it is opened: opening a device may block or have effects
  // of its own.
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0) CheckModelKind(status, "Cannot read " + path);
}

}  // namespace tarn
