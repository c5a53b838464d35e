#include "addin/settings/profile.hpp"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
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

// Reads from `fd` to its end, appending to `bytes`.
bool ReadToEnd(int fd, std::string& bytes) {
  char chunk[8192];
  for (;;) {
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.append(chunk, static_cast<std::size_t>(got));
  }
}

// A settings file read whole and kept open, so that what another program
// appends to it once it has been replaced can still be found.
class ReadFile {
 public:
  // A file that does not exist is told apart from one that exists but cannot
  // be read, so that a write never replaces a file it could not read.
  explicit ReadFile(const fs::path& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (fd_ < 0) {
      outcome_ = errno == ENOENT ? ReadOutcome::kMissing : ReadOutcome::kUnreadable;
      return;
    }
    outcome_ = ReadToEnd(fd_, bytes_) ? ReadOutcome::kRead : ReadOutcome::kUnreadable;
  }
  ~ReadFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  ReadFile(const ReadFile&) = delete;
  ReadFile& operator=(const ReadFile&) = delete;

  ReadOutcome Outcome() const { return outcome_; }
  const std::string& Bytes() const { return bytes_; }
  // What was appended to the file after it was read; "" when nothing was,
  // or when what was read is no longer at its start (the file was written
  // over, not appended to).
  std::string Later() const {
    std::string now;
    if (fd_ < 0 || ::lseek(fd_, 0, SEEK_SET) != 0 || !ReadToEnd(fd_, now) || !now.starts_with(bytes_)) return {};
    return now.substr(bytes_.size());
  }

 private:
  int fd_;
  ReadOutcome outcome_ = ReadOutcome::kRead;
  std::string bytes_;
};

// What tells that a file changed: which file the name leads to, its size
// and the time of its last change.
struct FileVersion {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  std::int64_t changed = 0;  // ns

  bool operator==(const FileVersion&) const = default;
};

FileVersion VersionOf(const fs::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return {};
  return {true, status.st_dev, status.st_ino, status.st_size,
          std::int64_t{status.st_mtim.tv_sec} * 1000000000 + status.st_mtim.tv_nsec};
}

// Appends `bytes` to the file, as the program that wrote them meant to.
void AppendTo(const fs::path& path, std::string_view bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  if (fd < 0) return;
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) break;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  ::close(fd);
}

// How often a write starts again on a file that keeps changing under it
// before it gives up.
constexpr int kMostAttempts = 100;

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
  const ReadFile read(file);
  if (read.Outcome() != ReadOutcome::kRead) return std::nullopt;
  const std::optional<std::string_view> value = FindIniValue(read.Bytes(), section, key);
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
  return UpdateFile(target, [&](const std::string& bytes) { return SetIniValue(bytes, section, key, value); });
}

bool UpdateFile(const fs::path& target, const std::function<std::string(const std::string&)>& change) {
  for (int attempt = 0; attempt < kMostAttempts; ++attempt) {
    const FileVersion version = VersionOf(target);
    ReadFile read(target);
    if (read.Outcome() == ReadOutcome::kUnreadable) return false;
    if (VersionOf(target) != version) continue;
    try {
      if (!ReplaceFileIfUnchanged(target.string(), change(read.Bytes()),
                                  [&] { return VersionOf(target) == version; }))
        continue;
    } catch (const Error&) {
      return false;
    }
    if (const std::string later = read.Later(); !later.empty()) AppendTo(target, later);
    return true;
  }
  return false;
}

}  // namespace tarn::addin
