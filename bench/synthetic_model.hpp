// The synthetic models the benchmarks measure: n classes on one class
// diagram, each with 10 attributes, 5 operations of 2 parameters with
// three-line pre- and postconditions and an Invariant, and 2n associations
// between them. Every class has the same operation names, so the association
// kRefinementAssociation is a valid refinement pair; kPropertyClass carries
// the Properties of a property check.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/memory_host.hpp"

namespace tarn::bench {

inline constexpr std::string_view kPropertyClass = "C0";
inline constexpr std::string_view kRefinementAssociation = "refines";

// Fills an empty model: the classes C0..C(n-1) in order, the associations
// (kRefinementAssociation first), the diagram "Main" showing all of them,
// and the selection [kPropertyClass]. Multi-line texts have CR LF line ends,
// as the host returns them.
void BuildSyntheticModel(host::MemoryModel& model, int classes);

// The first class or association of the model with this name.
const host::MemoryClass& ClassNamed(const host::MemoryModel& model, std::string_view name);
const host::MemoryAssociation& AssociationNamed(const host::MemoryModel& model,
                                                std::string_view name);

// The lines of a text whose line ends are CR LF. The model writers state
// only such texts: a bare CR or LF, or a byte past ASCII, is refused
// (std::invalid_argument).
std::vector<std::string> AsciiLines(const std::string& text);

}  // namespace tarn::bench
