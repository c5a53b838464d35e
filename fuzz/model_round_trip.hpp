// The property that every loaded model must have, whatever reader built it:
// the native writer can write it, the native reader reads that text back
// without complaint, and writing again gives the same text.
#pragma once

#include "host/memory_host.hpp"

namespace tarn::fuzz {

// `written` is what the native writer made of the loaded model.
void ExpectRoundTrip(const std::string& written);

// Every link of a loaded model leads to a record of the same model.
void ExpectLinksInside(const host::MemoryModel& model);

}  // namespace tarn::fuzz
