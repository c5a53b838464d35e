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

}  // namespace

ModelFormat DetectModelFormat(std::string_view bytes, const std::string& path) {
  if (bytes.substr(0, 4) == std::string_view("PK\x03\x04", 4))
    throw LoadError(path, 1, 1,
                    "the file is a zip archive, a zipped project such as .mdzip or .zargo: export the "
                    "model from its tool as UML 2 XMI, or unzip the project and give Tarn the model file "
                    "inside");
  // UTF-16 byte order marks: only XML is written that way.
  if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") return ModelFormat::kXmi;
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
