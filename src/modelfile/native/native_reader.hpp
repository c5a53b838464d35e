// Reading the native model file (YAML) into the in-memory model host.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "host/memory_host.hpp"
#include "modelfile/load_error.hpp"

namespace tarn::modelfile {

// Reads a native model file into a new in-memory host. A problem in the file
// raises LoadError; a file that cannot be read raises the platform's error
// (tarn::Error with the system's description).
std::unique_ptr<host::MemoryApplication> LoadNativeModel(const std::string& path);

// Same, from bytes already read; `path` only names the file in messages.
std::unique_ptr<host::MemoryApplication> ParseNativeModel(std::string_view bytes,
                                                          const std::string& path);

}  // namespace tarn::modelfile
