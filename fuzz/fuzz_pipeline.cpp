// The whole way from a model file to the three documents, in memory: the
// bytes are loaded by the reader of the format they are recognised as (a
// native model file, a Rose petal file or UML 2 XMI). Then, as if each were selected
// in turn, the first classes get their property check, the first
// associations their refinement check, and the first class diagram its
// Object-Z document. A bad model ends in a load error and a bad selection in
// a numbered error; nothing else may escape, and nothing is written.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "host/memory_host.hpp"
#include "modelfile/load_error.hpp"
#include "modelfile/model_format.hpp"
#include "modelfile/native/native_reader.hpp"
#include "modelfile/petal/petal_reader.hpp"
#include "modelfile/xmi/xmi_reader.hpp"
#include "objectz/generator.hpp"
#include "parser/z_parser.hpp"
#include "visitor/z_visitor.hpp"
#include "zeves/z_generator.hpp"

namespace {

using namespace tarn;

// Enough to reach every kind of element without spending the run on a
// large model.
constexpr std::size_t kChecksPerKind = 4;

void PropertyCheck(const host::Class& roseClass) {
  const parser::ZParser parser;
  zmodel::ZPCClass check;
  check.Schema = parser.ParseClass(roseClass);
  parser.ParseProperties(check, roseClass.TaggedValue(host::kTool, "Properties"));
  visitor::ZVisitor().VisitPC(check);
  zeves::ZGenerator().PCSpecificationText(check);
}

void RefinementCheck(const host::Association& association) {
  const parser::ZParser parser;
  zmodel::ZRCClass check;
  parser.ParseAbstractClass(check, association.FirstRole().RoleClass());
  parser.ParseConcreteClass(check, association.SecondRole().RoleClass());
  parser.ParseRetrieve(check, association.TaggedValue(host::kTool, "Retrieve"));
  visitor::ZVisitor().VisitRC(check);
  zeves::ZGenerator().RCSpecificationText(check);
}

template <class Step>
void Attempt(Step step) {
  try {
    step();
  } catch (const Error&) {
  }
}

void ProduceDocuments(const host::MemoryApplication& app) {
  const host::MemoryModel& model = app.model;
  for (std::size_t i = 0; i < std::min(kChecksPerKind, model.classes.size()); ++i)
    Attempt([&] { PropertyCheck(model.classes[i]); });
  for (std::size_t i = 0; i < std::min(kChecksPerKind, model.associations.size()); ++i)
    Attempt([&] { RefinementCheck(model.associations[i]); });
  Attempt([&] { objectz::Generator().DocumentText(app); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto ignore = [](const std::string&) {};
  try {
    switch (modelfile::DetectModelFormat(bytes, "/nonexistent-tarn-fuzz/fuzz")) {
      case modelfile::ModelFormat::kPetal:
        ProduceDocuments(*modelfile::ParsePetalModel(std::string(bytes), "/nonexistent-tarn-fuzz/fuzz.mdl",
                                                     {}, ignore)
                              .app);
        break;
      case modelfile::ModelFormat::kXmi:
        ProduceDocuments(*modelfile::ParseXmiModel(bytes, "/nonexistent-tarn-fuzz/fuzz.uml", {}, ignore).app);
        break;
      case modelfile::ModelFormat::kNative:
        ProduceDocuments(*modelfile::ParseNativeModel(bytes, "fuzz.yaml"));
        break;
    }
  } catch (const modelfile::LoadError&) {
  }
  return 0;
}
