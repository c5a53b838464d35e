// A --select word that names nothing in a loaded model, or more than one thing.
#pragma once

#include <stdexcept>

namespace tarn::modelfile {

class SelectionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace tarn::modelfile
