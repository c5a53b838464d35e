#include "modelfile/native/yaml_events.hpp"

#include <array>
#include <cstdio>
#include <cstring>
#include <new>

#include "modelfile/load_error.hpp"
#include "modelfile/native/yaml_hints.hpp"
#include "modelfile/text/utf8.hpp"

namespace tarn::modelfile::native {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

constexpr std::size_t kPiece = 1 << 16;  // read at a time where the stream looks back

// Whether the eight bytes are ASCII and none is NUL.
bool AsciiWithoutNul(const char* bytes) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080u;
  constexpr std::uint64_t kLowBits = 0x0101010101010101u;
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return ((word | ((word - kLowBits) & ~word)) & kHighBits) == 0;
}

// The length of the character whose well-formed UTF-8 starts with `lead`.
std::size_t CharacterLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  return 4;
}

// NEL, LS and PS in UTF-8, and the first of the characters that stand in
// for each, counted down: characters of the same length that libyaml takes
// for any other.
struct Break {
  std::string_view utf8;
  char32_t first_stand_in;
};
constexpr std::array<Break, 3> kBreaks = {{
    {"\xC2\x85", 0x07FF},
    {"\xE2\x80\xA8", 0xF8FF},
    {"\xE2\x80\xA9", 0xF8FF},
}};

std::string Utf8Of(char32_t code) {
  std::string bytes;
  if (code < 0x800) {
    bytes += static_cast<char>(0xC0 | (code >> 6));
  } else {
    bytes += static_cast<char>(0xE0 | (code >> 12));
    bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
  }
  bytes += static_cast<char>(0x80 | (code & 0x3F));
  return bytes;
}

// A plain scalar that YAML reads as null when it carries no tag.
bool IsNullText(std::string_view text) {
  return text.empty() || text == "~" || text == "null" || text == "Null" || text == "NULL";
}

}  // namespace

std::string_view KindName(Event::Kind kind) {
  switch (kind) {
    case Event::Kind::kNull:
      return "null";
    case Event::Kind::kText:
      return "a text";
    case Event::Kind::kListStart:
      return "a list";
    case Event::Kind::kMappingStart:
      return "a mapping";
    case Event::Kind::kEnd:
      break;
  }
  return "the end of a list or mapping";
}

YamlEvents::YamlEvents(ReadBytes read, const std::string& path)
    : read_(std::move(read)), path_(path) {
  char start[kByteOrderMark.size()];
  const std::size_t got = read_(0, start, sizeof start);
  if (std::string_view(start, got) == kByteOrderMark) text_start_ = kByteOrderMark.size();
  // The parser would stop at such bytes with a message of its own, or take
  // NUL for the mark of a UTF-16 file; they are reported here, before any
  // other problem of the file.
  const std::size_t bad = FindBadByte();
  if (bad != std::string_view::npos) {
    char byte = 0;
    Read(bad, &byte, 1);
    if (byte == '\0') FailAtByte(bad, "NUL character in the file");
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "the file is not UTF-8 here (byte 0x%02X)",
                  static_cast<unsigned>(static_cast<unsigned char>(byte)));
    const Position position = PositionAtByte(bad);
    throw LoadError(path_, position.line, position.column, buffer,
                    "a Tarn model file is UTF-8: save it as UTF-8 (an editor may call it \"UTF-8 without BOM\"); "
                    "encoding: names the code page of its texts in the documents, not of the file");
  }
  if (breaks_found_ != 0) ChooseStandIns();
  if (!yaml_parser_initialize(&parser_)) throw std::bad_alloc();
  yaml_parser_set_input(&parser_, &YamlEvents::Feed, this);
}

YamlEvents::~YamlEvents() {
  if (holds_event_) yaml_event_delete(&event_);
  yaml_parser_delete(&parser_);
}

std::size_t YamlEvents::Read(std::size_t offset, char* buffer, std::size_t size) const {
  return read_(text_start_ + offset, buffer, size);
}

// The parser is C: an exception must not pass through it. A read error is
// kept, the parser told that the input failed, and the error raised again
// when the parser reports it.
int YamlEvents::Feed(void* stream, unsigned char* buffer, std::size_t size, std::size_t* got) {
  auto& self = *static_cast<YamlEvents*>(stream);
  try {
    auto* bytes = reinterpret_cast<char*>(buffer);
    *got = self.Read(self.fed_, bytes, size);
    if (!self.stand_ins_.empty()) {
      // A piece ends with a whole character, so that each is exchanged whole;
      // the parser asks for kilobytes at a time.
      if (*got == size && size > 0) {
        std::size_t lead = size - 1;
        while (lead > 0 && (static_cast<unsigned char>(bytes[lead]) & 0xC0) == 0x80) --lead;
        if (lead > 0 && lead + CharacterLength(static_cast<unsigned char>(bytes[lead])) > size)
          *got = lead;
      }
      self.Exchange(bytes, *got, false);
    }
    self.fed_ += *got;
    return 1;
  } catch (...) {
    self.read_error_ = std::current_exception();
    return 0;
  }
}

// The offset of the first byte that is NUL or not part of a well-formed
// UTF-8 character, or npos; notes whether every byte is below 0x80.
std::size_t YamlEvents::FindBadByte() {
  std::string piece(kPiece, '\0');
  std::size_t start = 0;  // of the piece in the text
  for (;;) {
    const std::size_t got = Read(start, piece.data(), piece.size());
    const std::string_view bytes(piece.data(), got);
    const bool last = got < piece.size();
    std::size_t offset = 0;
    while (offset < bytes.size()) {
      // Eight ASCII bytes without NUL at a time: the common case.
      if (offset + 8 <= bytes.size() && AsciiWithoutNul(bytes.data() + offset)) {
        offset += 8;
        continue;
      }
      // A character cut by the end of the piece is read with the next one.
      if (!last && offset + 4 > bytes.size()) break;
      if (bytes[offset] == '\0') return start + offset;
      const std::size_t length = text::Utf8SequenceLength(bytes, offset);
      if (length == 0) return start + offset;
      if (length > 1) ascii_ = false;
      for (std::size_t i = 0; i < kBreaks.size(); ++i)
        if (bytes.substr(offset, length) == kBreaks[i].utf8) breaks_found_ |= 1u << i;
      offset += length;
    }
    if (last) return std::string_view::npos;
    start += offset;
  }
}

// Reads the whole text once more, in this rare case, to find for each break
// it holds a stand-in that appears in it neither as a character nor as the
// hex digits of an escape.
void YamlEvents::ChooseStandIns() {
  std::string text;
  for (std::size_t got = 1; got > 0;) {
    const std::size_t used = text.size();
    text.resize(used + kPiece);
    got = Read(used, text.data() + used, kPiece);
    text.resize(used + got);
  }
  std::string lower = text;
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  const auto unused = [&](char32_t code) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%04x", static_cast<unsigned>(code));
    if (text.find(Utf8Of(code)) != std::string::npos) return false;
    if (lower.find(hex) != std::string::npos) return false;
    for (const StandIn& taken : stand_ins_)
      if (taken.stand_in == Utf8Of(code)) return false;
    return true;
  };
  for (std::size_t i = 0; i < kBreaks.size(); ++i) {
    if ((breaks_found_ & (1u << i)) == 0) continue;
    char32_t code = kBreaks[i].first_stand_in;
    while (!unused(code)) --code;
    stand_ins_.push_back({kBreaks[i].utf8, Utf8Of(code)});
  }
}

// Puts the stand-ins in for the breaks, or (`back`) the breaks back for them.
void YamlEvents::Exchange(char* bytes, std::size_t size, bool back) const {
  const std::string_view view(bytes, size);
  for (const StandIn& each : stand_ins_) {
    const std::string_view from = back ? each.stand_in : each.original;
    const std::string_view to = back ? each.original : each.stand_in;
    for (std::size_t at = view.find(from); at != std::string_view::npos;
         at = view.find(from, at + from.size()))
      to.copy(bytes + at, to.size());
  }
}

void YamlEvents::Pull() {
  if (holds_event_) yaml_event_delete(&event_);
  holds_event_ = false;
  if (!yaml_parser_parse(&parser_, &event_)) FailSyntax();
  holds_event_ = true;
}

Event YamlEvents::Next() {
  if (depth_ == 0) {
    if (root_done_) {
      Event end;
      end.kind = Event::Kind::kEnd;
      return end;
    }
    Pull();  // the start of the stream
    Pull();  // the start of the document, or the end of an empty stream
    if (event_.type == YAML_STREAM_END_EVENT) {
      at_stream_end_ = root_done_ = true;
      return Event{};
    }
  }
  Pull();
  Event event;
  event.mark = event_.start_mark.index;
  event.start = {static_cast<int>(event_.start_mark.line) + 1,
                 static_cast<int>(event_.start_mark.column) + 1};
  // A mapping expects a key, then its value, in turn.
  bool* parent_expects_key = depth_ > 0 && is_mapping_[depth_] ? &expects_key_[depth_] : nullptr;
  switch (event_.type) {
    case YAML_SCALAR_EVENT: {
      const auto& scalar = event_.data.scalar;
      if (!stand_ins_.empty()) Exchange(reinterpret_cast<char*>(scalar.value), scalar.length, true);
      event.text = std::string_view(reinterpret_cast<const char*>(scalar.value), scalar.length);
      const bool plain = scalar.style == YAML_PLAIN_SCALAR_STYLE && scalar.plain_implicit;
      event.kind = plain && IsNullText(event.text) ? Event::Kind::kNull : Event::Kind::kText;
      if (event.kind == Event::Kind::kNull) event.text = {};
      event.refused_escape =
          scalar.style == YAML_DOUBLE_QUOTED_SCALAR_STYLE && WrittenWithRefusedEscape();
      break;
    }
    case YAML_SEQUENCE_START_EVENT:
    case YAML_MAPPING_START_EVENT: {
      const bool mapping = event_.type == YAML_MAPPING_START_EVENT;
      event.kind = mapping ? Event::Kind::kMappingStart : Event::Kind::kListStart;
      if (parent_expects_key != nullptr && *parent_expects_key)
        Fail(event.mark, "a mapping key must be a text, not " + std::string(KindName(event.kind)));
      // Bounded here, before the document goes any deeper.
      if (depth_ >= kMaxNesting)
        Fail(event.mark, "nesting deeper than " + std::to_string(kMaxNesting) + " levels");
      ++depth_;
      is_mapping_[depth_] = mapping;
      expects_key_[depth_] = mapping;
      return event;
    }
    case YAML_SEQUENCE_END_EVENT:
    case YAML_MAPPING_END_EVENT:
      event.kind = Event::Kind::kEnd;
      --depth_;
      parent_expects_key = depth_ > 0 && is_mapping_[depth_] ? &expects_key_[depth_] : nullptr;
      break;
    case YAML_ALIAS_EVENT:
      // An alias would let a few lines stand for a huge model (aliases of
      // lists of aliases), so a model file spells every value out.
      Fail(event.mark, "aliases are not supported in a model file");
    default:
      Fail(event.mark, "syntax error: unexpected parser event");
  }
  // A node is complete: the mapping it lies in now expects the other half.
  if (parent_expects_key != nullptr) *parent_expects_key = !*parent_expects_key;
  if (depth_ == 0) root_done_ = true;
  return event;
}

void YamlEvents::Skip(const Event& first) {
  if (first.IsCollection()) SkipTo(depth_ - 1);
}

void YamlEvents::SkipTo(std::size_t depth) {
  while (depth_ > depth) Next();
}

void YamlEvents::Finish() {
  SkipTo(0);
  if (at_stream_end_) return;
  if (!root_done_) Next();
  Pull();  // the end of the document
  Pull();
  if (event_.type == YAML_DOCUMENT_START_EVENT)
    Fail(event_.start_mark.index, "a second YAML document; a model file holds one");
  at_stream_end_ = true;
}

// The escapes \N and \_ stand for U+0085 and U+00A0. Model files have never
// taken them (their texts are written with \u0085 and \u00A0 instead), so a
// text that uses them is refused: a rare character only, so the source is
// looked at only when the value holds one.
bool YamlEvents::WrittenWithRefusedEscape() const {
  const std::string_view value(reinterpret_cast<const char*>(event_.data.scalar.value),
                               event_.data.scalar.length);
  if (value.find("\xC2\x85") == std::string_view::npos &&
      value.find("\xC2\xA0") == std::string_view::npos)
    return false;
  const std::size_t start = ByteOffset(event_.start_mark.index);
  std::string source(ByteOffset(event_.end_mark.index) - start, '\0');
  source.resize(Read(start, source.data(), source.size()));
  for (std::size_t i = 1; i + 1 < source.size(); ++i) {  // after the opening quote
    if (source[i] != '\\') continue;
    if (source[i + 1] == 'N' || source[i + 1] == '_') return true;
    ++i;  // the escaped character, which may be a backslash
  }
  return false;
}

std::size_t YamlEvents::ByteOffset(Mark mark) const {
  if (ascii_) return mark;
  if (mark < cursor_mark_) cursor_mark_ = cursor_offset_ = 0;
  char piece[kPiece];
  while (cursor_mark_ < mark) {
    const std::size_t got = Read(cursor_offset_, piece, sizeof piece);
    if (got == 0) break;
    std::size_t offset = 0;
    while (cursor_mark_ < mark && offset < got) {
      offset += CharacterLength(static_cast<unsigned char>(piece[offset]));
      ++cursor_mark_;
    }
    cursor_offset_ += offset;
  }
  return cursor_offset_;
}

std::string YamlEvents::Excerpt(std::size_t offset) const {
  constexpr std::size_t kLongest = 40;
  char piece[kLongest + 4];
  const std::string_view bytes(piece, Read(offset, piece, sizeof piece));
  std::size_t end = 0;
  while (end < bytes.size() && end < kLongest && bytes[end] != '\n' && bytes[end] != '\r')
    end += CharacterLength(static_cast<unsigned char>(bytes[end]));
  end = std::min(end, bytes.size());
  const bool cut = end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r';
  return std::string(bytes.substr(0, end)) + (cut ? "..." : "");
}

Position YamlEvents::PositionOf(Mark mark) const { return PositionAtByte(ByteOffset(mark)); }

Position YamlEvents::PositionAtByte(std::size_t offset) const {
  Position position;
  std::size_t line_start = 0;
  char piece[kPiece];
  for (std::size_t start = 0; start < offset;) {
    const std::size_t got = Read(start, piece, std::min(sizeof piece, offset - start));
    if (got == 0) break;
    for (std::size_t i = 0; i < got; ++i) {
      if (piece[i] != '\n') continue;
      ++position.line;
      line_start = start + i + 1;
    }
    start += got;
  }
  position.column = static_cast<int>(offset - line_start) + 1;
  return position;
}

void YamlEvents::Fail(Mark mark, const std::string& message) const {
  FailAtByte(ByteOffset(mark), message);
}

void YamlEvents::FailAtByte(std::size_t offset, const std::string& message) const {
  const Position position = PositionAtByte(offset);
  throw LoadError(path_, position.line, position.column, message);
}

void YamlEvents::FailSyntax() const {
  if (read_error_) std::rethrow_exception(read_error_);
  if (parser_.error == YAML_MEMORY_ERROR) throw std::bad_alloc();
  const std::string problem = parser_.problem != nullptr ? parser_.problem : "unknown problem";
  const std::string context = parser_.context != nullptr ? parser_.context : "";
  if (parser_.error == YAML_READER_ERROR) {
    // The reader counts bytes: the problem's offset is one of the text.
    FailAtByte(parser_.problem_offset, "syntax error: " + problem);
  }
  // Left alone, an open quote takes every later line into its text, up to
  // the end of the file: reported where the quote opens.
  if (context == "while scanning a quoted scalar" && problem == "found unexpected end of stream")
    Fail(parser_.context_mark.index, "syntax error: the quoted text is not closed");
  // The context is what was open, such as a list whose "]" is missing: its
  // place and the start of its line help to find it.
  std::string message = "syntax error: " + problem;
  if (!context.empty()) {
    const std::size_t start = ByteOffset(parser_.context_mark.index);
    const Position position = PositionAtByte(start);
    message += " (" + context + " that starts at line " + std::to_string(position.line) +
               ", column " + std::to_string(position.column) + ": \"" + Excerpt(start) + "\")";
  }
  const std::size_t offset = ByteOffset(parser_.problem_mark.index);
  const Position position = PositionAtByte(offset);
  // The problem's line and the one before it tell which trap of Z text the
  // file fell into, if any.
  const std::size_t line_start = offset - static_cast<std::size_t>(position.column - 1);
  const std::string line = LineAt(line_start);
  std::string before;
  std::string window;
  if (line_start > 0) {
    const std::size_t from = line_start - std::min<std::size_t>(line_start, kLongestHintLine);
    window.resize(line_start - from);
    window.resize(Read(from, window.data(), window.size()));
    if (window.ends_with('\n')) window.pop_back();
    if (window.ends_with('\r')) window.pop_back();
    before = window.substr(window.rfind('\n') == std::string::npos ? 0 : window.rfind('\n') + 1);
    // A window cut inside a line starts at the next whole one.
    if (from > 0) window.erase(0, std::min(window.find('\n'), window.size()));
  }
  if (const auto slip = IndentationSlip(window, line, position.line, problem); !slip.empty())
    throw LoadError(path_, position.line, position.column, "syntax error: " + slip);
  throw LoadError(path_, position.line, position.column, message,
                  YamlHint(line, before, position.column, problem));
}

std::string YamlEvents::LineAt(std::size_t start) const {
  std::string line(kLongestHintLine, '\0');
  line.resize(Read(start, line.data(), line.size()));
  line.resize(std::min(line.find('\n'), line.size()));
  if (line.ends_with('\r')) line.pop_back();
  return line;
}

}  // namespace tarn::modelfile::native
