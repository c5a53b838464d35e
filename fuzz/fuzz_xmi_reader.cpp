// The UML 2 XMI reader on any bytes: it either builds a model or raises a
// load error. The file is placed in a folder that does not exist, so that no
// .notation file is found beside it. A model it builds must link only to its
// own records, and the native writer must write it so that it reads back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.hpp"
#include "model_round_trip.hpp"
#include "modelfile/load_error.hpp"
#include "modelfile/native/native_writer.hpp"
#include "modelfile/xmi/xmi_reader.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarn;
  modelfile::XmiModel model;
  try {
    model = modelfile::ParseXmiModel(std::string_view(reinterpret_cast<const char*>(data), size),
                                     "/nonexistent-tarn-fuzz/fuzz.uml", {}, [](const std::string&) {});
  } catch (const modelfile::LoadError&) {
    return 0;
  }
  fuzz::ExpectLinksInside(model.app->model);
  for (const modelfile::XmiItem& item : model.items)
    fuzz::Expect(item.element != nullptr, "an item " + item.id + " names no element");
  std::string written;
  try {
    written = modelfile::WriteNativeModel(model.app->model);
  } catch (const Error& error) {
    fuzz::Broken("writing the model: " + error.Description());
  }
  fuzz::ExpectRoundTrip(written);
  return 0;
}
