#include "modelfile/xmi/xml_parser.hpp"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>

#include "modelfile/load_error.hpp"

namespace tarn::modelfile::xmi {

// Turns the parser's places (a line and a column counted in characters) into
// byte columns of the file, and finds where a start tag begins. The parser
// reports places in increasing order, so one cursor walks the file once.
class PlaceFinder {
 public:
  explicit PlaceFinder(std::string_view bytes) : bytes_(bytes) {
    if (bytes_.substr(0, 3) == "\xEF\xBB\xBF") origin_ = offset_ = line_start_ = 3;
  }

  // How the parser counts columns: one per UTF-8 character, one per byte of
  // a single-byte code page; for other encodings the parser's column is kept.
  enum class Counting { kUtf8, kBytes, kParser };
  void SetCounting(Counting counting) { counting_ = counting; }

  // The place of the parser's (line, column) in bytes.
  Place At(int line, int column) {
    if (counting_ == Counting::kParser || line < 1) return {line, column};
    const std::size_t offset = Seek(line, column);
    return {line_, static_cast<int>(offset - line_start_) + 1};
  }

  // The place of the '<' that opens the tag in which the parser stands at
  // (line, column).
  Place StartOfTag(int line, int column) {
    if (counting_ == Counting::kParser || line < 1) return {line, column};
    std::size_t offset = Seek(line, column);
    std::size_t start = line_start_;
    int tag_line = line_;
    while (offset > origin_ && bytes_[offset] != '<') {
      if (offset == start) {
        // The tag began on an earlier line: step over the line break.
        --offset;
        if (bytes_[offset] == '\n' && offset > origin_ && bytes_[offset - 1] == '\r') --offset;
        --tag_line;
        start = offset;
        while (start > origin_ && bytes_[start - 1] != '\n' && bytes_[start - 1] != '\r') --start;
        continue;
      }
      --offset;
    }
    return {tag_line, static_cast<int>(offset - start) + 1};
  }

 private:
  // Moves the cursor to the character at (line, column); returns its offset.
  std::size_t Seek(int line, int column) {
    if (line < line_) {
      offset_ = line_start_ = origin_;
      line_ = column_ = 1;
    } else if (line == line_ && column < column_) {
      offset_ = line_start_;
      column_ = 1;
    }
    while (line_ < line && offset_ < bytes_.size()) {
      const char c = bytes_[offset_++];
      if (c == '\n' || (c == '\r' && (offset_ == bytes_.size() || bytes_[offset_] != '\n'))) {
        ++line_;
        line_start_ = offset_;
        column_ = 1;
      }
    }
    while (column_ < column && offset_ < bytes_.size() && bytes_[offset_] != '\n' &&
           bytes_[offset_] != '\r') {
      offset_ += CharacterLength(offset_);
      ++column_;
    }
    return std::min(offset_, bytes_.empty() ? 0 : bytes_.size() - 1);
  }

  std::size_t CharacterLength(std::size_t offset) const {
    if (counting_ != Counting::kUtf8) return 1;
    const auto lead = static_cast<unsigned char>(bytes_[offset]);
    const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    return std::min(length, bytes_.size() - offset);
  }

  std::string_view bytes_;
  Counting counting_ = Counting::kUtf8;
  std::size_t origin_ = 0;  // after a byte order mark
  std::size_t offset_ = 0;
  std::size_t line_start_ = 0;
  int line_ = 1;
  int column_ = 1;
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
  Session(std::string_view bytes, const std::string& path, XmlHandler& handler)
      : bytes_(bytes), path_(path), handler_(handler), finder_(bytes) {
    element_.finder = &finder_;
  }

  void Run() {
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
    const std::size_t head = std::min<std::size_t>(bytes_.size(), 4);
    std::unique_ptr<xmlParserCtxt, void (*)(xmlParserCtxtPtr)> context(
        xmlCreatePushParserCtxt(&sax, this, bytes_.data(), static_cast<int>(head), path_.c_str()),
        &xmlFreeParserCtxt);
    if (!context) throw LoadError(path_, 1, 1, "the XML parser could not start");
    context_ = context.get();
    // No network, no external DTD, entities never substituted.
    xmlCtxtUseOptions(context_, XML_PARSE_NONET);

    constexpr std::size_t kChunk = 1 << 16;
    for (std::size_t offset = head; offset < bytes_.size() && !stopped_; offset += kChunk) {
      const std::size_t size = std::min(kChunk, bytes_.size() - offset);
      xmlParseChunk(context_, bytes_.data() + offset, static_cast<int>(size), 0);
    }
    if (!stopped_) xmlParseChunk(context_, nullptr, 0, 1);
    if (failure_) std::rethrow_exception(failure_);
    if (!context_->wellFormed)
      throw LoadError(path_, 1, 1, "the file is not well-formed XML");
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
        element.attributes.push_back(
            {View(attribute[0]), View(attribute[2]),
             std::string_view(begin, static_cast<std::size_t>(end - begin))});
      }
      element.parser_line = session.context_->input->line;
      element.parser_column = session.context_->input->col;
      if (++session.depth_ > kMaxXmlDepth)
        throw LoadError(session.path_, element.Where().line, element.Where().column,
                        "elements nest deeper than " + std::to_string(kMaxXmlDepth) + " levels");
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

  std::string_view bytes_;
  const std::string& path_;
  XmlHandler& handler_;
  PlaceFinder finder_;
  xmlParserCtxtPtr context_ = nullptr;
  XmlElement element_;
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
    if (attribute.local == name && IsXmiNamespace(attribute.uri)) return attribute.value;
  return {};
}

Place XmlElement::Where() const { return finder->StartOfTag(parser_line, parser_column); }

void ParseXml(std::string_view bytes, const std::string& path, XmlHandler& handler) {
  Session(bytes, path, handler).Run();
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
