#include "modelfile/petal/petal_tree.hpp"

#include <algorithm>
#include <array>
#include <limits>

#include "modelfile/load_error.hpp"
#include "modelfile/text/utf8.hpp"

namespace tarn::modelfile::petal {
namespace {

// The classes of the bytes the parser tells apart, looked up in one table:
// the parser asks for every byte of the file.
enum : std::uint8_t {
  kBlank = 1,      // space, tab, CR, LF
  kDigit = 2,
  kWordStart = 4,  // letters and '_'
  kPlain = 8,      // a byte a quoted string takes without a second look
};

constexpr std::array<std::uint8_t, 256> kClasses = [] {
  std::array<std::uint8_t, 256> classes{};
  for (const unsigned char c : {' ', '\t', '\r', '\n'}) classes[c] |= kBlank;
  for (unsigned c = '0'; c <= '9'; ++c) classes[c] |= kDigit;
  for (unsigned c = 'a'; c <= 'z'; ++c) classes[c] |= kWordStart;
  for (unsigned c = 'A'; c <= 'Z'; ++c) classes[c] |= kWordStart;
  classes['_'] |= kWordStart;
  for (unsigned c = 0; c < 0x80; ++c)
    if (c != '"' && c != '\\' && c != '\n') classes[c] |= kPlain;
  return classes;
}();

bool IsBlank(unsigned char c) { return (kClasses[c] & kBlank) != 0; }
bool IsDigit(unsigned char c) { return (kClasses[c] & kDigit) != 0; }
bool IsWordStart(unsigned char c) { return (kClasses[c] & kWordStart) != 0; }
bool IsWordChar(unsigned char c) { return (kClasses[c] & (kWordStart | kDigit)) != 0; }

// Appends `text`, turning every line feed that does not follow a carriage
// return into CR LF.
void AppendWithCrLf(std::string& out, std::string_view text) {
  for (char c : text) {
    if (c == '\n' && (out.empty() || out.back() != '\r')) out.push_back('\r');
    out.push_back(c);
  }
}

enum class FrameKind : std::uint8_t { kTop, kObject, kList, kWrapped, kTuple };

// What an open form accepts next.
enum class Expect : std::uint8_t {
  kForms,         // top level: objects only
  kNamesOrKey,    // object: names, a tag, or the first key
  kKey,           // object: a key or the end
  kValue,         // object: the value of the pending key
  kItems,         // list or tuple: any values
  kWrappedValue,  // wrapped value: its one value
  kEnd,           // wrapped value: only the closing parenthesis
};

struct Frame {
  std::uint32_t node = kNoNode;  // kNoNode while nodes are not recorded
  std::uint32_t last_child = kNoNode;
  std::uint32_t open_offset = 0;
  std::uint32_t key_offset = 0;
  std::uint32_t key_length = 0;
  FrameKind kind = FrameKind::kTop;
  Expect expect = Expect::kForms;
  bool holds_views = false;  // the items list of a class diagram
  bool is_view = false;      // an object of such a list
};

class Parser {
 public:
  Parser(std::string_view file, std::string_view bytes) : file_(file), bytes_(bytes) {
    tree_.bytes = bytes;
  }

  Tree Run() {
    if (bytes_.size() >= std::numeric_limits<std::uint32_t>::max())
      Fail(0, "file too large for a petal model");
    tree_.nodes.reserve(bytes_.size() / 24 + 16);
    stack_.push_back(Frame{});
    const std::size_t end = bytes_.size();
    for (;;) {
      SkipBlanks();
      if (pos_ == end) break;
      const unsigned char c = Byte(pos_);
      if (c == '(') {
        Open();
      } else if (c == ')') {
        Close();
      } else if (c == '"') {
        // The offset is taken before String() moves past the string.
        const std::uint32_t at = Offset();
        Place(NodeType::kString, String(), at);
      } else if (c == '|' && (pos_ == 0 || bytes_[pos_ - 1] == '\n')) {
        const std::uint32_t at = Offset();
        Place(NodeType::kTextBlock, TextBlock(), at);
      } else if (c == '@') {
        Reference();
      } else if (IsDigit(c) || (c == '-' && pos_ + 1 < end && IsDigit(Byte(pos_ + 1)))) {
        const std::uint32_t at = Offset();
        Place(NodeType::kNumber, Number(), at);
      } else if (IsWordStart(c)) {
        Word();
      } else if (c == ',' && stack_.back().kind == FrameKind::kTuple) {
        ++pos_;
      } else {
        Fail(Offset(), "unexpected " + Describe(c));
      }
    }
    if (stack_.size() > 1) {
      const Frame& open = stack_.back();
      Fail(open.open_offset, std::string("unterminated ") + FormName(open.kind));
    }
    Finish();
    return std::move(tree_);
  }

 private:
  unsigned char Byte(std::size_t at) const { return static_cast<unsigned char>(bytes_[at]); }
  std::uint32_t Offset() const { return static_cast<std::uint32_t>(pos_); }

  [[noreturn]] void Fail(std::uint32_t offset, const std::string& message) const {
    const auto [line, column] = tree_.LineAndColumn(offset);
    throw LoadError(std::string(file_), line, column, message);
  }

  static const char* FormName(FrameKind kind) {
    switch (kind) {
      case FrameKind::kObject:
        return "object";
      case FrameKind::kList:
        return "list";
      case FrameKind::kWrapped:
        return "value";
      default:
        return "parenthesis";
    }
  }

  static std::string Describe(unsigned char c) {
    if (c == '"') return "string";
    if (c == '(') return "'('";
    if (c == '@') return "reference";
    if (c >= 0x21 && c < 0x7f) return std::string("character '") + static_cast<char>(c) + "'";
    static const char* const kHex = "0123456789ABCDEF";
    return std::string("byte 0x") + kHex[c >> 4] + kHex[c & 15];
  }

  // A new node, or kNoNode below a view's properties, which are not kept.
  std::uint32_t NewNode(NodeType type, std::size_t offset, std::size_t length) {
    if (skip_depth_ != 0) return kNoNode;
    Node node;
    node.type = type;
    node.text_offset = static_cast<std::uint32_t>(offset);
    if (length < kLongText) {
      node.text_length = static_cast<std::uint16_t>(length);
    } else {
      node.text_length = kLongText;
      tree_.long_texts.emplace(static_cast<std::uint32_t>(tree_.nodes.size()),
                               static_cast<std::uint32_t>(length));
    }
    tree_.nodes.push_back(node);
    return static_cast<std::uint32_t>(tree_.nodes.size() - 1);
  }

  void Append(Frame& frame, std::uint32_t child) {
    if (child == kNoNode) return;
    if (frame.kind == FrameKind::kTop) {
      top_forms_.push_back(child);
      return;
    }
    if (frame.last_child == kNoNode)
      tree_.nodes[frame.node].first_child = child;
    else
      tree_.nodes[frame.last_child].next_sibling = child;
    frame.last_child = child;
  }

  // Puts a finished value (or a form just opened) of that type into the
  // innermost form; `child` is kNoNode when it is not kept.
  void Place(NodeType type, std::uint32_t child, std::uint32_t offset) {
    Frame& frame = stack_.back();
    switch (frame.expect) {
      case Expect::kForms:
        if (type != NodeType::kObject)
          Fail(offset, "unexpected " + What(type) + " outside an object");
        break;
      case Expect::kNamesOrKey:
        if (type != NodeType::kString)
          Fail(offset, "unexpected " + What(type) + " where a key belongs");
        break;
      case Expect::kKey:
        Fail(offset, "unexpected " + What(type) + " where a key belongs");
      case Expect::kValue:
        if (child != kNoNode) SetKey(child, frame.key_offset);
        frame.expect = Expect::kKey;
        break;
      case Expect::kItems:
        break;
      case Expect::kWrappedValue:
        frame.expect = Expect::kEnd;
        break;
      case Expect::kEnd:
        Fail(offset, "unexpected " + What(type) + ": a wrapped value holds one value");
    }
    Append(frame, child);
  }

  void SetKey(std::uint32_t child, std::uint32_t key_offset) {
    Node& node = tree_.nodes[child];
    const std::uint32_t distance = node.text_offset - key_offset;
    if (distance < kFarKey) {
      node.key_distance = static_cast<std::uint8_t>(distance);
    } else {
      node.key_distance = kFarKey;
      tree_.far_keys.emplace(child, key_offset);
    }
  }

  static std::string What(NodeType type) {
    switch (type) {
      case NodeType::kObject:
        return "object";
      case NodeType::kList:
        return "list";
      case NodeType::kWrapped:
        return "wrapped value";
      case NodeType::kTuple:
        return "'('";
      case NodeType::kString:
        return "string";
      case NodeType::kTextBlock:
        return "text block";
      case NodeType::kNumber:
        return "number";
      case NodeType::kIdentifier:
        return "identifier";
      case NodeType::kReference:
        return "reference";
    }
    return "token";
  }

  std::size_t WordEnd(std::size_t from) const {
    while (from < bytes_.size() && IsWordChar(Byte(from))) ++from;
    return from;
  }

  void SkipBlanks() {
    // A local position: the compiler must assume a byte store may change pos_.
    std::size_t p = pos_;
    while (p < bytes_.size() && IsBlank(Byte(p))) ++p;
    pos_ = p;
  }

  void Open() {
    const std::uint32_t open = Offset();
    if (stack_.size() > kMaxNesting)
      Fail(open, "nesting deeper than " + std::to_string(kMaxNesting) + " levels");
    ++pos_;
    SkipBlanks();
    const std::size_t word = pos_;
    const std::size_t word_end = WordEnd(pos_);
    const std::string_view head = pos_ < bytes_.size() && IsWordStart(Byte(pos_))
                                      ? bytes_.substr(word, word_end - word)
                                      : std::string_view();
    FrameKind kind = FrameKind::kTuple;
    NodeType type = NodeType::kTuple;
    Expect expect = Expect::kItems;
    std::size_t kind_offset = open;
    std::size_t kind_length = 0;
    if (head == "object" || head == "list" || head == "value") {
      pos_ = word_end;
      SkipBlanks();
      const bool has_kind = pos_ < bytes_.size() && IsWordStart(Byte(pos_));
      if (has_kind) {
        kind_offset = pos_;
        kind_length = WordEnd(pos_) - pos_;
        pos_ += kind_length;
      }
      if (head == "object") {
        if (!has_kind) Fail(Offset(), "object without kind");
        kind = FrameKind::kObject;
        type = NodeType::kObject;
        expect = Expect::kNamesOrKey;
      } else if (head == "list") {
        kind = FrameKind::kList;
        type = NodeType::kList;
      } else {
        if (!has_kind) Fail(Offset(), "wrapped value without kind");
        kind = FrameKind::kWrapped;
        type = NodeType::kWrapped;
        expect = Expect::kWrappedValue;
      }
    }
    const Frame& parent = stack_.back();
    // A view's properties are kept, what they hold is not.
    const bool view_property = parent.is_view && parent.expect == Expect::kValue;
    Frame frame;
    frame.holds_views = kind == FrameKind::kList && parent.kind == FrameKind::kObject &&
                        parent.expect == Expect::kValue && parent.node != kNoNode &&
                        tree_.Raw(tree_.nodes[parent.node]) == "ClassDiagram" &&
                        bytes_.substr(parent.key_offset, parent.key_length) == "items";
    frame.is_view = kind == FrameKind::kObject && parent.holds_views;
    const std::uint32_t node = NewNode(type, kind_offset, kind_length);
    Place(type, node, open);
    frame.node = node;
    frame.open_offset = open;
    frame.kind = kind;
    frame.expect = expect;
    stack_.push_back(frame);
    if (view_property && skip_depth_ == 0) skip_depth_ = stack_.size();
  }

  void Close() {
    const Frame& frame = stack_.back();
    if (frame.kind == FrameKind::kTop) Fail(Offset(), "unexpected ')'");
    if (frame.expect == Expect::kValue)
      Fail(Offset(), "key '" + std::string(bytes_.substr(frame.key_offset, frame.key_length)) +
                         "' without a value");
    if (frame.expect == Expect::kWrappedValue) Fail(Offset(), "wrapped value without a value");
    stack_.pop_back();
    if (stack_.size() < skip_depth_) skip_depth_ = 0;
    ++pos_;
  }

  // Notes whether the bytes from `at` (a byte of 0x80 or more) start a
  // valid UTF-8 sequence and returns how many bytes to step over.
  std::size_t CheckUtf8(std::size_t at) {
    const std::size_t length = text::Utf8SequenceLength(bytes_, at);
    if (length == 0) {
      tree_.valid_utf8 = false;
      return 1;
    }
    tree_.has_multibyte = true;
    return length;
  }

  std::uint32_t String() {
    const std::uint32_t open = Offset();
    std::size_t p = pos_ + 1;
    std::uint8_t flags = 0;
    const std::size_t end = bytes_.size();
    for (;;) {
      while (p < end && (kClasses[Byte(p)] & kPlain) != 0) ++p;
      if (p >= end) Fail(open, "unterminated string");
      const unsigned char c = Byte(p);
      if (c == '"') break;
      if (c == '\\') {
        flags |= kHasEscape;
        p += (p + 1 < end && (bytes_[p + 1] == '"' || bytes_[p + 1] == '\\')) ? 2 : 1;
      } else if (c < 0x80) {
        if (c == '\n') flags |= kHasLineFeed;
        ++p;
      } else {
        p += tree_.valid_utf8 ? CheckUtf8(p) : 1;
      }
    }
    const std::uint32_t node = NewNode(NodeType::kString, pos_ + 1, p - pos_ - 1);
    if (node != kNoNode) tree_.nodes[node].flags = flags;
    pos_ = p + 1;
    return node;
  }

  std::uint32_t TextBlock() {
    const std::size_t start = pos_;
    const std::size_t end = bytes_.size();
    std::size_t p = pos_;
    for (;;) {
      while (p < end && bytes_[p] != '\n')
        p += Byte(p) < 0x80 || !tree_.valid_utf8 ? 1 : CheckUtf8(p);
      if (p + 1 < end && bytes_[p + 1] == '|') {
        p += 1;
        continue;
      }
      break;
    }
    pos_ = p;
    return NewNode(NodeType::kTextBlock, start, p - start);
  }

  std::uint32_t Number() {
    const std::size_t start = pos_;
    if (bytes_[pos_] == '-') ++pos_;
    while (pos_ < bytes_.size() && IsDigit(Byte(pos_))) ++pos_;
    if (pos_ + 1 < bytes_.size() && bytes_[pos_] == '.' && IsDigit(Byte(pos_ + 1))) {
      ++pos_;
      while (pos_ < bytes_.size() && IsDigit(Byte(pos_))) ++pos_;
    }
    return NewNode(NodeType::kNumber, start, pos_ - start);
  }

  void Reference() {
    const std::uint32_t at = Offset();
    std::size_t p = pos_ + 1;
    std::uint64_t number = 0;
    while (p < bytes_.size() && IsDigit(Byte(p))) {
      number = number * 10 + (Byte(p) - '0');
      if (number > std::numeric_limits<std::uint32_t>::max())
        Fail(at, "reference number too large");
      ++p;
    }
    if (p == pos_ + 1 || number == 0) Fail(at, "'@' without a number");
    pos_ = p;
    Frame& frame = stack_.back();
    if (frame.expect == Expect::kNamesOrKey) {
      if (frame.node != kNoNode) tree_.nodes[frame.node].tag = static_cast<std::uint32_t>(number);
      frame.expect = Expect::kKey;
      return;
    }
    const std::uint32_t node = NewNode(NodeType::kReference, at, p - at);
    if (node != kNoNode) tree_.nodes[node].tag = static_cast<std::uint32_t>(number);
    Place(NodeType::kReference, node, at);
  }

  void Word() {
    const std::size_t start = pos_;
    pos_ = WordEnd(pos_);
    Frame& frame = stack_.back();
    if (frame.expect == Expect::kNamesOrKey || frame.expect == Expect::kKey) {
      frame.key_offset = static_cast<std::uint32_t>(start);
      frame.key_length = static_cast<std::uint32_t>(pos_ - start);
      frame.expect = Expect::kValue;
      return;
    }
    Place(NodeType::kIdentifier, NewNode(NodeType::kIdentifier, start, pos_ - start),
          static_cast<std::uint32_t>(start));
  }

  void Finish() {
    if (top_forms_.empty()) Fail(Offset(), "empty file: expected (object Petal ...)");
    const Node& header = tree_.nodes[top_forms_[0]];
    if (tree_.Raw(header) != "Petal") Fail(header.text_offset, "expected (object Petal ...) first");
    if (top_forms_.size() < 2) Fail(Offset(), "missing model after the petal header");
    if (top_forms_.size() > 2)
      Fail(tree_.nodes[top_forms_[2]].text_offset, "unexpected object after the model");
    tree_.header = top_forms_[0];
    tree_.body = top_forms_[1];
  }

  std::string_view file_;
  std::string_view bytes_;
  std::size_t pos_ = 0;
  Tree tree_;
  std::vector<Frame> stack_;
  std::vector<std::uint32_t> top_forms_;
  // While nodes are not recorded: the depth of the stack where that began.
  std::size_t skip_depth_ = 0;
};

}  // namespace

std::string_view Tree::Key(const Node& node) const {
  if (node.key_distance == 0) return {};
  const std::size_t start =
      node.key_distance == kFarKey
          ? far_keys.at(IndexOf(node))
          : node.text_offset - node.key_distance;
  std::size_t end = start;
  while (end < bytes.size() && IsWordChar(static_cast<unsigned char>(bytes[end]))) ++end;
  return bytes.substr(start, end - start);
}

const Node* Tree::Property(const Node& object, std::string_view key) const {
  if (key.empty()) return nullptr;  // keys are words
  for (std::uint32_t child = object.first_child; child != kNoNode;
       child = nodes[child].next_sibling) {
    const Node& node = nodes[child];
    if (node.key_distance == 0) continue;
    if (node.key_distance == kFarKey) {
      if (Key(node) == key) return &node;
      continue;
    }
    // The key is the word that starts there: `key` and then no word byte.
    const std::size_t start = node.text_offset - node.key_distance;
    const std::size_t end = start + key.size();
    if (end < node.text_offset && bytes[start] == key.front() &&
        bytes.compare(start, key.size(), key) == 0 &&
        !IsWordChar(static_cast<unsigned char>(bytes[end])))
      return &node;
  }
  return nullptr;
}

const Node* Tree::Name(const Node& object, std::size_t index) const {
  for (std::uint32_t child = object.first_child; child != kNoNode;
       child = nodes[child].next_sibling) {
    const Node& node = nodes[child];
    if (node.key_distance != 0) break;
    if (index-- == 0) return &node;
  }
  return nullptr;
}

std::string Tree::Text(const Node& node) const {
  const std::string_view raw = Raw(node);
  switch (node.type) {
    case NodeType::kString: {
      if (node.flags == 0) return std::string(raw);
      std::string out;
      out.reserve(raw.size() + 8);
      for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 1 < raw.size()) ++i;
        AppendWithCrLf(out, raw.substr(i, 1));
      }
      return out;
    }
    case NodeType::kTextBlock: {
      std::string out;
      out.reserve(raw.size() + 8);
      std::size_t start = 0;
      for (;;) {
        std::size_t end = raw.find('\n', start);
        if (end == std::string_view::npos) end = raw.size();
        std::string_view line = raw.substr(start + 1, end - start - 1);  // after the |
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (start != 0) out += "\r\n";
        out += line;
        if (end == raw.size()) break;
        start = end + 1;
      }
      return out;
    }
    case NodeType::kWrapped:
      return node.first_child == kNoNode ? std::string() : Text(nodes[node.first_child]);
    case NodeType::kNumber:
    case NodeType::kIdentifier:
      return std::string(raw);
    default:
      return {};
  }
}

std::string Tree::PropertyText(const Node& object, std::string_view key) const {
  const Node* value = Property(object, key);
  return value ? Text(*value) : std::string();
}

bool Tree::IsTrue(const Node& object, std::string_view key) const {
  const Node* value = Property(object, key);
  return value && value->type == NodeType::kIdentifier && Raw(*value) == "TRUE";
}

std::pair<int, int> Tree::LineAndColumn(std::uint32_t offset) const {
  if (line_starts.empty()) {
    line_starts.push_back(0);
    for (std::size_t i = 0; i < bytes.size(); ++i)
      if (bytes[i] == '\n') line_starts.push_back(static_cast<std::uint32_t>(i + 1));
  }
  const std::uint32_t at = static_cast<std::uint32_t>(std::min<std::size_t>(offset, bytes.size()));
  const auto next = std::upper_bound(line_starts.begin(), line_starts.end(), at);
  const auto line = static_cast<std::size_t>(next - line_starts.begin());
  return {static_cast<int>(line), static_cast<int>(at - line_starts[line - 1] + 1)};
}

Tree Parse(std::string_view file, std::string_view bytes) { return Parser(file, bytes).Run(); }

}  // namespace tarn::modelfile::petal
