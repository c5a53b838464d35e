// The multiplicity invariant of a role declared in a class's state schema.
#pragma once

#include <string>
#include <string_view>

namespace tarn::objectz {

// Which role of an association a class declares: role B when the class is
// at the end of the first role, role A when it is at the end of the second.
// The two differ in the blanks of two invariants.
enum class DeclaredRole { kRoleA, kRoleB };

// The invariant line for the role named `role` with multiplicity
// `multiplicity`: bounds for "0..n", "0..1", "1..n" and "n"; any other text
// ("1", "*", "") is written verbatim as the size of the role.
std::string CardinalityLine(std::string_view role, std::string_view multiplicity, DeclaredRole declared);

// The same invariant in standard Object-Z, for a document to be typeset:
// "0..1" gives \#r \leq 1, "1..n" \#r \geq 1, "l..u" l \leq \#r \leq u,
// "k" \#r = k (a bound written "n" or "*" is none). A multiplicity that
// constrains nothing ("0..n", "n", "*", "0..*"), "1" (the role is then one
// object, not a set) and text that is no multiplicity give "".
std::string TypesetCardinalityLine(std::string_view role, std::string_view multiplicity);

}  // namespace tarn::objectz
