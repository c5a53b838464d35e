// Which reader a model file needs, told from its first bytes, whatever its
// name: Tarn's YAML, a Rose petal file or UML 2 XMI. Formats Tarn does not
// read but that users may try (zipped projects, StarUML's JSON) are refused
// with a sentence that says what to do instead.
#pragma once

#include <string>
#include <string_view>

namespace tarn::modelfile {

enum class ModelFormat { kNative, kPetal, kXmi };

// The format of the file at `path` whose content begins with `bytes`.
// Throws LoadError for a format Tarn cannot read.
ModelFormat DetectModelFormat(std::string_view bytes, const std::string& path);

}  // namespace tarn::modelfile
