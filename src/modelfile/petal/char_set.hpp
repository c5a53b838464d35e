// The code page of a petal model's texts.
#pragma once

#include <string>
#include <string_view>

namespace tarn::modelfile::petal {

// The code page that a Windows character set number (a petal header's
// charSet) stands for, e.g. 0 -> "windows-1252", 134 -> "gbk"; "" for a
// number that names no known code page.
std::string CodePageOfCharSet(long char_set);

}  // namespace tarn::modelfile::petal
