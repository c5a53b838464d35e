// The Rose petal reader on any bytes: it either builds a model or raises a
// load error. The file is placed in a folder that does not exist, so that
// the units it names are looked for beside it in vain and reported missing.
// A model it builds must be writable as a native model file, unless one of
// its texts holds bytes that its code page has no character for.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.hpp"
#include "model_round_trip.hpp"
#include "modelfile/load_error.hpp"
#include "modelfile/native/native_writer.hpp"
#include "modelfile/petal/petal_reader.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarn;
  modelfile::PetalModel model;
  try {
    model = modelfile::ParsePetalModel(std::string(reinterpret_cast<const char*>(data), size),
                                       "/nonexistent-tarn-fuzz/fuzz.mdl", {},
                                       [](const std::string&) {});
  } catch (const modelfile::LoadError&) {
    return 0;
  }
  fuzz::ExpectLinksInside(model.app->model);
  for (const modelfile::PetalItem& item : model.items)
    fuzz::Expect(item.element != nullptr, "an item " + item.quid + " names no element");
  std::string written;
  try {
    written = modelfile::WriteNativeModel(model.app->model);
  } catch (const Error& error) {
    fuzz::Expect(error.Number() == kInvalidCall, "writing the model: " + error.Description());
    return 0;
  }
  fuzz::ExpectRoundTrip(written);
  return 0;
}
