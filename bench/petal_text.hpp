// Writing a model as a Rose petal file (.mdl), laid out as the modelling tool
// writes one: its model elements, then the class diagram with a view of every
// class and association on it.
#pragma once

#include <string>

#include "host/memory_host.hpp"

namespace tarn::bench {

// The model as one petal file, version 50, CR LF line ends. Every class,
// association and their parts get a quid; classes are qualified as
// "Logical View::NAME", so class names must differ. Covers what
// NativeModelText covers except the selection, which petal files do not
// hold. Raises std::invalid_argument for a text that is not ASCII or holds a
// bare CR or LF.
std::string PetalModelText(const host::MemoryModel& model);

}  // namespace tarn::bench
