#include "modelfile/native/native_writer.hpp"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "common/error.hpp"
#include "modelfile/text/code_page.hpp"
#include "modelfile/text/utf8.hpp"

namespace tarn::modelfile {
namespace {

constexpr std::string_view kDefaultEncoding = "windows-1252";
// The longest key, quotes and escapes included, written as an implicit key
// (YAML allows 1024 characters; a character is at least a byte).
constexpr std::size_t kLongestImplicitKey = 1000;

[[noreturn]] void Fail(const std::string& message) {
  throw Error(kInvalidCall, "Cannot write the model: " + message);
}

// A double-quoted YAML scalar that states the UTF-8 text exactly. Line
// breaks, tabs and every character that YAML does not allow unescaped, or
// might take for a line break or a byte order mark, are escaped.
std::string Quote(std::string_view utf8) {
  std::string quoted = "\"";
  for (std::size_t offset = 0; offset < utf8.size();) {
    const std::size_t length = text::Utf8SequenceLength(utf8, offset);
    const char32_t code = text::DecodeUtf8(utf8, offset);
    char escape[16] = "";
    switch (code) {
      case U'"':
        quoted += "\\\"";
        break;
      case U'\\':
        quoted += "\\\\";
        break;
      case U'\r':
        quoted += "\\r";
        break;
      case U'\n':
        quoted += "\\n";
        break;
      case U'\t':
        quoted += "\\t";
        break;
      default:
        if (code < 0x20 || (code >= 0x7F && code <= 0x9F)) {
          std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(code));
          quoted += escape;
        } else if (code == 0x2028 || code == 0x2029 || code == 0xFEFF || code == 0xFFFE ||
                   code == 0xFFFF) {
          std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(code));
          quoted += escape;
        } else {
          quoted.append(utf8.substr(offset, length));
        }
    }
    offset += length;
  }
  return quoted + "\"";
}

class Writer {
 public:
  explicit Writer(const host::MemoryModel& model) : model_(model) {
    encoding_ = model.encoding.empty() ? std::string(kDefaultEncoding) : model.encoding;
    code_page_ = text::CodePage::Open(encoding_);
    if (code_page_ == nullptr || !code_page_->KeepsAscii())
      Fail("unknown encoding \"" + encoding_ + "\"");
    for (const host::MemoryAssociation& association : model_.associations)
      if (!association.unavailable.empty()) left_out_.insert(&association);
    for (const host::MemoryClass& model_class : model_.classes)
      if (!model_class.unavailable.empty() && model_class.id.empty()) left_out_.insert(&model_class);
    AssignIds();
  }

  // The whole text.
  std::string Write() {
    WriteAll();
    return std::move(out_);
  }

  // The text to `sink` a piece at a time, once the whole model is known to
  // write: a model that cannot be written writes nothing.
  void Write(std::ostream& sink) {
    pieces_ = Pieces::kDropped;
    WriteAll();
    pieces_ = Pieces::kSent;
    sink_ = &sink;
    out_.clear();
    WriteAll();
    sink.write(out_.data(), static_cast<std::streamsize>(out_.size()));
  }

 private:
  // What becomes of the text written so far at the end of a class or an
  // association.
  enum class Pieces { kKept, kDropped, kSent };

  void EndPiece() {
    constexpr std::size_t kPiece = 1 << 16;
    if (pieces_ == Pieces::kDropped) out_.clear();
    if (pieces_ != Pieces::kSent || out_.size() < kPiece) return;
    sink_->write(out_.data(), static_cast<std::streamsize>(out_.size()));
    out_.clear();
  }

  void WriteAll() {
    out_ = "tarn-model: 1\ntext: exact\nencoding: " + Quote(encoding_) + "\n";
    const std::string selection = IdList(model_.selection);
    if (selection != "[]") out_ += "selection: " + selection + "\n";
    out_ += model_.root.diagrams.empty() ? "diagrams: []\n" : "diagrams:\n";
    for (const host::MemoryClassDiagram& diagram : model_.root.diagrams) {
      out_ += "  - name: " + Text(diagram.name) + "\n";
      out_ += "    classes: " + IdList(diagram.classes) + "\n";
      out_ += "    associations: " + IdList(diagram.associations) + "\n";
    }
    std::size_t classes_left_out = 0;
    for (const host::MemoryClass& model_class : model_.classes)
      classes_left_out += left_out_.count(&model_class);
    out_ += model_.classes.size() == classes_left_out ? "classes: []\n" : "classes:\n";
    for (const host::MemoryClass& model_class : model_.classes) {
      if (!left_out_.count(&model_class)) WriteClass(model_class);
      EndPiece();
    }
    const std::size_t associations_left_out = left_out_.size() - classes_left_out;
    out_ += model_.associations.size() == associations_left_out ? "associations: []\n"
                                                                : "associations:\n";
    for (const host::MemoryAssociation& association : model_.associations) {
      if (!left_out_.count(&association)) WriteAssociation(association);
      EndPiece();
    }
  }

  // Keeps every id that is usable, then invents one for each of the others
  // (but for the associations that are left out).
  void AssignIds() {
    std::unordered_set<std::string> used;
    std::vector<std::pair<const host::Element*, std::string>> unnamed;
    const auto keep = [&](const host::Element* element, const std::string& id,
                          std::string invented) {
      if (!id.empty() && text::FindInvalidUtf8(id) == std::string_view::npos &&
          used.insert(id).second)
        ids_[element] = id;
      else
        unnamed.emplace_back(element, std::move(invented));
    };
    std::size_t position = 0;
    for (const host::MemoryClass& model_class : model_.classes)
      if (!left_out_.count(&model_class))
        keep(&model_class, model_class.id, "class-" + std::to_string(++position));
    position = 0;
    for (const host::MemoryAssociation& association : model_.associations)
      if (!left_out_.count(&association))
        keep(&association, association.id, "association-" + std::to_string(++position));
    for (auto& [element, invented] : unnamed) {
      std::string id = invented;
      for (int suffix = 2; !used.insert(id).second; ++suffix)
        id = invented + "-" + std::to_string(suffix);
      ids_[element] = id;
    }
  }

  std::string Id(const host::Element* element) const {
    const auto found = ids_.find(element);
    if (found == ids_.end()) Fail("a link leads to a class or association outside the model");
    return Quote(found->second);
  }

  template <class Record>
  std::string IdList(const std::vector<const Record*>& elements) const {
    std::string list = "[";
    for (const Record* element : elements) {
      if (left_out_.count(element)) continue;
      if (list.size() > 1) list += ", ";
      list += Id(element);
    }
    return list + "]";
  }

  // A text of the model, from its code page. Printable ASCII but for the
  // quote and the backslash is the same in every code page Tarn takes
  // (CodePage::KeepsAscii) and stands in quotes as it is.
  std::string Text(std::string_view bytes) const {
    if (std::all_of(bytes.begin(), bytes.end(),
                    [](char c) { return c >= 0x20 && c < 0x7F && c != '"' && c != '\\'; }))
      return "\"" + std::string(bytes) + "\"";
    text::Conversion converted = code_page_->ToUtf8(bytes);
    if (!converted.Succeeded()) {
      char byte[8];
      std::snprintf(byte, sizeof byte, "0x%02X",
                    static_cast<unsigned>(static_cast<unsigned char>(bytes[converted.failed_at])));
      Fail("a text holds the byte " + std::string(byte) + ", which does not begin a character of " +
           encoding_);
    }
    return Quote(converted.bytes);
  }

  // Tarn's tagged values, the first of each name as the host finds it.
  void WriteTags(const host::TaggedValues& tags, const std::string& indent) {
    std::unordered_set<std::string> written;
    for (const host::TaggedValueEntry& entry : tags.entries) {
      if (entry.tool != host::kTool || !written.insert(entry.name).second) continue;
      if (written.size() == 1) out_ += indent + "tags:\n";
      const std::string name = Text(entry.name);
      // YAML lets a key stand on its own only up to 1024 characters; a longer
      // one is written as an explicit key ("? name" then ": value").
      if (name.size() > kLongestImplicitKey)
        out_ += indent + "  ? " + name + "\n" + indent + "  : " + Text(entry.value) + "\n";
      else
        out_ += indent + "  " + name + ": " + Text(entry.value) + "\n";
    }
  }

  void WriteClass(const host::MemoryClass& model_class) {
    out_ += "  - id: " + Id(&model_class) + "\n";
    out_ += "    name: " + Text(model_class.name) + "\n";
    const std::string superclasses = IdList(model_class.superclasses);
    if (superclasses != "[]") out_ += "    superclasses: " + superclasses + "\n";
    WriteTags(model_class.tags, "    ");
    if (!model_class.attributes.empty()) out_ += "    attributes:\n";
    for (const host::MemoryAttribute& attribute : model_class.attributes) {
      out_ += "      - name: " + Text(attribute.name) + "\n";
      out_ += "        type: " + Text(attribute.type) + "\n";
      out_ += "        initial: " + Text(attribute.initial) + "\n";
      WriteTags(attribute.tags, "        ");
    }
    if (!model_class.operations.empty()) out_ += "    operations:\n";
    for (const host::MemoryOperation& operation : model_class.operations) {
      out_ += "      - name: " + Text(operation.name) + "\n";
      if (!operation.parameters.empty()) out_ += "        parameters:\n";
      for (const host::MemoryParameter& parameter : operation.parameters) {
        out_ += "          - name: " + Text(parameter.name) + "\n";
        out_ += "            type: " + Text(parameter.type) + "\n";
      }
      out_ += "        return: " + Text(operation.result) + "\n";
      out_ += "        pre: " + Text(operation.pre) + "\n";
      out_ += "        post: " + Text(operation.post) + "\n";
      WriteTags(operation.tags, "        ");
    }
  }

  void WriteRole(const host::MemoryRole& role) {
    if (role.supplier == nullptr) Fail("a role has no class");
    out_ += "      - name: " + Text(role.name) + "\n";
    out_ += "        class: " + Id(role.supplier) + "\n";
    out_ += "        multiplicity: " + Text(role.multiplicity) + "\n";
    out_ += std::string("        navigable: ") + (role.navigable ? "true" : "false") + "\n";
  }

  void WriteAssociation(const host::MemoryAssociation& association) {
    out_ += "  - id: " + Id(&association) + "\n";
    out_ += "    name: " + Text(association.name) + "\n";
    out_ += "    roles:\n";
    WriteRole(association.first);
    WriteRole(association.second);
    WriteTags(association.tags, "    ");
  }

  const host::MemoryModel& model_;
  std::string encoding_;
  std::unique_ptr<text::CodePage> code_page_;
  std::unordered_map<const host::Element*, std::string> ids_;
  // The associations that a model file names but could not provide: they
  // have no roles to state, so they and every mention of them are left out.
  // A class of that kind is written with its id and name only (it holds
  // nothing else), so that the links to it read back; but a reference to a
  // class that no file holds (a class without an id) is left out too.
  std::unordered_set<const host::Element*> left_out_;
  std::string out_;
  Pieces pieces_ = Pieces::kKept;
  std::ostream* sink_ = nullptr;
};

}  // namespace

std::string WriteNativeModel(const host::MemoryModel& model) { return Writer(model).Write(); }

void WriteNativeModel(const host::MemoryModel& model, std::ostream& sink) {
  Writer(model).Write(sink);
}

}  // namespace tarn::modelfile
