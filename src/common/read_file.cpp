#include "common/read_file.hpp"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <memory>

#include "common/error.hpp"

namespace tarn {

std::string ReadWholeFile(const std::string& path) {
  const std::string doing = "Cannot read " + path;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) RaisePlatformError(errno, doing);
  std::string bytes;
  struct stat status {};
  if (::fstat(::fileno(file.get()), &status) != 0) RaisePlatformError(errno, doing);
  if (S_ISDIR(status.st_mode)) RaisePlatformError(EISDIR, doing);
  // One allocation of the file's size where it is known (a regular file).
  if (S_ISREG(status.st_mode) && status.st_size > 0) bytes.reserve(static_cast<std::size_t>(status.st_size));
  char buffer[1 << 16];
  for (;;) {
    const std::size_t got = std::fread(buffer, 1, sizeof buffer, file.get());
    bytes.append(buffer, got);
    if (got < sizeof buffer) break;
  }
  if (std::ferror(file.get())) RaisePlatformError(errno, doing);
  return bytes;
}

}  // namespace tarn
