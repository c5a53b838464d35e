// tarn check --types: the Z of a Z/EVES document type-checked, each error
// told where it can be mended. In a document a command built from the model,
// that is the model element and the line of its text the Z came from; in a
// document given as it stands, its own line.
#pragma once

#include <string>
#include <vector>

#include "cli/diagnostic.hpp"
#include "cli/text_origins.hpp"
#include "host/memory_host.hpp"

namespace tarn::cli {

// The type errors of `document`, which a command built for the item that
// `about` names, from the texts of `origins`; `classes` are the classes the
// document declares, whose state components the proof obligations may take
// for the toolkit's names.
std::vector<Diagnostic> ModelTypeErrors(const std::string& document, const TextOrigins& origins,
                                        const host::MemoryModel& model,
                                        const std::vector<const host::MemoryClass*>& classes, const Note& about);

// The type errors of a LaTeX Z document as it stands, at its own lines.
std::vector<Diagnostic> DocumentTypeErrors(const std::string& path, const std::string& document);

}  // namespace tarn::cli
