#include "modelfile/petal/code_page.hpp"

#include <iconv.h>

#include <cerrno>

namespace tarn::modelfile::petal {

std::string CodePageOfCharSet(long char_set) {
  switch (char_set) {
    case 0:
      return "windows-1252";  // ANSI
    case 128:
      return "shift_jis";  // Japanese
    case 129:
      return "cp949";  // Korean
    case 134:
      return "gbk";  // simplified Chinese
    case 136:
      return "big5";  // traditional Chinese
    case 161:
      return "windows-1253";  // Greek
    case 162:
      return "windows-1254";  // Turkish
    case 163:
      return "windows-1258";  // Vietnamese
    case 177:
      return "windows-1255";  // Hebrew
    case 178:
      return "windows-1256";  // Arabic
    case 186:
      return "windows-1257";  // Baltic
    case 204:
      return "windows-1251";  // Cyrillic
    case 222:
      return "windows-874";  // Thai
    case 238:
      return "windows-1250";  // Central European
    default:
      return {};
  }
}

std::string ToUtf8(std::string_view text, const std::string& code_page) {
  bool ascii = true;
  for (char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii || code_page == "utf-8") return std::string(text);
  iconv_t converter = iconv_open("UTF-8", code_page.c_str());
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::string(text);
  std::string out(text.size() * 4, '\0');
  std::string in(text);
  char* in_ptr = in.data();
  std::size_t in_left = in.size();
  char* out_ptr = out.data();
  std::size_t out_left = out.size();
  const std::size_t done = iconv(converter, &in_ptr, &in_left, &out_ptr, &out_left);
  iconv_close(converter);
  if (done == static_cast<std::size_t>(-1)) return std::string(text);
  out.resize(out.size() - out_left);
  return out;
}

}  // namespace tarn::modelfile::petal
