// Model files read into the in-memory host, the way the tarn program reads
// them: the examples and the small models of tests/*/data/.
#pragma once

#include <memory>
#include <string>

#include "modelfile/native/native_reader.hpp"
#include "support/scratch.hpp"

namespace tarn::testing {

// The model file at `name` under the project's source folder.
inline std::unique_ptr<host::MemoryApplication> LoadModel(const std::string& name) {
  return modelfile::LoadNativeModel((fs::path(TARN_SOURCE_DIR) / name).string());
}

}  // namespace tarn::testing
