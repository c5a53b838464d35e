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

}  // namespace tarn::objectz
