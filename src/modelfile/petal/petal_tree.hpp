// The syntax tree of one petal file. The parser reads the bytes once and
// records every value as a node that points back into the file's bytes, so
// nothing is copied until the mapping asks for a text. What a class diagram's
// views hold below their properties (labels, role views, points: layout,
// which Tarn never reads) is checked but not recorded: it is half of a large
// model's nodes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tarn::modelfile::petal {

enum class NodeType : std::uint8_t {
  kObject,     // (object KIND "name"... @TAG key value ...)
  kList,       // (list [KIND] value ...)
  kWrapped,    // (value KIND value)
  kTuple,      // (x, y) or ("EnumName" 3)
  kString,     // "..." with backslash escapes
  kTextBlock,  // lines starting with | in the first column
  kNumber,
  kIdentifier,
  kReference,  // @N
};

inline constexpr std::uint32_t kNoNode = 0xffffffffu;

// Flags of a quoted string: whether its raw bytes differ from its text.
inline constexpr std::uint8_t kHasEscape = 1;
inline constexpr std::uint8_t kHasLineFeed = 2;

// A text length or key distance that does not fit a node: the tree keeps
// it aside. Both are rare; a node of 20 bytes is what makes the tree of a
// large file small.
inline constexpr std::uint16_t kLongText = 0xffff;
inline constexpr std::uint8_t kFarKey = 0xff;

struct Node {
  // Objects, lists and wrapped values: the kind word (may be empty for a
  // list). Strings: the bytes between the quotes. Text blocks: from the first
  // | to the end of the last line. Other scalars: their characters.
  std::uint32_t text_offset = 0;
  std::uint32_t first_child = kNoNode;
  std::uint32_t next_sibling = kNoNode;
  std::uint32_t tag = 0;  // an object's @N label, a reference's N; 0: none
  std::uint16_t text_length = 0;  // see Tree::Raw
  // When the node is the value of an object's property, how many bytes
  // before its text the key (a word) starts; 0 for an object's names, which
  // are its first children and have no key.
  std::uint8_t key_distance = 0;
  NodeType type : 4 = NodeType::kObject;
  std::uint8_t flags : 4 = 0;
};

// The parsed file. `bytes` must outlive the tree.
struct Tree {
  std::string_view bytes;
  std::vector<Node> nodes;
  std::uint32_t header = kNoNode;  // (object Petal ...)
  std::uint32_t body = kNoNode;    // the Design or Class_Category
  // Whether every string and text block is valid UTF-8, and whether one of
  // them holds a multi-byte sequence.
  bool valid_utf8 = true;
  bool has_multibyte = false;

  // By node: the lengths of texts too long for text_length, and where the
  // keys too far from their values for key_distance start.
  std::unordered_map<std::uint32_t, std::uint32_t> long_texts;
  std::unordered_map<std::uint32_t, std::uint32_t> far_keys;

  const Node& at(std::uint32_t index) const { return nodes[index]; }
  std::uint32_t IndexOf(const Node& node) const {
    return static_cast<std::uint32_t>(&node - nodes.data());
  }
  std::string_view Raw(const Node& node) const {
    return bytes.substr(node.text_offset, node.text_length == kLongText
                                              ? long_texts.at(IndexOf(node))
                                              : node.text_length);
  }
  std::string_view Key(const Node& node) const;
  // The first property of `object` under `key`, or nullptr.
  const Node* Property(const Node& object, std::string_view key) const;
  // The `index`-th (0-based) name of an object, or nullptr.
  const Node* Name(const Node& object, std::size_t index) const;
  // The text of a string, text block, number or identifier, or of the value
  // inside a wrapped value; "" for anything else. Every line feed not
  // preceded by a carriage return becomes CR LF; text-block lines are joined
  // with CR LF.
  std::string Text(const Node& node) const;
  // Text of the property `key`, "" when absent.
  std::string PropertyText(const Node& object, std::string_view key) const;
  // Whether the property `key` is the identifier TRUE.
  bool IsTrue(const Node& object, std::string_view key) const;
  // The line and the column (in bytes), both from 1, of a byte offset.
  std::pair<int, int> LineAndColumn(std::uint32_t offset) const;

  // Where each line starts, made by the first LineAndColumn: a file with
  // many warnings is not counted through again for each.
  mutable std::vector<std::uint32_t> line_starts;
};

// Parses a whole petal file; throws LoadError "FILE:LINE:COLUMN: message" on
// any syntax error. Never reads outside `bytes`, and its work is bounded by
// the number of bytes and the nesting bound.
Tree Parse(std::string_view file, std::string_view bytes);

// How deep lists and objects may nest.
inline constexpr std::size_t kMaxNesting = 256;

}  // namespace tarn::modelfile::petal
