#include "modelfile/petal/char_set.hpp"

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

}  // namespace tarn::modelfile::petal
