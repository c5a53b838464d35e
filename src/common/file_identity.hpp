// A file on disk whatever the spelling of the path that leads to it, so that
// a file named twice (another case, a link, "..") is read once.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <tuple>

namespace tarn {

struct FileIdentity {
  std::uint64_t device = 0;  // the device, or the volume on Windows
  std::uint64_t inode = 0;   // the inode, or the file index on Windows
  bool operator<(const FileIdentity& other) const {
    return std::tie(device, inode) < std::tie(other.device, other.inode);
  }
};

// Nothing when the file cannot be looked at (it does not exist, say).
std::optional<FileIdentity> IdentityOf(const std::string& path);

}  // namespace tarn
