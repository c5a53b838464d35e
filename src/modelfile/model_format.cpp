#include "modelfile/model_format.hpp"

#include <algorithm>
#include <cctype>

#include "modelfile/load_error.hpp"

namespace tarn::modelfile {
namespace {

std::string LowerExtension(const std::string& path) {
  const auto dot = path.rfind('.');
  const auto slash = path.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string extension = path.substr(dot + 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

// A text in UTF-16 or UTF-32, told by its byte order mark or, without one,
// by the zero bytes of its first character (every format's first
// character is ASCII): its name and the width of a character; {"", 0}
// for any other text.
struct WideText {
  const char* name = "";
  std::size_t width = 0;
  bool bigEndian = false;
};
WideText DetectWideText(std::string_view bytes) {
  const auto is = [&](std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; };
  if (is(std::string_view("\xFF\xFE\0\0", 4))) return {"UTF-32", 4, false};
  if (is(std::string_view("\0\0\xFE\xFF", 4))) return {"UTF-32", 4, true};
  if (is("\xFF\xFE")) return {"UTF-16", 2, false};
  if (is("\xFE\xFF")) return {"UTF-16", 2, true};
  if (bytes.size() < 4) return {};
  const auto zero = [&](std::size_t i) { return bytes[i] == '\0'; };
  if (!zero(0) && zero(1) && zero(2) && zero(3)) return {"UTF-32", 4, false};
  if (zero(0) && zero(1) && zero(2) && !zero(3)) return {"UTF-32", 4, true};
  if (!zero(0) && zero(1) && !zero(2) && zero(3)) return {"UTF-16", 2, false};
  if (zero(0) && !zero(1) && zero(2) && !zero(3)) return {"UTF-16", 2, true};
  return {};
}

// The first character of a wide text that is not a blank or a byte order
// mark, when it is ASCII; '\0' otherwise.
char FirstWideCharacter(std::string_view bytes, const WideText& wide) {
  for (std::size_t at = 0; at + wide.width <= bytes.size(); at += wide.width) {
    unsigned long code = 0;
    for (std::size_t i = 0; i < wide.width; ++i) {
      const auto byte = static_cast<unsigned char>(bytes[at + (wide.bigEndian ? i : wide.width - 1 - i)]);
      code = code << 8 | byte;
    }
    if (code == 0xFEFF || code == ' ' || code == '\t' || code == '\r' || code == '\n') continue;
    return code < 0x80 ? static_cast<char>(code) : '\0';
  }
  return '\0';
}

}  // namespace

ModelFormat DetectModelFormat(std::string_view bytes, const std::string& path) {
  if (bytes.substr(0, 4) == std::string_view("PK\x03\x04", 4))
    throw LoadError(path, 1, 1,
                    "the file is a zip archive, a zipped project such as .mdzip or .zargo: export the "
                    "model from its tool as UML 2 XMI, or unzip the project and give Tarn the model file "
                    "inside");
  // XML may be written in UTF-16, which the XML reader reads; no other
  // model file may.
  if (const auto wide = DetectWideText(bytes); wide.width > 0) {
    if (wide.width == 2 && FirstWideCharacter(bytes, wide) == '<') return ModelFormat::kXmi;
    throw LoadError(path, 1, 1,
                    std::string("the file is ") + wide.name +
                        ": save it as UTF-8 (a Tarn model file is UTF-8, or the code page its encoding: names; "
                        "an XMI file may be UTF-16)");
  }
  std::size_t start = bytes.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
  while (start < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[start]))) ++start;
  const std::string_view head = bytes.substr(start);
  if (head.substr(0, 1) == "<") return ModelFormat::kXmi;
  if (head.substr(0, 7) == "(object") return ModelFormat::kPetal;
  if (head.substr(0, 1) == "{" && head.substr(0, 4096).find("\"_type\"") != std::string_view::npos)
    throw LoadError(path, 1, 1,
                    "the file is a StarUML project (JSON): export the model with StarUML's XMI "
                    "extension as UML 2 XMI and give Tarn that file");
  const std::string extension = LowerExtension(path);
  if (extension == "mdl" || extension == "cat") return ModelFormat::kPetal;
  return ModelFormat::kNative;
}

}  // namespace tarn::modelfile
