#include "modelfile/text/utf8.hpp"

#include <utility>

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

std::string_view ZMarkupOf(std::string_view text, std::size_t offset) {
  static constexpr std::pair<char32_t, std::string_view> kSymbols[] = {
      {U'\u2264', R"(\leq)"},      {U'\u2265', R"(\geq)"},     {U'\u2260', R"(\neq)"},
      {U'\u2208', R"(\in)"},       {U'\u2209', R"(\notin)"},   {U'\u2227', R"(\land)"},
      {U'\u2228', R"(\lor)"},      {U'\u00AC', R"(\lnot)"},    {U'\u21D2', R"(\implies)"},
      {U'\u21D4', R"(\iff)"},      {U'\u2200', R"(\forall)"},  {U'\u2203', R"(\exists)"},
      {U'\u2205', R"(\emptyset)"}, {U'\u2286', R"(\subseteq)"}, {U'\u2282', R"(\subset)"},
      {U'\u222A', R"(\cup)"},      {U'\u2229', R"(\cap)"},     {U'\u2115', R"(\nat)"},
      {U'\u2124', R"(\num)"},      {U'\u2119', R"(\power)"},   {U'\u2192', R"(\fun)"},
      {U'\u21F8', R"(\pfun)"},     {U'\u21A6', R"(\mapsto)"},  {U'\u00D7', R"(\cross)"},
      {U'\u2212', "-"},
  };
  const char32_t c = DecodeUtf8(text, offset);
  for (const auto& [symbol, markup] : kSymbols)
    if (symbol == c) return markup;
  return {};
}

}  // namespace tarn::modelfile::text
