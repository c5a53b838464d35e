// The class diagrams of a Papyrus .notation file: each diagram's owner (its
// own `element`) and the model elements its shapes and edges show, in the
// order the shapes open, whatever the depth at which they nest.
#include <algorithm>

#include "modelfile/load_error.hpp"
#include "modelfile/xmi/model_collector.hpp"

namespace tarn::modelfile::xmi {
namespace {

constexpr std::string_view kClassDiagram = "PapyrusUMLClassDiagram";

bool IsNotationDiagram(const XmlElement& element) {
  return element.local == "Diagram" && element.uri.find("/gmf/runtime/") != std::string_view::npos;
}

// The id a notation href points at: the fragment after '#'.
std::string Fragment(std::string_view href) {
  const auto hash = href.find('#');
  return std::string(hash == std::string_view::npos ? href : href.substr(hash + 1));
}

class NotationCollector final : public XmlHandler {
 public:
  std::vector<DiagramRecord> Take() { return std::move(diagrams_); }

  void StartElement(const XmlElement& element) override {
    const int depth = static_cast<int>(open_.size());
    int shape = kNone;
    if (in_diagram_) {
      shape = next_shape_++;
      if (element.local == "element" && element.HasAttribute("href")) {
        Reference reference{Fragment(element.Attribute("href")), false, Where(element)};
        if (depth == diagram_depth_ + 1)
          diagrams_.back().owner = std::move(reference);
        else
          shown_.emplace_back(open_.back(), std::move(reference));
      }
    } else if (IsNotationDiagram(element) && element.Attribute("type") == kClassDiagram &&
               (depth == 0 || (depth == 1 && IsXmiNamespace(root_uri_)))) {
      DiagramRecord& diagram = diagrams_.emplace_back();
      diagram.name = std::string(element.Attribute("name"));
      diagram.place = Where(element);
      in_diagram_ = true;
      diagram_depth_ = depth;
      shape = next_shape_++;
    }
    if (depth == 0) root_uri_ = std::string(element.uri);
    open_.push_back(shape);
  }

  void EndElement() override {
    open_.pop_back();
    if (in_diagram_ && static_cast<int>(open_.size()) == diagram_depth_) {
      std::stable_sort(shown_.begin(), shown_.end(),
                       [](const auto& a, const auto& b) { return a.first < b.first; });
      for (auto& [shape, reference] : shown_) diagrams_.back().shown.push_back(std::move(reference));
      shown_.clear();
      in_diagram_ = false;
    }
  }

  void Characters(std::string_view) override {}

  [[noreturn]] void DocumentType(std::string_view, Place where) override {
    throw LoadError(path_, where.line, where.column,
                    "the diagram file has a DOCTYPE, which Papyrus never writes: Tarn refuses document "
                    "types and the entities they declare");
  }

  std::string path_;
  int file_ = 0;

 private:
  Place Where(const XmlElement& element) const {
    Place where = element.Where();
    where.file = file_;
    return where;
  }

  std::vector<DiagramRecord> diagrams_;
  std::vector<int> open_;  // for each open element, its shape number (kNone outside diagrams)
  std::vector<std::pair<int, Reference>> shown_;  // by the shape that holds the reference
  std::string root_uri_;
  bool in_diagram_ = false;
  int diagram_depth_ = 0;
  int next_shape_ = 0;
};

}  // namespace

std::vector<DiagramRecord> CollectNotationDiagrams(const std::string& path, int file) {
  NotationCollector collector;
  collector.path_ = path;
  collector.file_ = file;
  ParseXmlFile(path, collector);
  return collector.Take();
}

}  // namespace tarn::modelfile::xmi
