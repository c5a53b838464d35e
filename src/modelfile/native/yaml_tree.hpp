// The YAML document of a model file as a small tree whose every node knows
// where it was written, so that any problem found later can be reported at
// its place.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarn::modelfile::native {

// Lists and mappings may nest this deep; a model needs seven levels.
inline constexpr std::size_t kMaxNesting = 64;

struct Position {
  int line = 1;    // from 1
  int column = 1;  // from 1, in bytes
};

struct YamlNode {
  enum class Kind { kNull, kText, kList, kMapping };

  Kind kind = Kind::kNull;
  Position position;
  std::string text;  // a text's value, UTF-8 as YAML gives it
  // A list's elements; a mapping's keys and values in turn: key, value, key...
  std::vector<YamlNode> items;
};

// "null", "a text", "a list" or "a mapping", for messages.
std::string_view KindName(YamlNode::Kind kind);

// Parses the one YAML document of a model file. The bytes must be UTF-8
// without NUL characters; anchors are allowed but aliases are not, and
// mapping keys are texts. An empty file is a null document. Throws LoadError
// with `path` in its message.
YamlNode ParseYaml(std::string_view bytes, const std::string& path);

}  // namespace tarn::modelfile::native
