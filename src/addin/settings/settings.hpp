// Tarn's two settings, the Z/EVES command line and the Wizard address, kept
// in section "Tarn" of the settings file "Tarn.ini".
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "addin/settings/profile.hpp"

namespace tarn::addin {

inline constexpr std::string_view kSettingsSection = "Tarn";
inline constexpr std::string_view kZEvesPathKey = "ZEvesPath";
inline constexpr std::string_view kWizardUrlKey = "WizardUrl";
inline constexpr std::string_view kSettingsFile = "Tarn.ini";

// The most characters of a value that ReadINI returns.
inline constexpr std::size_t kMaxValueLength = 749;

// The value of `strkey` in section `strsection` of file `strfullpath`, or ""
// when the file, the section or the key does not exist. The key is looked up
// in lower case; at most 749 characters of the value come back.
std::string ReadINI(const SettingsLocation& location, std::string_view strsection,
                    std::string_view strkey, std::string_view strfullpath);

// The whole value that ReadINI returns the first 749 characters of; nothing
// when the file, the section or the key does not exist.
std::optional<std::string> ReadWholeINIValue(const SettingsLocation& location, std::string_view strsection,
                                             std::string_view strkey, std::string_view strfullpath);

// Sets `strkey` (written in upper case) of section `strsection` of file
// `strfullpath` to `strkeyvalue`, creating the file and the section when
// needed. A write that fails is not reported.
void WriteINI(const SettingsLocation& location, std::string_view strsection,
              std::string_view strkey, std::string_view strkeyvalue,
              std::string_view strfullpath);

}  // namespace tarn::addin
