// The Rose petal reader: loads a model file (.mdl, or a package unit .cat)
// and the units it refers to into the in-memory model host.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "host/memory_host.hpp"
#include "modelfile/selection_error.hpp"

namespace tarn::modelfile {

struct PetalOptions {
  // --path-map SYMBOL=DIR: the folder a virtual path symbol ($SYMBOL) of a
  // unit's file name stands for; symbols are compared without regard to case.
  std::map<std::string, std::string> pathMap;
};

// A model element that is neither a class nor an association (a package, a
// use case, a diagram...), so that a command can tell the user it is of the
// wrong kind when it is selected.
struct PetalElement final : host::Element {
  std::string name;
  std::string kind;  // the petal object kind, e.g. "Class_Category"

  std::string ElementName() const override { return name; }
  std::string TaggedValue(std::string_view, std::string_view) const override { return {}; }
  bool IsKind(std::string_view wanted) const override { return wanted == kind; }
};

// An element that the command line may select.
struct PetalItem {
  std::string quid;
  // Qualified name in the model's code page, with "::" inside a name written
  // "\:\:"; "" for an item that only its quid selects.
  std::string qualifiedName;
  std::string name;  // simple name; "" when unnamed or not a class/association
  const host::Element* element = nullptr;
};

// A unit whose file could not be loaded: its package and everything in it
// are unknown.
struct MissingUnit {
  std::string package;   // qualified name of the unit's package
  std::string fileName;  // as the referencing file writes it
};

struct PetalModel {
  std::unique_ptr<host::MemoryApplication> app;
  std::vector<PetalItem> items;
  std::vector<MissingUnit> missingUnits;
  // The path symbols the units' file names begin with ($CURDIR aside), in
  // upper case: what a --path-map can stand for.
  std::set<std::string> unitSymbols;
  std::deque<PetalElement> otherElements;  // what the items of other kinds point to
};

// Loads a .mdl (or .cat) file and its units into a new in-memory host; the
// ids of classes and associations are their quids. Warnings (units not
// found) go to `warn`. Throws LoadError "FILE:LINE:COLUMN: message".
PetalModel LoadPetalModel(const std::string& path, const PetalOptions& options,
                          const std::function<void(const std::string&)>& warn);

// Same, from the bytes of the model file already read: `path` names the file
// in messages, and its units are looked for as if it lay at `path`.
PetalModel ParsePetalModel(std::string bytes, const std::string& path, const PetalOptions& options,
                           const std::function<void(const std::string&)>& warn);

// Resolves the command line's --select words (UTF-8) to elements of a loaded
// model: a quid, a qualified name ("Logical View::Pkg::Class"), or a simple
// name that only one class or association of the model has. Throws
// SelectionError, listing the candidates, for an ambiguous or unknown word.
std::vector<const host::Element*> ResolvePetalSelection(const PetalModel& model,
                                                        const std::vector<std::string>& words);

}  // namespace tarn::modelfile
