// Loading a model file of either format into the in-memory host, and
// applying the command line's selection.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/memory_host.hpp"
#include "modelfile/petal/petal_reader.hpp"

namespace tarn::cli {

// A mistake on the command line (exit code 2), such as a --select word that
// names nothing.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct LoadOptions {
  std::map<std::string, std::string> pathMap;  // petal units' $SYMBOL folders
};

class LoadedModel {
 public:
  // Rose petal files (.mdl, .cat) by their ending, native YAML otherwise.
  // Warnings go to stderr. Throws modelfile::LoadError or tarn::Error.
  static LoadedModel Load(const std::string& path, const LoadOptions& options);

  const host::MemoryApplication& App() const { return *app_; }
  const host::MemoryModel& Model() const { return app_->model; }

  // Replaces the selection by the items the words name. Throws UsageError.
  void Select(const std::vector<std::string>& words);

  // Makes the class diagram of that name the first one, the one the
  // Object-Z document translates. The name is the diagram's own name or its
  // package-qualified name, with or without the root package's name in
  // front. Throws UsageError when it names no diagram or more than one.
  void ChooseDiagram(const std::string& name);

 private:
  std::unique_ptr<host::MemoryApplication> native_;
  std::optional<modelfile::PetalModel> petal_;
  host::MemoryApplication* app_ = nullptr;  // the one of the two that was loaded
};

}  // namespace tarn::cli
