#include "modelfile/native/yaml_tree.hpp"

#include <yaml-cpp/eventhandler.h>
#include <yaml-cpp/exceptions.h>
#include <yaml-cpp/mark.h>
#include <yaml-cpp/parser.h>

#include <cstdio>
#include <istream>
#include <streambuf>

#include "modelfile/load_error.hpp"
#include "modelfile/native/yaml_hints.hpp"
#include "modelfile/text/utf8.hpp"

namespace tarn::modelfile::native {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

[[noreturn]] void Fail(const std::string& path, Position position, const std::string& message) {
  throw LoadError(path, position.line, position.column, message);
}

Position PositionOf(const YAML::Mark& mark) {
  // Some parser errors carry no mark; they are reported at the start.
  if (mark.is_null()) return {};
  return {mark.line + 1, mark.column + 1};
}

// Rejects what the parser would not report itself: ill-formed UTF-8, which
// it passes on unchanged, and NUL characters, which it takes for the marks
// of a UTF-16 or UTF-32 file. Lines and columns are counted as the parser
// counts them: LF ends a line, columns are bytes, a leading byte order mark
// is not counted.
void CheckBytes(std::string_view bytes, const std::string& path) {
  std::size_t offset = bytes.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
  Position position;
  while (offset < bytes.size()) {
    const char byte = bytes[offset];
    if (byte == '\n') {
      ++position.line;
      position.column = 1;
      ++offset;
      continue;
    }
    if (byte == '\0') Fail(path, position, "NUL character in the file");
    const std::size_t length = text::Utf8SequenceLength(bytes, offset);
    if (length == 0) {
      char message[64];
      std::snprintf(message, sizeof message, "the file is not UTF-8 here (byte 0x%02X)",
                    static_cast<unsigned>(static_cast<unsigned char>(byte)));
      Fail(path, position, message);
    }
    offset += length;
    position.column += static_cast<int>(length);
  }
}

// A read-only stream over bytes held elsewhere, so that a large file is not
// copied again for the parser.
class ViewBuffer : public std::streambuf {
 public:
  explicit ViewBuffer(std::string_view bytes) {
    char* begin = const_cast<char*>(bytes.data());
    setg(begin, begin, begin + bytes.size());
  }
};

// True when the quoted scalar that opens at `offset` has its closing quote.
bool IsClosed(std::string_view text, std::size_t offset) {
  const char quote = text[offset];
  for (std::size_t i = offset + 1; i < text.size(); ++i) {
    if (quote == '"' && text[i] == '\\') {
      ++i;
    } else if (text[i] == quote) {
      if (quote == '"' || i + 1 >= text.size() || text[i + 1] != '\'') return true;
      ++i;  // '' stands for one quote inside single quotes
    }
  }
  return false;
}

// Builds the tree from the parser's events. Only the innermost open list or
// mapping grows, so pointers to the open ones stay valid.
class TreeBuilder final : public YAML::EventHandler {
 public:
  // `text` is what the parser reads: the file after its byte order mark.
  TreeBuilder(std::string_view text, const std::string& path) : text_(text), path_(path) {}

  YamlNode TakeRoot() { return std::move(root_); }

  // The parser takes a quoted scalar that is never closed for one that ends
  // with the file, swallowing every line after its quote. Such a scalar is
  // the last one of the file, so only the last quoted scalar is checked.
  void CheckLastQuoteClosed() const {
    if (last_quoted_offset_ != kNone && !IsClosed(text_, last_quoted_offset_))
      Fail(path_, last_quoted_at_, "syntax error: the quoted text is not closed");
  }

  void OnDocumentStart(const YAML::Mark& mark) override {
    if (started_) Fail(path_, PositionOf(mark), "a second YAML document; a model file holds one");
    started_ = true;
  }
  void OnDocumentEnd() override {}

  void OnNull(const YAML::Mark& mark, YAML::anchor_t) override { Add(YamlNode::Kind::kNull, mark); }
  // An alias would let a few lines stand for a huge model (aliases of lists
  // of aliases), so a model file spells every value out.
  void OnAlias(const YAML::Mark& mark, YAML::anchor_t) override {
    Fail(path_, PositionOf(mark), "aliases are not supported in a model file");
  }
  void OnScalar(const YAML::Mark& mark, const std::string&, YAML::anchor_t,
                const std::string& value) override {
    YamlNode* node = Add(YamlNode::Kind::kText, mark);
    node->text = value;
    const auto offset = static_cast<std::size_t>(mark.pos);
    if (offset < text_.size() && (text_[offset] == '"' || text_[offset] == '\'')) {
      last_quoted_offset_ = offset;
      last_quoted_at_ = node->position;
    }
  }

  void OnSequenceStart(const YAML::Mark& mark, const std::string&, YAML::anchor_t,
                       YAML::EmitterStyle::value) override {
    Open(Add(YamlNode::Kind::kList, mark));
  }
  void OnSequenceEnd() override { open_.pop_back(); }

  void OnMapStart(const YAML::Mark& mark, const std::string&, YAML::anchor_t,
                  YAML::EmitterStyle::value) override {
    Open(Add(YamlNode::Kind::kMapping, mark));
  }
  void OnMapEnd() override { open_.pop_back(); }

 private:
  YamlNode* Add(YamlNode::Kind kind, const YAML::Mark& mark) {
    YamlNode node;
    node.kind = kind;
    node.position = PositionOf(mark);
    if (open_.empty()) {
      root_ = std::move(node);
      return &root_;
    }
    YamlNode& parent = *open_.back();
    const bool is_key = parent.kind == YamlNode::Kind::kMapping && parent.items.size() % 2 == 0;
    if (is_key && (kind == YamlNode::Kind::kList || kind == YamlNode::Kind::kMapping))
      Fail(path_, node.position,
           "a mapping key must be a text, not " + std::string(KindName(kind)));
    parent.items.push_back(std::move(node));
    return &parent.items.back();
  }

  // The parser recurses once per level, so the depth is bounded before it
  // goes deeper.
  void Open(YamlNode* node) {
    if (open_.size() >= kMaxNesting)
      Fail(path_, node->position, "nesting deeper than " + std::to_string(kMaxNesting) + " levels");
    open_.push_back(node);
  }

  std::string_view text_;
  const std::string& path_;
  YamlNode root_;
  std::vector<YamlNode*> open_;
  bool started_ = false;
  static constexpr std::size_t kNone = std::string_view::npos;
  std::size_t last_quoted_offset_ = kNone;
  Position last_quoted_at_;
};

}  // namespace

std::string_view KindName(YamlNode::Kind kind) {
  switch (kind) {
    case YamlNode::Kind::kNull:
      return "null";
    case YamlNode::Kind::kText:
      return "a text";
    case YamlNode::Kind::kList:
      return "a list";
    case YamlNode::Kind::kMapping:
      return "a mapping";
  }
  return "?";
}

YamlNode ParseYaml(std::string_view bytes, const std::string& path) {
  CheckBytes(bytes, path);
  ViewBuffer buffer(bytes);
  std::istream stream(&buffer);
  TreeBuilder builder(bytes.substr(bytes.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0),
                      path);
  try {
    YAML::Parser parser(stream);
    while (parser.HandleNextDocument(builder)) {
    }
  } catch (const YAML::Exception& error) {
    const Position at = PositionOf(error.mark);
    throw LoadError(path, at.line, at.column, "syntax error: " + error.msg,
                    YamlHint(bytes.substr(bytes.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0), at,
                             error.msg));
  }
  builder.CheckLastQuoteClosed();
  return builder.TakeRoot();
}

}  // namespace tarn::modelfile::native
