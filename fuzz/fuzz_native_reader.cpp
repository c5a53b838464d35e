// The native model file reader on any bytes: it either builds a model or
// raises a load error. A model it builds must survive being written and
// read back unchanged.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.hpp"
#include "model_round_trip.hpp"
#include "modelfile/native/native_reader.hpp"
#include "modelfile/native/native_writer.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarn;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::unique_ptr<host::MemoryApplication> app;
  try {
    app = modelfile::ParseNativeModel(bytes, "fuzz.yaml");
  } catch (const modelfile::LoadError&) {
    return 0;
  }
  fuzz::ExpectLinksInside(app->model);
  std::string written;
  try {
    written = modelfile::WriteNativeModel(app->model);
  } catch (const Error& error) {
    fuzz::Broken("the writer refuses a model the reader built: " + error.Description());
  }
  fuzz::ExpectRoundTrip(written);
  return 0;
}
