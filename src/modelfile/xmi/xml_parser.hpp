// Reading XML as a stream of events, safely: libxml2's SAX2 parser with no
// network, no DTD, no entities of the document's own and a bound on nesting.
// Every problem is a LoadError at its place in the file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarn::modelfile::xmi {

// A place in a file: LINE and COLUMN count from 1, the column in bytes;
// FILE is the file's position among those of the model (the model file is
// 0), which the readers set.
struct Place {
  int line = 0;
  int column = 0;
  int file = 0;
};

struct XmlAttribute {
  std::string_view local;
  std::string_view uri;  // "" for an attribute without namespace
  std::string_view value;
  bool xmi = false;  // whether `uri` is the XMI namespace
};

class PlaceFinder;

// A start tag. Its views are valid only during the call that hands it out.
struct XmlElement {
  std::string_view local;
  std::string_view prefix;
  std::string_view uri;
  std::vector<XmlAttribute> attributes;

  // The value of the attribute without namespace named `local`; "" when absent.
  std::string_view Attribute(std::string_view name) const;
  bool HasAttribute(std::string_view name) const;
  // The value of the attribute `local` in the XMI namespace (xmi:id, xmi:idref,
  // xmi:type); "" when absent.
  std::string_view XmiAttribute(std::string_view name) const;
  // Where the start tag begins ('<').
  Place Where() const;

  // The parser's place when it read the tag, for Where().
  PlaceFinder* finder = nullptr;
  int parser_line = 0;
  int parser_column = 0;
  std::size_t parser_offset = 0;
};

// What a reader does with the events of one document. A handler may throw;
// parsing stops and the exception reaches the caller of ParseXml.
class XmlHandler {
 public:
  virtual ~XmlHandler() = default;
  virtual void StartElement(const XmlElement& element) = 0;
  virtual void EndElement() = 0;
  virtual void Characters(std::string_view text) = 0;
  // A DOCTYPE: the handler raises the error that says what the file is.
  [[noreturn]] virtual void DocumentType(std::string_view root, Place where) = 0;
};

// The deepest nesting of elements a document may have.
inline constexpr int kMaxXmlDepth = 256;

// Parses `bytes`, handing every start tag, end tag and text to `handler`.
// Throws LoadError "PATH:LINE:COLUMN: message" for XML that is not
// well-formed, a declared encoding that the bytes do not follow, and nesting
// deeper than kMaxXmlDepth.
void ParseXml(std::string_view bytes, const std::string& path, XmlHandler& handler);

// Same, for the file at `path`, read a piece at a time: only the piece being
// parsed and the current line are held. A file that cannot be read raises the
// platform's error.
void ParseXmlFile(const std::string& path, XmlHandler& handler);

// Whether `uri` is the namespace of XMI 2 (any version) or of UML 2.
bool IsXmiNamespace(std::string_view uri);
bool IsUmlNamespace(std::string_view uri);

// The local part of a qualified name such as the xmi:type "uml:Class".
std::string_view LocalPart(std::string_view qualified);

}  // namespace tarn::modelfile::xmi
