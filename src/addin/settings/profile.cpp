#include "addin/settings/profile.hpp"

#include <fcntl.h>
#include <pwd.h>
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

std::size_t GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, char* buffer, std::size_t size,
                                    const fs::path& file) {
  if (size == 0) return 0;
  std::string bytes;
  std::optional<std::string_view> value;
  if (ReadWholeFile(file, bytes) == ReadOutcome::kRead) value = FindIniValue(bytes, section, key);
  const std::string_view found = value.value_or(defaultValue);
  const std::size_t copied = std::min(found.size(), size - 1);
  std::copy_n(found.data(), copied, buffer);
  buffer[copied] = '\0';
  return copied;
}

bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const fs::path& file) {
  if (WouldReadBackDifferently(section, key, value)) return false;
  const fs::path target = WriteTarget(file);
  std::string bytes;
  switch (ReadWholeFile(target, bytes)) {
    case ReadOutcome::kUnreadable:
      return false;
    case ReadOutcome::kMissing:
      if (target.has_parent_path()) {
        std::error_code error;
        fs::create_directories(target.parent_path(), error);
        if (error) return false;
      }
      break;
    case ReadOutcome::kRead:
      break;
  }
  try {
    ReplaceFile(target.string(), SetIniValue(bytes, section, key, value));
  } catch (const Error&) {
    return false;
  }
  return true;
}

}  // namespace tarn::addin
