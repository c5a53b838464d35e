#include "modelfile/text/utf8.hpp"

#include <cstdio>

namespace tarn::modelfile::text {
namespace {

bool InRange(std::string_view text, std::size_t offset, unsigned char low, unsigned char high) {
  if (offset >= text.size()) return false;
  const auto byte = static_cast<unsigned char>(text[offset]);
  return byte >= low && byte <= high;
}

}  // namespace

std::size_t Utf8SequenceLength(std::string_view text, std::size_t offset) {
  const auto lead = static_cast<unsigned char>(text[offset]);
  if (lead <= 0x7F) return 1;
  // The second byte's range depends on the lead byte; it excludes overlong
  // forms, surrogates and code points past U+10FFFF.
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  std::size_t length = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (!InRange(text, offset + 1, low, high)) return 0;
  for (std::size_t i = 2; i < length; ++i)
    if (!InRange(text, offset + i, 0x80, 0xBF)) return 0;
  return length;
}

std::size_t FindInvalidUtf8(std::string_view text) {
  std::size_t offset = 0;
  while (offset < text.size()) {
    const std::size_t length = Utf8SequenceLength(text, offset);
    if (length == 0) return offset;
    offset += length;
  }
  return std::string_view::npos;
}

char32_t DecodeUtf8(std::string_view text, std::size_t offset) {
  const std::size_t length = Utf8SequenceLength(text, offset);
  const auto lead = static_cast<unsigned char>(text[offset]);
  if (length <= 1) return lead;
  char32_t code = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i)
    code = (code << 6) | (static_cast<unsigned char>(text[offset + i]) & 0x3F);
  return code;
}

std::string DescribeCharacter(std::string_view text, std::size_t offset) {
  const char32_t character = DecodeUtf8(text, offset);
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(character));
  // Control characters are named by their code alone.
  if (character < 0x20 || (character >= 0x7F && character <= 0x9F)) return code;
  const std::size_t length = Utf8SequenceLength(text, offset);
  return std::string(code) + " \"" + std::string(text.substr(offset, length)) + "\"";
}

}  // namespace tarn::modelfile::text
