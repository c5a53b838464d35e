// The warnings of tarn check: what a model may hold that the commands accept
// but that is most likely not what its author meant.
#pragma once

#include <vector>

#include "cli/diagnostic.hpp"
#include "host/memory_host.hpp"

namespace tarn::cli {

struct CheckedItems {
  std::vector<const host::MemoryClass*> classes;             // property checks
  std::vector<const host::MemoryAssociation*> associations;  // refinement checks
  const host::MemoryClassDiagram* diagram = nullptr;         // objectz; null for none
  bool objectz = false;  // the Object-Z document is checked (and fails without a diagram)
};

// Warnings about the whole model (tag names that differ from Tarn's only in
// letter case, isQuery and isDefinition values meant as true) and about the
// checked items (a diagram without classes, class and operation names that
// are not Z names, two operations of one class with the same name, and the
// warnings about their Z of z_text_warnings.hpp).
// kCheckedItems leaves out the tags of items the checks do not read, and
// the warnings about the Z of their texts: what a command that translates
// these items says (tarn check says all).
enum class WarningScope { kWholeModel, kCheckedItems };
std::vector<Diagnostic> ModelWarnings(const host::MemoryModel& model, const CheckedItems& checked,
                                      WarningScope scope = WarningScope::kWholeModel);

}  // namespace tarn::cli
