// The YAML document of a model file as a stream of parser events (libyaml),
// one node at a time, so that a reader builds what it needs as it goes and
// never holds a tree of the whole file. The stream refuses what no model
// file may hold wherever it stands: bytes that are not UTF-8, NUL, aliases,
// keys that are not texts, nesting past kMaxNesting, a second document.
#pragma once

#include <yaml.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tarn::modelfile::native {

// Lists and mappings may nest this deep; a model needs seven levels.
inline constexpr std::size_t kMaxNesting = 64;

// Where a node starts: the number of characters before it, after a leading
// byte order mark, as the parser counts them. YamlEvents::PositionOf turns it
// into a line and column.
using Mark = std::size_t;

struct Position {
  int line = 1;    // from 1; LF ends a line
  int column = 1;  // from 1, in bytes
};

struct Event {
  enum class Kind : std::uint8_t { kNull, kText, kListStart, kMappingStart, kEnd };

  Kind kind = Kind::kNull;
  Mark mark = 0;
  // Where the node starts, as the parser counts: lines from 1 ended by LF, CR
  // or CR LF, and columns from 1 in characters (bytes in a file of ASCII
  // only). Messages about the node's item point here without another look at
  // the file; errors of the file itself are placed by YamlEvents.
  Position start;
  // A text's value, UTF-8 as YAML gives it; valid until the next event.
  std::string_view text;
  // A double-quoted text written with the escape \N or \_, which model files
  // do not take (see YamlEvents::Next).
  bool refused_escape = false;

  bool IsCollection() const { return kind == Kind::kListStart || kind == Kind::kMappingStart; }
};

// Copies up to `size` bytes of the file from `offset` into `buffer` and
// returns how many; fewer only at the end of the file. The stream reads the
// file from the start in pieces, and again where a message needs its text,
// so that a large file is never held whole.
using ReadBytes = std::function<std::size_t(std::size_t offset, char* buffer, std::size_t size)>;

// "null", "a text", "a list" or "a mapping", for messages.
std::string_view KindName(Event::Kind kind);

class YamlEvents {
 public:
  // `path` names the file in messages. Throws LoadError when the bytes are
  // not UTF-8 or hold a NUL.
  YamlEvents(ReadBytes read, const std::string& path);
  ~YamlEvents();
  YamlEvents(const YamlEvents&) = delete;
  YamlEvents& operator=(const YamlEvents&) = delete;

  // The next node event in document order: the first one is the document's
  // root (kNull for a file without a document). A mapping's events alternate
  // key, value; kEnd closes the innermost list or mapping. Throws LoadError
  // on a syntax error and on anything the stream refuses.
  Event Next();

  // Consumes the rest of the node that `first` opened (nothing for a text).
  void Skip(const Event& first);
  // Consumes events until only `depth` lists and mappings are open.
  void SkipTo(std::size_t depth);
  // How many lists and mappings are open.
  std::size_t Depth() const { return depth_; }

  // Reads past the root to the end of the file, which must hold no second
  // document.
  void Finish();

  Position PositionOf(Mark mark) const;

 private:
  [[noreturn]] void Fail(Mark mark, const std::string& message) const;
  [[noreturn]] void FailAtByte(std::size_t offset, const std::string& message) const;
  [[noreturn]] void FailSyntax() const;
  void Pull();
  static int Feed(void* stream, unsigned char* buffer, std::size_t size, std::size_t* got);
  // Reads from the file after its byte order mark.
  std::size_t Read(std::size_t offset, char* buffer, std::size_t size) const;
  std::size_t FindBadByte();
  void ChooseStandIns();
  void Exchange(char* bytes, std::size_t size, bool back) const;
  std::size_t ByteOffset(Mark mark) const;
  Position PositionAtByte(std::size_t offset) const;
  // The line that starts at `start`, without its line end, as much of it as
  // a hint looks at.
  std::string LineAt(std::size_t start) const;
  static constexpr std::size_t kLongestHintLine = 4096;
  // The text from `offset` to the end of its line, cut after 40 bytes.
  std::string Excerpt(std::size_t offset) const;
  bool WrittenWithRefusedEscape() const;

  ReadBytes read_;
  const std::string& path_;
  std::size_t text_start_ = 0;  // after a byte order mark
  std::size_t fed_ = 0;         // how much of the text the parser has read
  std::exception_ptr read_error_;
  // NEL, LS and PS (U+0085, U+2028, U+2029) are characters like any other
  // in YAML 1.2, the format of a model file, but line breaks to libyaml, a
  // YAML 1.1 parser. Where the file holds them, the parser is given stand-ins
  // of the same length instead, characters the file holds nowhere, not even
  // as an escape, and its texts get them back.
  struct StandIn {
    std::string_view original;
    std::string stand_in;
  };
  unsigned breaks_found_ = 0;  // a bit for each of NEL, LS and PS
  std::vector<StandIn> stand_ins_;
  bool ascii_ = true;  // every character is one byte, so a mark is a byte offset
  yaml_parser_t parser_{};
  yaml_event_t event_{};
  bool holds_event_ = false;
  bool root_done_ = false;
  bool at_stream_end_ = false;
  std::size_t depth_ = 0;
  // For each open list or mapping: whether it is a mapping that expects a
  // key next.
  bool expects_key_[kMaxNesting + 1] = {};
  bool is_mapping_[kMaxNesting + 1] = {};
  // Where the last byte offset was found: marks mostly grow, so the search
  // goes on from there.
  mutable Mark cursor_mark_ = 0;
  mutable std::size_t cursor_offset_ = 0;
};

}  // namespace tarn::modelfile::native
