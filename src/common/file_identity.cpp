#include "common/file_identity.hpp"

#include <sys/stat.h>

namespace tarn {

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

}  // namespace tarn
