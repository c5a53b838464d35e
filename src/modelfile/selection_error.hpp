// A --select word that names nothing in a loaded model, or more than one thing.
#pragma once

#include <stdexcept>
#include <string>

namespace tarn::modelfile {

class SelectionError : public std::runtime_error {
 public:
  explicit SelectionError(const std::string& message, bool namesNothing = false)
      : std::runtime_error(message), namesNothing_(namesNothing) {}
  // True when no element has the word as its id or name, so that the caller
  // may list what the model has.
  bool NamesNothing() const { return namesNothing_; }

 private:
  bool namesNothing_;
};

}  // namespace tarn::modelfile
