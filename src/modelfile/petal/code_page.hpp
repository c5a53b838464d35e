// The code page of a petal model's texts, and conversion of its texts to
// UTF-8 so that names typed on the command line can be compared with them.
#pragma once

#include <string>
#include <string_view>

namespace tarn::modelfile::petal {

// The code page that a Windows character set number (a petal header's
// charSet) stands for, e.g. 0 -> "windows-1252", 134 -> "gbk"; "" for a
// number that names no known code page.
std::string CodePageOfCharSet(long char_set);

// `text` converted from `code_page` to UTF-8; the text unchanged when it is
// already UTF-8 or cannot be converted.
std::string ToUtf8(std::string_view text, const std::string& code_page);

}  // namespace tarn::modelfile::petal
