// Writing a model as Papyrus writes one: the UML 2 XMI model file with the
// Tarn profile applied, and the .notation file of its class diagram.
#pragma once

#include <string>

#include "host/memory_host.hpp"

namespace tarn::bench {

struct XmiFiles {
  std::string model;     // NAME.uml
  std::string notation;  // NAME.notation, whose hrefs name `model_file`
};

// The model as Papyrus files: classes, attributes with primitive types of
// their type texts, operations with LaTeX pre- and postconditions,
// generalizations, associations with their ends, every tagged value as an
// application of a stereotype of the Tarn profile, and the root package's
// first class diagram. Raises std::invalid_argument for a text that is not
// ASCII or holds a bare CR or LF.
XmiFiles XmiModelText(const host::MemoryModel& model, const std::string& model_file);

}  // namespace tarn::bench
