// Writing a model as a native model file in the block style people write by
// hand: multi-line texts as literal blocks, other texts single-quoted.
#pragma once

#include <string>

#include "host/memory_host.hpp"

namespace tarn::bench {

// The model as a native model file (`text: crlf`). Covers the root
// package's diagrams, classes, associations, tagged values of the tool "Tarn"
// and the selection. Raises std::invalid_argument for a text that this style
// cannot state exactly (a byte outside ASCII, a bare CR or LF, a line that
// starts with a blank, a final line break).
std::string NativeModelText(const host::MemoryModel& model);

}  // namespace tarn::bench
