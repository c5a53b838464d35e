#include "addin/settings/profile.hpp"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "addin/settings/ini_text.hpp"
#include "common/atomic_file.hpp"
#include "common/error.hpp"

namespace tarn::addin {
namespace fs = std::filesystem;
namespace {

constexpr std::string_view kSettingsFileName = "Tarn.ini";

enum class ReadOutcome { kRead, kMissing, kUnreadable };

// Reads the whole file into `bytes`. A file that does not exist is told apart
// from one that exists but cannot be read, so that a write never replaces a
// file it could not read.
ReadOutcome ReadWholeFile(const fs::path& path, std::string& bytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return (errno == ENOENT) ? ReadOutcome::kMissing : ReadOutcome::kUnreadable;
  bytes.clear();
  char chunk[8192];
  ReadOutcome outcome = ReadOutcome::kRead;
  for (;;) {
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      outcome = ReadOutcome::kUnreadable;
      break;
    }
    bytes.append(chunk, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return outcome;
}

// An advisory lock on a folder, held for the life of the object. The
// folder, not the file: the file is replaced by a rename, and a lock on the
// replaced file would not stop the next writer.
class FolderLock {
 public:
  explicit FolderLock(const fs::path& folder)
      : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_ < 0) return;
    int locked;
    do locked = ::flock(fd_, LOCK_EX);
    while (locked != 0 && errno == EINTR);
    if (locked != 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~FolderLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  bool Held() const { return fd_ >= 0; }

 private:
  int fd_;
};

// A settings file kept as a link (to a dotfiles folder, say) is written
// through the link, so that the link stays a link.
fs::path WriteTarget(const fs::path& file) {
  std::error_code error;
  if (fs::is_symlink(file, error) && fs::exists(file, error)) {
    fs::path target = fs::canonical(file, error);
    if (!error) return target;
  }
  return file;
}

// Text that would not read back as written: a line break ends the line early
// (and could start a section or key of its own), '=' ends a key, ']' ends a
// section name.
bool WouldReadBackDifferently(std::string_view section, std::string_view key,
                              std::string_view value) {
  const auto hasLineBreak = [](std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
  };
  return hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value) ||
         key.find('=') != std::string_view::npos || section.find(']') != std::string_view::npos;
}

std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

fs::path HomeFolder() {
  const std::string home = EnvironmentValue("HOME");
  if (!home.empty()) return home;
  const passwd* entry = ::getpwuid(::getuid());
  if (entry != nullptr && entry->pw_dir != nullptr) return entry->pw_dir;
  return {};
}

}  // namespace

SettingsLocation::SettingsLocation(fs::path settingsFile)
    : settingsFile_(std::move(settingsFile)) {}

fs::path SettingsLocation::Resolve(std::string_view fileName) const {
  if (fileName.find('/') != std::string_view::npos) return fs::path(fileName);
  if (EqualsIgnoringCase(fileName, kSettingsFileName)) return settingsFile_;
  return settingsFile_.parent_path() / fileName;
}

fs::path DefaultSettingsFile() {
  const std::string explicitFile = EnvironmentValue("TARN_SETTINGS");
  if (!explicitFile.empty()) return explicitFile;
  const fs::path configHome = EnvironmentValue("XDG_CONFIG_HOME");
  if (configHome.is_absolute()) return configHome / "tarn" / kSettingsFileName;
  return HomeFolder() / ".config" / "tarn" / kSettingsFileName;
}

std::optional<std::string> GetPrivateProfileValue(std::string_view section, std::string_view key,
                                                  const fs::path& file) {
  std::string bytes;
  if (ReadWholeFile(file, bytes) != ReadOutcome::kRead) return std::nullopt;
  const std::optional<std::string_view> value = FindIniValue(bytes, section, key);
  if (!value) return std::nullopt;
  return std::string(*value);
}

std::size_t GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, char* buffer, std::size_t size,
                                    const fs::path& file) {
  if (size == 0) return 0;
  const std::optional<std::string> value = GetPrivateProfileValue(section, key, file);
  const std::string_view found = value ? std::string_view(*value) : defaultValue;
  const std::size_t copied = std::min(found.size(), size - 1);
  std::copy_n(found.data(), copied, buffer);
  buffer[copied] = '\0';
  return copied;
}

bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const fs::path& file) {
  if (WouldReadBackDifferently(section, key, value)) return false;
  const fs::path target = WriteTarget(file);
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::error_code error;
  fs::create_directories(folder, error);
  if (error) return false;
  const FolderLock lock(folder);
  if (!lock.Held()) return false;
  // Read under the lock: the file as the last writer left it.
  std::string bytes;
  if (ReadWholeFile(target, bytes) == ReadOutcome::kUnreadable) return false;
  try {
    ReplaceFile(target.string(), SetIniValue(bytes, section, key, value));
  } catch (const Error&) {
    return false;
  }
  return true;
}

}  // namespace tarn::addin
