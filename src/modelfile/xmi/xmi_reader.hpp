// The UML 2 XMI reader: loads a model exported by Papyrus and other Eclipse
// UML2 tools, Enterprise Architect, MagicDraw or Modelio into the in-memory
// model host, with the class diagrams of a Papyrus .notation file beside it.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/memory_host.hpp"
#include "modelfile/selection_error.hpp"

namespace tarn::modelfile {

struct XmiOptions {
  // The code page of the model's texts and of the documents written from it.
  std::string encoding = "windows-1252";
};

// A class or association that the command line may select.
struct XmiItem {
  std::string id;         // its xmi:id
  std::string qualified;  // UTF-8, from the root package's name: "Shop::Orders::Order"
  std::string name;       // UTF-8
  const host::Element* element = nullptr;
};

struct XmiModel {
  std::unique_ptr<host::MemoryApplication> app;
  std::vector<XmiItem> items;
  std::string root;  // the root package's name, UTF-8
  // The packages, by xmi:id, that a selection may name: the root package
  // and a stand-in of each other package (a package, as a command sees it).
  std::unordered_map<std::string, const host::Element*> packages;
  std::deque<host::MemoryPackage> otherPackages;  // what `packages` points to
};

using Warn = std::function<void(const std::string&)>;

// Reads the XMI file at `path`, a piece at a time, and the Papyrus .notation
// file beside it, if there is one. Ids of classes and associations are their xmi:ids. Warnings
// ("FILE:LINE:COLUMN: warning: ...") go to `warn`. Throws LoadError
// "FILE:LINE:COLUMN: message" for a file Tarn cannot read as a UML 2 model.
XmiModel LoadXmiModel(const std::string& path, const XmiOptions& options, const Warn& warn);

// Same, from the bytes of the model file already read; `path` names the file
// in messages and says where its .notation file lies.
XmiModel ParseXmiModel(std::string_view bytes, const std::string& path, const XmiOptions& options,
                       const Warn& warn);

// Resolves the command line's --select words (UTF-8): an xmi:id (of a class,
// an association or a package), a qualified name with or without the root
// package's name in front, or a name that only one class or association
// has. Throws SelectionError listing the candidates.
std::vector<const host::Element*> ResolveXmiSelection(const XmiModel& model,
                                                      const std::vector<std::string>& words);

}  // namespace tarn::modelfile
