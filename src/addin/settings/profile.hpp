// The profile functions: reading and writing one value of an INI file of
// "[section]" lines and "key=value" lines, with the semantics of the Windows
// functions GetPrivateProfileStringA and WritePrivateProfileStringA for the
// cases Tarn uses, and where the settings file lives on this platform.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tarn::addin {

// Where the profile functions look for a file given by a bare name. Windows
// keeps such files in its system folder; Tarn keeps "Tarn.ini" at the
// settings path it was given, and other bare names beside it.
class SettingsLocation {
 public:
  explicit SettingsLocation(std::filesystem::path settingsFile);

  // "Tarn.ini" in any mix of cases maps to the settings file, another name
  // without '/' to a file of that name in the settings folder, and a name
  // with '/' is used as it is.
  std::filesystem::path Resolve(std::string_view fileName) const;

 private:
  std::filesystem::path settingsFile_;
};

// $TARN_SETTINGS when set and not empty; else Tarn.ini in the "tarn" folder of
// $XDG_CONFIG_HOME when that is an absolute path; else in ~/.config/tarn/.
std::filesystem::path DefaultSettingsFile();

// Copies the value of `key` in the first section named `section` of `file`
// into `buffer`, or `defaultValue` when the file, the section or the key does
// not exist. Names are compared without regard to case; blanks around names
// and values do not count. At most size - 1 bytes are copied and a NUL ends
// them; the result is the count of bytes copied, without the NUL.
std::size_t GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, char* buffer, std::size_t size,
                                    const std::filesystem::path& file);

// The whole value that GetPrivateProfileString copies a part of; nothing
// when the file, the section or the key does not exist.
std::optional<std::string> GetPrivateProfileValue(std::string_view section, std::string_view key,
                                                  const std::filesystem::path& file);

// Sets `key` of `section` in `file` to `value`: the key's first line becomes
// "key=value" as given here; a missing key is added at the end of its section
// and a missing section at the end of the file; the file and its folder are
// created when missing. Every other line stays byte for byte, and the file is
// replaced atomically. Writers take turns: each holds an advisory lock
// (flock) on the file's folder while it reads the file, changes the key and
// replaces the file, so that no two writes lose each other's change.
// Returns false when the file cannot be read or written, or when the names
// or the value would not read back as written (a line break anywhere, '='
// in the key, ']' in the section).
bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::filesystem::path& file);

// Replaces `file` (which may not exist yet) with change(its bytes). Another
// program may write the file without taking the lock: when it changed the
// file while the new one was being made, the change is made again on what it
// wrote; what it appended to the old file just after the new one took its
// place is carried over. Returns false when the file cannot be read or
// written, or keeps changing.
bool UpdateFile(const std::filesystem::path& file,
                const std::function<std::string(const std::string&)>& change);

}  // namespace tarn::addin
