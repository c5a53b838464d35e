// The text of an INI file: finding a value and setting one, on the bytes of
// the whole file. The profile functions add the file handling around these.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarn::addin {

// The value of the first line for `key` in the first section named `section`,
// blanks around it removed; nothing when the section or the key is missing.
// Section and key names are compared without regard to ASCII case and with
// the blanks around them removed. A UTF-8 byte order mark at the start of the
// text is not part of its first line.
std::optional<std::string_view> FindIniValue(std::string_view text, std::string_view section,
                                             std::string_view key);

// The text with `key` of `section` set to `value`. The key's first line in the
// section becomes "key=value" and keeps its line ending; a missing key goes
// after the section's last key line (or its header), a missing section goes
// at the end. New lines end like the text's first line, CR LF when it has
// none. Every other line is kept byte for byte, and so is a byte order mark.
std::string SetIniValue(std::string_view text, std::string_view section, std::string_view key,
                        std::string_view value);

// True when the two names are equal without regard to ASCII case.
bool EqualsIgnoringCase(std::string_view left, std::string_view right);

}  // namespace tarn::addin
