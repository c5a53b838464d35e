// What names mean where a term stands: the global definitions (the
// toolkit's and the document's paragraphs) and the local ones of schema
// texts, quantifiers and \LET, innermost last.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "ztypes/types.hpp"

namespace tarn::ztypes {

struct Definition {
  TypePtr type;
  std::vector<std::string> parameters;  // a generic definition's formal parameters
  bool schema = false;                  // defined as a schema: a reference may be included or decorated
};

class Scope {
 public:
  // Declares in the innermost local frame, or globally when there is none.
  void Declare(const std::string& name, Definition definition) {
    (locals_.empty() ? global_ : locals_.back())[name] = std::move(definition);
  }
  // Declares in the outermost local frame (a theorem's implicit variables).
  void DeclareOutermost(const std::string& name, Definition definition) {
    (locals_.empty() ? global_ : locals_.front())[name] = std::move(definition);
  }
  const Definition* Find(const std::string& name) const {
    if (const Definition* local = FindLocal(name)) return local;
    const auto found = global_.find(name);
    return found == global_.end() ? nullptr : &found->second;
  }
  // Only the local definitions.
  const Definition* FindLocal(const std::string& name) const {
    for (auto frame = locals_.rbegin(); frame != locals_.rend(); ++frame) {
      const auto found = frame->find(name);
      if (found != frame->end()) return &found->second;
    }
    return nullptr;
  }
  void Open() { locals_.emplace_back(); }
  void Close() { locals_.pop_back(); }

 private:
  std::map<std::string, Definition> global_;
  std::vector<std::map<std::string, Definition>> locals_;
};

}  // namespace tarn::ztypes
