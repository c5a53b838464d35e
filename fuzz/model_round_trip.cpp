#include "model_round_trip.hpp"

#include <unordered_set>

#include "fuzz_check.hpp"
#include "modelfile/native/native_reader.hpp"
#include "modelfile/native/native_writer.hpp"

namespace tarn::fuzz {

void ExpectRoundTrip(const std::string& written) {
  std::unique_ptr<host::MemoryApplication> reread;
  try {
    reread = modelfile::ParseNativeModel(written, "written.yaml");
  } catch (const modelfile::LoadError& error) {
    Broken(std::string("the reader refuses what the writer wrote: ") + error.what() + "\n" +
           written);
  }
  ExpectLinksInside(reread->model);
  std::string rewritten;
  try {
    rewritten = modelfile::WriteNativeModel(reread->model);
  } catch (const Error& error) {
    Broken("the writer refuses a model it wrote itself: " + error.Description());
  }
  Expect(rewritten == written,
         "writing the model read back gives another text:\n" + written + "\n---\n" + rewritten);
}

void ExpectLinksInside(const host::MemoryModel& model) {
  std::unordered_set<const host::Element*> records;
  for (const host::MemoryClass& model_class : model.classes) records.insert(&model_class);
  for (const host::MemoryAssociation& association : model.associations)
    records.insert(&association);
  const auto inside = [&](const host::Element* element, const char* what) {
    Expect(element != nullptr && records.count(element) == 1,
           std::string(what) + " leads outside the model");
  };
  for (const host::MemoryClass& model_class : model.classes)
    for (const host::MemoryClass* superclass : model_class.superclasses)
      inside(superclass, "a superclass");
  for (const host::MemoryAssociation& association : model.associations) {
    // A stand-in for an association that was not loaded has no roles to
    // offer: every use of it raises its error before a role is reached.
    if (!association.unavailable.empty()) continue;
    inside(association.first.supplier, "the first role");
    inside(association.second.supplier, "the second role");
  }
  for (const host::Element* selected : model.selection) inside(selected, "the selection");
  for (const auto* diagrams : {&model.root.diagrams, &model.packageDiagrams})
    for (const host::MemoryClassDiagram& diagram : *diagrams) {
      for (const host::MemoryClass* shown : diagram.classes) inside(shown, "a diagram's class");
      for (const host::MemoryAssociation* shown : diagram.associations)
        inside(shown, "a diagram's association");
    }
}

}  // namespace tarn::fuzz
