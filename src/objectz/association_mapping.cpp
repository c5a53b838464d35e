// The association roles of one class's state schema: a declaration for each
// navigable role the class reaches, the separator "\ST", then for each such
// role its multiplicity invariant and the user's own invariant line.
#include <string>
#include <vector>

#include "objectz/cardinality.hpp"
#include "objectz/generator.hpp"

namespace tarn::objectz {

std::string CardinalityLine(std::string_view role, std::string_view multiplicity, DeclaredRole declared) {
  const bool roleA = declared == DeclaredRole::kRoleA;
  const std::string r(role);
  if (multiplicity == "0..n") return R"(0 <= \#)" + r + R"( <= n   \\)";
  if (multiplicity == "0..1") return R"(0 <= \#)" + r + (roleA ? R"( <= 1   \\)" : R"( <= 1  \\)");
  if (multiplicity == "1..n") return R"(1 <= \#)" + r + R"( <= n   \\)";
  if (multiplicity == "n") return R"(\#)" + r + (roleA ? R"( = n   \\)" : R"( = n  \\)");
  return R"(\#)" + r + " = " + std::string(multiplicity) + R"( \\)";
}

// Reads the diagram's associations once per document and files each role a
// class declares under the class name at the other end, so that a class
// visits only its own roles, still in diagram order, and the names at both
// ends are read once for all classes.
void Generator::IndexAssociations() {
  myAssociations = myDiagram->ClassAssociations();
  declaredRoles.clear();
  const int associationCount = myAssociations.ItemCount();
  for (int k = 1; k <= associationCount; ++k) {
    const host::Association& association = myAssociations.ItemAt(static_cast<std::int16_t>(k));
    const host::Role& roleA = association.FirstRole();
    const host::Role& roleB = association.SecondRole();
    std::string nameA = roleA.RoleSupplierName();
    std::string nameB = roleB.RoleSupplierName();
    if (roleB.RoleNavigable())
      declaredRoles[nameA].push_back(
          {&association, &roleB, "TypeOfRoleB", "RoleBInvariant", DeclaredRole::kRoleB, nameB});
    if (roleA.RoleNavigable())
      declaredRoles[nameB].push_back(
          {&association, &roleA, "TypeOfRoleA", "RoleAInvariant", DeclaredRole::kRoleA, nameA});
  }
}

void Generator::MapAssocToOZ(std::int16_t ClassID) {
  const auto found = declaredRoles.find(myClasses.ItemAt(ClassID).ElementName());
  const std::vector<DeclaredRoleOf> none;
  const auto& roles = found == declaredRoles.end() ? none : found->second;

  for (const DeclaredRoleOf& declared : roles) {
    const bool single = declared.role->RoleCardinality() == "1";
    const std::string type =
        single ? std::string() : declared.association->TaggedValue(host::kTool, declared.typeTag);
    WriteRow(declared.role->ElementName(), " : ", type, single ? "" : " ", declared.supplierName);
  }
  WriteBar();
  for (const DeclaredRoleOf& declared : roles) {
    WriteRow(CardinalityLine(declared.role->ElementName(), declared.role->RoleCardinality(),
                             declared.declared));
    WriteRow(declared.association->TaggedValue(host::kTool, declared.invariantTag));
  }
}

}  // namespace tarn::objectz
