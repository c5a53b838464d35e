#include "addin/settings/settings.hpp"

#include <array>

namespace tarn::addin {
namespace {

// The size of the buffer that a value is read into, its ending NUL included.
constexpr std::size_t kValueBufferSize = kMaxValueLength + 1;

std::string WithAsciiCase(std::string_view text, bool upper) {
  std::string out(text);
  for (char& c : out) {
    if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

}  // namespace

std::string ReadINI(const SettingsLocation& location, std::string_view strsection,
                    std::string_view strkey, std::string_view strfullpath) {
  std::array<char, kValueBufferSize> buffer{};
  const std::size_t copied =
      GetPrivateProfileString(strsection, WithAsciiCase(strkey, false), "", buffer.data(),
                              buffer.size(), location.Resolve(strfullpath));
  return std::string(buffer.data(), copied);
}

std::optional<std::string> ReadWholeINIValue(const SettingsLocation& location, std::string_view strsection,
                                             std::string_view strkey, std::string_view strfullpath) {
  return GetPrivateProfileValue(strsection, WithAsciiCase(strkey, false), location.Resolve(strfullpath));
}

void WriteINI(const SettingsLocation& location, std::string_view strsection,
              std::string_view strkey, std::string_view strkeyvalue,
              std::string_view strfullpath) {
  WritePrivateProfileString(strsection, WithAsciiCase(strkey, true), strkeyvalue,
                            location.Resolve(strfullpath));
}

}  // namespace tarn::addin
