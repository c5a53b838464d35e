#include "common/windows_api.hpp"

#include "common/file_identity.hpp"

namespace tarn {

// The volume's serial number and the file's index: Windows' counterpart of a
// device and an inode (stat gives every file the inode 0 there).
std::optional<FileIdentity> IdentityOf(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION information{};
  const bool known = GetFileInformationByHandle(file, &information) != 0;
  CloseHandle(file);
  if (!known) return std::nullopt;
  return FileIdentity{information.dwVolumeSerialNumber,
                      (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow};
}

}  // namespace tarn
