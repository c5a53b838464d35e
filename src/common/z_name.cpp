#include "common/z_name.hpp"

namespace tarn {
namespace {

bool IsLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c > 127; }

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool IsZName(std::string_view word) {
  if (word.empty() || !IsLetter(static_cast<unsigned char>(word[0]))) return false;
  for (std::size_t i = 1; i < word.size(); ++i) {
    const auto c = static_cast<unsigned char>(word[i]);
    if (IsLetter(c) || IsDigit(c)) continue;
    if (c == '\\' && i + 1 < word.size() && word[i + 1] == '_') {
      ++i;
      continue;
    }
    return false;
  }
  return true;
}

}  // namespace tarn
