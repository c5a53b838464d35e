// Loading a model file of either format into the in-memory host, and
// applying the command line's selection.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/memory_host.hpp"
#include "modelfile/petal/petal_reader.hpp"
#include "modelfile/xmi/xmi_reader.hpp"

namespace tarn::cli {

// A mistake on the command line (exit code 2), such as a --select word that
// names nothing.
class UsageError : public std::runtime_error {
 public:
  explicit UsageError(const std::string& message, std::vector<std::string> notes = {})
      : std::runtime_error(message), message_(message), notes_(std::move(notes)) {}
  // The whole message, also past a NUL byte (where what() ends).
  const std::string& Message() const { return message_; }
  // Lines that follow the message, such as "did you mean ...?".
  const std::vector<std::string>& Notes() const { return notes_; }

 private:
  std::string message_;
  std::vector<std::string> notes_;
};

struct LoadOptions {
  std::map<std::string, std::string> pathMap;  // petal units' $SYMBOL folders
  std::string encoding;  // --encoding: the code page of an XMI model's texts
  // Where the readers' warnings go ("FILE:LINE:COLUMN: warning: ...").
  std::function<void(const std::string&)> warn;
};

// Whether the file is a LaTeX document rather than a model: its first byte
// but blanks is a backslash or a comment's %. Only a regular file is looked
// at: a pipe read here would lose its head for the model's reader.
bool IsLatexDocument(const std::string& path);

class LoadedModel {
 public:
  // Native YAML, Rose petal or UML 2 XMI, told by the file's content.
  // Warnings go to options.warn. Throws modelfile::LoadError, tarn::Error,
  // or UsageError for --encoding with a model that sets its own code page.
  static LoadedModel Load(const std::string& path, const LoadOptions& options);

  const host::MemoryApplication& App() const { return *app_; }
  const host::MemoryModel& Model() const { return app_->model; }
  host::MemoryModel& Model() { return app_->model; }

  // Throws UsageError when `output` is the model file or a file the reader
  // loaded with it (the same file by any name), so that no document is ever
  // written over them.
  void RefuseOverLoadedFile(const std::string& output) const;

  // The superclass cycles of the model, each as the class names along it
  // (UTF-8), the first name repeated at the end: {"A", "A"} for a class that
  // is its own superclass, {"A", "B", "A"} for two that specialise each other.
  std::vector<std::vector<std::string>> SuperclassCycles() const;

  // Replaces the selection by the items the words name. Throws UsageError.
  void Select(const std::vector<std::string>& words);

  // Makes the class diagram of that name the first one, the one the
  // Object-Z document translates. The name is the diagram's own name or its
  // package-qualified name, with or without the root package's name in
  // front. Throws UsageError when it names no diagram or more than one.
  void ChooseDiagram(const std::string& name);
  // The class diagram of that name, as ChooseDiagram finds it.
  const host::MemoryClassDiagram& FindDiagram(const std::string& name) const;

  // A text of the command line (UTF-8) in the model's code page, the code
  // page of the documents. Throws UsageError naming the option when the
  // code page cannot hold it.
  std::string ToModelText(const std::string& utf8, const std::string& option) const;

 private:
  std::unique_ptr<host::MemoryApplication> native_;
  std::optional<modelfile::PetalModel> petal_;
  std::optional<modelfile::XmiModel> xmi_;
  host::MemoryApplication* app_ = nullptr;  // the one of the three that was loaded
};

}  // namespace tarn::cli
