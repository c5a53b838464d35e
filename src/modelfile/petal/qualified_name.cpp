#include "modelfile/petal/qualified_name.hpp"

namespace tarn::modelfile::petal {

std::string EscapeColons(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (char c : name) {
    if (c == ':') out.push_back('\\');
    out.push_back(c);
  }
  return out;
}

std::vector<std::string> SplitQualifiedName(std::string_view qualified) {
  std::vector<std::string> segments(1);
  for (std::size_t i = 0; i < qualified.size(); ++i) {
    const char c = qualified[i];
    if (c == '\\' && i + 1 < qualified.size() && qualified[i + 1] == ':') {
      segments.back().push_back(':');
      ++i;
    } else if (c == ':' && i + 1 < qualified.size() && qualified[i + 1] == ':') {
      segments.emplace_back();
      ++i;
    } else {
      segments.back().push_back(c);
    }
  }
  return segments;
}

std::string JoinQualifiedName(const std::vector<std::string>& segments) {
  std::string out;
  for (std::size_t i = 0; i < segments.size(); ++i) {
    if (i) out += "::";
    out += EscapeColons(segments[i]);
  }
  return out;
}

}  // namespace tarn::modelfile::petal
