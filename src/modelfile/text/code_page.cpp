#include "modelfile/text/code_page.hpp"

namespace tarn::modelfile::text {

bool CodePage::KeepsAscii() {
  std::string ascii = "\t\r\n";
  for (char c = 0x20; c < 0x7F; ++c) ascii += c;
  const Conversion there = FromUtf8(ascii);
  const Conversion back = ToUtf8(ascii);
  return there.Succeeded() && there.bytes == ascii && back.Succeeded() && back.bytes == ascii;
}

std::string ToUtf8OrUnchanged(std::string_view bytes, const std::string& code_page) {
  bool ascii = true;
  for (char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) return std::string(bytes);
  const auto converter = CodePage::Open(code_page);
  if (!converter) return std::string(bytes);
  Conversion converted = converter->ToUtf8(bytes);
  return converted.Succeeded() ? std::move(converted.bytes) : std::string(bytes);
}

}  // namespace tarn::modelfile::text
