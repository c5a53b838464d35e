// Writing the in-memory model host as a native model file (YAML).
#pragma once

#include <ostream>
#include <string>

#include "host/memory_host.hpp"

namespace tarn::modelfile {

// The model as the host sees it, as a native model file with `text: exact`:
// every text double-quoted with escapes so that it reads back to the same
// bytes, converted from the model's code page to UTF-8. Classes and
// associations keep their ids; one without a usable id (empty, repeated or
// not UTF-8) gets a new one such as "class-3". An association that the
// model file could not provide (`unavailable`) is left out, with every
// mention of it. Such a class holds only its id and name and is written
// so, which keeps the links to it.
// Raises tarn::Error (kInvalidCall) when a text is not valid in the model's
// code page or a link leads outside the model.
std::string WriteNativeModel(const host::MemoryModel& model);

// The same text to `sink`, a piece at a time, so that a large model's text
// is never held whole: the model is checked first, and one that cannot be
// written raises before anything is written.
void WriteNativeModel(const host::MemoryModel& model, std::ostream& sink);

}  // namespace tarn::modelfile
