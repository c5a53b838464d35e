#include "modelfile/xmi/xml_parser.hpp"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>

#include "common/error.hpp"
#include "modelfile/load_error.hpp"

namespace tarn::modelfile::xmi {

// Turns the parser's places (a line, and a column counted in characters)
// into places of the file in bytes, and finds where a start tag begins. It
// holds the bytes fed to the parser from the start of the line of the last
// place asked for: places come in increasing order, so the bytes before that
// line are never needed again. Lines end at LF (CR LF included).
class PlaceFinder {
 public:
  // How the parser's columns relate to the file's bytes: UTF-8 input (the
  // parser's own byte offsets are the file's), a single-byte code page (a
  // character is a byte), or another encoding (the parser's places are kept).
  enum class Counting { kUtf8, kBytes, kParser };
  void SetCounting(Counting counting) { counting_ = counting; }

  void Append(std::string_view chunk) { held_.append(chunk); }

  // Drops the bytes before the current line, once they are a good part of
  // what is held, so that a long file is never held whole.
  void Forget() {
    const std::size_t unneeded = line_start_ - base_;
    if (unneeded < (1u << 20) || unneeded < held_.size() / 2) return;
    held_.erase(0, unneeded);
    base_ = line_start_;
  }

  // The place of the parser's (line, column).
  Place At(int line, int column) {
    if (counting_ == Counting::kParser || !Reach(line)) return {line, column};
    std::size_t offset = line_start_;
    for (int i = 1; i < column && offset < End() && Byte(offset) != '\n'; ++i)
      offset += counting_ == Counting::kUtf8 ? CharacterLength(offset) : 1;
    return {line_, static_cast<int>(offset - line_start_) + 1};
  }

  // The place of the '<' that opens the tag the parser stands in at (line,
  // column), `offset` being the parser's own byte offset.
  Place StartOfTag(int line, int column, std::size_t offset) {
    if (counting_ == Counting::kParser || !Reach(line)) return {line, column};
    if (counting_ == Counting::kBytes) offset = line_start_ + static_cast<std::size_t>(column) - 1;
    offset = std::clamp(offset, line_start_, End() - 1);
    std::size_t start = line_start_;
    int tag_line = line_;
    // Back from the parser's place to the '<', line by line: a tag with many
    // attributes may span lines.
    while (Byte(offset) != '<') {
      const void* open = memrchr(held_.data() + (start - base_), '<', offset - start);
      if (open != nullptr) {
        offset = static_cast<std::size_t>(static_cast<const char*>(open) - held_.data()) + base_;
        break;
      }
      if (start == base_) {  // not held: the first byte held stands in for it
        offset = base_;
        break;
      }
      --tag_line;  // the tag began on an earlier line
      offset = start - 1;
      start = offset;
      while (start > base_ && Byte(start - 1) != '\n') --start;
    }
    return {tag_line, static_cast<int>(offset - start) + 1};
  }

 private:
  std::size_t End() const { return base_ + held_.size(); }
  char Byte(std::size_t offset) const { return held_[offset - base_]; }

  // Moves to the start of `line`; false when its bytes are no longer held.
  bool Reach(int line) {
    if (line < line_ || held_.empty()) return false;
    while (line_ < line) {
      const auto* begin = held_.data() + (line_start_ - base_);
      const auto* newline = static_cast<const char*>(std::memchr(begin, '\n', End() - line_start_));
      if (newline == nullptr) return false;
      line_start_ += static_cast<std::size_t>(newline - begin) + 1;
      ++line_;
    }
    return line_start_ < End();
  }

  std::size_t CharacterLength(std::size_t offset) const {
    const auto lead = static_cast<unsigned char>(Byte(offset));
    const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    return std::min(length, End() - offset);
  }

  std::string held_;
  std::size_t base_ = 0;        // the file offset of held_[0]
  std::size_t line_start_ = 0;  // the file offset where line_ starts
  int line_ = 1;
  Counting counting_ = Counting::kUtf8;
};

namespace {

std::string_view View(const xmlChar* text) {
  return text == nullptr ? std::string_view() : std::string_view(reinterpret_cast<const char*>(text));
}

// Code pages in which the parser's columns count bytes.
bool IsSingleByte(std::string_view name) {
  std::string lower(name);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (std::string_view prefix : {"iso-8859", "iso8859", "windows-125", "cp125", "latin", "ascii",
                                  "us-ascii", "koi8"})
    if (lower.compare(0, prefix.size(), prefix) == 0) return true;
  return false;
}

void Silent(void*, const char*, ...) {}

class Session {
 public:
  Session(const std::string& path, XmlHandler& handler) : path_(path), handler_(handler) {
    element_.finder = &finder_;
  }

  // Parses what `read` gives, a piece at a time, until it gives nothing.
  template <class Read>
  void Run(Read read) {
    xmlSAXHandler sax;
    std::memset(&sax, 0, sizeof sax);
    sax.initialized = XML_SAX2_MAGIC;
    sax.startElementNs = &Session::OnStart;
    sax.endElementNs = &Session::OnEnd;
    sax.characters = &Session::OnCharacters;
    sax.cdataBlock = &Session::OnCharacters;
    sax.internalSubset = &Session::OnDocumentType;
    sax.serror = &Session::OnError;

    // libxml2 reports some problems through its global handler as well.
    xmlSetGenericErrorFunc(nullptr, &Silent);
    std::unique_ptr<xmlParserCtxt, void (*)(xmlParserCtxtPtr)> context(
        xmlCreatePushParserCtxt(&sax, this, nullptr, 0, path_.c_str()), &xmlFreeParserCtxt);
    if (!context) throw LoadError(path_, 1, 1, "the XML parser could not start");
    context_ = context.get();
    // No network, no external DTD, entities never substituted.
    xmlCtxtUseOptions(context_, XML_PARSE_NONET);

    for (std::string_view chunk = read(); !chunk.empty() && !stopped_; chunk = read()) {
      finder_.Append(chunk);
      xmlParseChunk(context_, chunk.data(), static_cast<int>(chunk.size()), 0);
      finder_.Forget();
    }
    if (!stopped_) xmlParseChunk(context_, nullptr, 0, 1);
    if (failure_) std::rethrow_exception(failure_);
    if (!context_->wellFormed) throw LoadError(path_, 1, 1, "the file is not well-formed XML");
  }

 private:
  static Session& Of(void* user) { return *static_cast<Session*>(user); }

  // Runs a step of the handler; an exception stops the parser and is thrown
  // again once the parser has returned.
  template <class Step>
  void Guard(Step step) {
    if (stopped_) return;
    try {
      step();
    } catch (...) {
      Stop(std::current_exception());
    }
  }

  void Stop(std::exception_ptr failure) {
    if (!failure_) failure_ = failure;
    stopped_ = true;
    xmlStopParser(context_);
  }

  void Fail(Place where, const std::string& message) {
    Stop(std::make_exception_ptr(LoadError(path_, where.line, where.column, message)));
  }

  void DecideCounting() {
    if (counting_decided_) return;
    counting_decided_ = true;
    const xmlParserInputPtr input = context_->input;
    if (input == nullptr || input->buf == nullptr || input->buf->encoder == nullptr) return;
    const std::string_view name = input->buf->encoder->name ? input->buf->encoder->name : "";
    finder_.SetCounting(IsSingleByte(name) ? PlaceFinder::Counting::kBytes
                                           : PlaceFinder::Counting::kParser);
  }

  Place Here() { return finder_.At(context_->input->line, context_->input->col); }

  // Whether an attribute's namespace is XMI's. The parser keeps one copy of
  // each namespace name for the whole document, so its address tells it
  // again without comparing the text.
  bool IsXmi(const xmlChar* uri) {
    if (uri == nullptr) return false;
    if (uri == xmi_uri_) return true;
    if (uri == other_uri_) return false;
    const bool xmi = IsXmiNamespace(View(uri));
    (xmi ? xmi_uri_ : other_uri_) = uri;
    return xmi;
  }

  static void OnStart(void* user, const xmlChar* local, const xmlChar* prefix, const xmlChar* uri,
                      int, const xmlChar**, int count, int, const xmlChar** attributes) {
    Session& session = Of(user);
    session.Guard([&] {
      session.DecideCounting();
      XmlElement& element = session.element_;
      element.local = View(local);
      element.prefix = View(prefix);
      element.uri = View(uri);
      element.attributes.clear();
      for (int i = 0; i < count; ++i) {
        const xmlChar* const* attribute = attributes + 5 * i;
        const char* begin = reinterpret_cast<const char*>(attribute[3]);
        const char* end = reinterpret_cast<const char*>(attribute[4]);
        element.attributes.push_back({View(attribute[0]), View(attribute[2]),
                                      std::string_view(begin, static_cast<std::size_t>(end - begin)),
                                      session.IsXmi(attribute[2])});
      }
      const xmlParserInputPtr input = session.context_->input;
      element.parser_line = input->line;
      element.parser_column = input->col;
      element.parser_offset = input->consumed + static_cast<std::size_t>(input->cur - input->base);
      if (++session.depth_ > kMaxXmlDepth) {
        const Place where = element.Where();
        throw LoadError(session.path_, where.line, where.column,
                        "elements nest deeper than " + std::to_string(kMaxXmlDepth) + " levels");
      }
      session.handler_.StartElement(element);
    });
  }

  static void OnEnd(void* user, const xmlChar*, const xmlChar*, const xmlChar*) {
    Session& session = Of(user);
    session.Guard([&] {
      --session.depth_;
      session.handler_.EndElement();
    });
  }

  static void OnCharacters(void* user, const xmlChar* text, int length) {
    Session& session = Of(user);
    session.Guard([&] {
      session.handler_.Characters(
          std::string_view(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length)));
    });
  }

  static void OnDocumentType(void* user, const xmlChar* name, const xmlChar*, const xmlChar*) {
    Session& session = Of(user);
    session.Guard([&] { session.handler_.DocumentType(View(name), session.Here()); });
  }

  static void OnError(void* user, xmlErrorPtr error) {
    Session& session = Of(user);
    // Namespace problems and warnings leave the document readable.
    if (error == nullptr || error->level != XML_ERR_FATAL || session.stopped_) return;
    std::string message = error->message ? error->message : "XML error";
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
      message.pop_back();
    const auto newline = message.find('\n');
    if (newline != std::string::npos) message.resize(newline);
    session.DecideCounting();
    const Place where = error->line > 0 ? session.finder_.At(error->line, std::max(error->int2, 1))
                                        : Place{1, 1};
    session.Fail(where, "XML syntax error: " + message);
  }

  const std::string& path_;
  XmlHandler& handler_;
  PlaceFinder finder_;
  xmlParserCtxtPtr context_ = nullptr;
  XmlElement element_;
  const xmlChar* xmi_uri_ = nullptr;
  const xmlChar* other_uri_ = nullptr;
  int depth_ = 0;
  bool counting_decided_ = false;
  bool stopped_ = false;
  std::exception_ptr failure_;
};

}  // namespace

std::string_view XmlElement::Attribute(std::string_view name) const {
  for (const XmlAttribute& attribute : attributes)
    if (attribute.uri.empty() && attribute.local == name) return attribute.value;
  return {};
}

bool XmlElement::HasAttribute(std::string_view name) const {
  for (const XmlAttribute& attribute : attributes)
    if (attribute.uri.empty() && attribute.local == name) return true;
  return false;
}

std::string_view XmlElement::XmiAttribute(std::string_view name) const {
  for (const XmlAttribute& attribute : attributes)
    if (attribute.xmi && attribute.local == name) return attribute.value;
  return {};
}

Place XmlElement::Where() const { return finder->StartOfTag(parser_line, parser_column, parser_offset); }

constexpr std::size_t kChunk = 1 << 16;

void ParseXml(std::string_view bytes, const std::string& path, XmlHandler& handler) {
  Session(path, handler).Run([&bytes] {
    const std::string_view chunk = bytes.substr(0, kChunk);
    bytes.remove_prefix(chunk.size());
    return chunk;
  });
}

void ParseXmlFile(const std::string& path, XmlHandler& handler) {
  const std::string doing = "Cannot read " + path;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) RaisePlatformError(errno, doing);
  std::string buffer(kChunk, '\0');
  Session(path, handler).Run([&] {
    const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get());
    if (got == 0 && std::ferror(file.get())) RaisePlatformError(errno, doing);
    return std::string_view(buffer.data(), got);
  });
}

bool IsXmiNamespace(std::string_view uri) {
  return uri.rfind("http://www.omg.org/spec/XMI/", 0) == 0 ||
         uri.rfind("http://schema.omg.org/spec/XMI/", 0) == 0 || uri == "http://www.omg.org/XMI";
}

bool IsUmlNamespace(std::string_view uri) {
  const auto versioned = [&](std::string_view prefix) {
    if (uri.rfind(prefix, 0) != 0) return false;
    const std::string_view version = uri.substr(prefix.size());
    return !version.empty() && version.find('/') == std::string_view::npos;
  };
  if (versioned("http://www.omg.org/spec/UML/") || versioned("http://schema.omg.org/spec/UML/"))
    return true;
  constexpr std::string_view kEclipse = "http://www.eclipse.org/uml2/";
  return uri.rfind(kEclipse, 0) == 0 && uri.size() > kEclipse.size() + 4 &&
         uri.substr(uri.size() - 4) == "/UML" &&
         uri.substr(kEclipse.size(), uri.size() - kEclipse.size() - 4).find('/') ==
             std::string_view::npos;
}

std::string_view LocalPart(std::string_view qualified) {
  const auto colon = qualified.rfind(':');
  return colon == std::string_view::npos ? qualified : qualified.substr(colon + 1);
}

}  // namespace tarn::modelfile::xmi
