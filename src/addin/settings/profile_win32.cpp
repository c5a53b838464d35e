// The profile functions on Windows are the platform's own: a bare file name
// such as "Tarn.ini" is kept by Windows in its own folder for such files.
#include "addin/settings/profile.hpp"

#include <string>
#include <utility>

#include "common/windows_api.hpp"

namespace tarn::addin {
namespace fs = std::filesystem;

SettingsLocation::SettingsLocation(fs::path settingsFile) : settingsFile_(std::move(settingsFile)) {}

// Names are handed to the profile functions as they are, bare names
// included: where such a file lives is the platform's choice.
fs::path SettingsLocation::Resolve(std::string_view fileName) const { return fs::path(fileName); }

fs::path DefaultSettingsFile() { return "Tarn.ini"; }

std::optional<std::string> GetPrivateProfileValue(std::string_view section, std::string_view key,
                                                  const fs::path& file) {
  const std::string sectionName(section), keyName(key), fileName = file.string();
  // A default that no value can equal tells a missing key from an empty one.
  constexpr char kMissing[] = "\x01tarn-missing\x01";
  std::string buffer(1024, '\0');
  for (;;) {
    const DWORD copied = GetPrivateProfileStringA(sectionName.c_str(), keyName.c_str(), kMissing, buffer.data(),
                                                  static_cast<DWORD>(buffer.size()), fileName.c_str());
    // A value that filled the buffer may be longer: read it again, larger.
    if (copied + 1 >= buffer.size() && buffer.size() < (std::size_t{1} << 24)) {
      buffer.assign(buffer.size() * 4, '\0');
      continue;
    }
    buffer.resize(copied);
    if (buffer == kMissing) return std::nullopt;
    return buffer;
  }
}

std::size_t GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                    char* buffer, std::size_t size, const fs::path& file) {
  const std::string sectionName(section), keyName(key), defaultText(defaultValue), fileName = file.string();
  return GetPrivateProfileStringA(sectionName.c_str(), keyName.c_str(), defaultText.c_str(), buffer,
                                  static_cast<DWORD>(size), fileName.c_str());
}

bool WritePrivateProfileString(std::string_view section, std::string_view key, std::string_view value,
                               const fs::path& file) {
  const std::string sectionName(section), keyName(key), valueText(value), fileName = file.string();
  return WritePrivateProfileStringA(sectionName.c_str(), keyName.c_str(), valueText.c_str(), fileName.c_str()) != 0;
}

}  // namespace tarn::addin
