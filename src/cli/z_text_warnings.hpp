// The warnings of tarn check about the Z that the checked items' texts and
// names hold, said at the model element before Z/EVES, the Wizard or
// pdflatex complain: names of the Z toolkit that the documents then mean
// instead, multiplicities the Object-Z document writes as text that is not
// Z, ASCII for \leq, \geq and \neq, Z/EVES's own markup in what the Object-Z
// document holds, and names with letters outside ASCII.
#pragma once

#include <string_view>
#include <vector>

#include "cli/diagnostic.hpp"
#include "cli/model_warnings.hpp"
#include "host/memory_host.hpp"

namespace tarn::cli {

// Whether a state component, parameter or class of this name would be
// taken for the Z toolkit's, or the other way round.
bool IsZToolkitName(std::string_view name);

std::vector<Diagnostic> ZTextWarnings(const host::MemoryModel& model, const CheckedItems& checked);

}  // namespace tarn::cli
