// tarn dump: the model as Tarn reads it, in the native format.
#include <iostream>

#include "cli/commands.hpp"
#include "modelfile/native/native_writer.hpp"

namespace tarn::cli {

int RunDump(const Options& options) {
  const auto model = LoadModel(options);
  WarnOfSuperclassCycles(model);
  modelfile::WriteNativeModel(model.Model(), std::cout);
  return kSuccess;
}

}  // namespace tarn::cli
