// The association roles of one class's state schema: a declaration for each
// navigable role the class reaches, the separator "\ST", then for each such
// role its multiplicity invariant and the user's own invariant line.
#include <string>
#include <vector>

#include "objectz/cardinality.hpp"
#include "objectz/generator.hpp"

namespace tarn::objectz {
namespace {

// A role that a class declares through one association: the role at the
// other end from the class, with the tagged values that belong to it.
struct RoleView {
  const host::Role* role;
  const char* typeTag;
  const char* invariantTag;
  DeclaredRole declared;
};

// The roles of `association` that the class named `className` declares:
// role B when the class is at the first end, then role A when it is at the
// second end; only navigable roles count.
std::vector<RoleView> DeclaredRoles(const host::Association& association, const std::string& className) {
  std::vector<RoleView> roles;
  const host::Role& roleA = association.FirstRole();
  const host::Role& roleB = association.SecondRole();
  if (roleA.RoleSupplierName() == className && roleB.RoleNavigable())
    roles.push_back({&roleB, "TypeOfRoleB", "RoleBInvariant", DeclaredRole::kRoleB});
  if (roleB.RoleSupplierName() == className && roleA.RoleNavigable())
    roles.push_back({&roleA, "TypeOfRoleA", "RoleAInvariant", DeclaredRole::kRoleA});
  return roles;
}

}  // namespace

std::string CardinalityLine(std::string_view role, std::string_view multiplicity, DeclaredRole declared) {
  const bool roleA = declared == DeclaredRole::kRoleA;
  const std::string r(role);
  if (multiplicity == "0..n") return R"(0 <= \#)" + r + R"( <= n   \\)";
  if (multiplicity == "0..1") return R"(0 <= \#)" + r + (roleA ? R"( <= 1   \\)" : R"( <= 1  \\)");
  if (multiplicity == "1..n") return R"(1 <= \#)" + r + R"( <= n   \\)";
  if (multiplicity == "n") return R"(\#)" + r + (roleA ? R"( = n   \\)" : R"( = n  \\)");
  return R"(\#)" + r + " = " + std::string(multiplicity) + R"( \\)";
}

// Reads the diagram's associations once per document and files each under the
// class names at its ends, so that a class visits only its own associations,
// still in diagram order.
void Generator::IndexAssociations() {
  myAssociations = myDiagram->ClassAssociations();
  associationsBySupplier.clear();
  const int associationCount = myAssociations.ItemCount();
  for (int k = 1; k <= associationCount; ++k) {
    const auto position = static_cast<std::int16_t>(k);
    const host::Association& association = myAssociations.ItemAt(position);
    const std::string nameA = association.FirstRole().RoleSupplierName();
    const std::string nameB = association.SecondRole().RoleSupplierName();
    associationsBySupplier[nameA].push_back(position);
    if (nameB != nameA) associationsBySupplier[nameB].push_back(position);
  }
}

void Generator::MapAssocToOZ(std::int16_t ClassID) {
  const std::string className = myClasses.ItemAt(ClassID).ElementName();
  const auto found = associationsBySupplier.find(className);
  const std::vector<std::int16_t> none;
  const auto& positions = found == associationsBySupplier.end() ? none : found->second;

  for (const auto position : positions) {
    const host::Association& association = myAssociations.ItemAt(position);
    for (const auto& view : DeclaredRoles(association, className)) {
      std::string type;
      if (view.role->RoleCardinality() != "1") type = association.TaggedValue(host::kTool, view.typeTag) + " ";
      WriteRow(view.role->ElementName() + " : " + type + view.role->RoleSupplierName());
    }
  }
  WriteBar();
  for (const auto position : positions) {
    const host::Association& association = myAssociations.ItemAt(position);
    for (const auto& view : DeclaredRoles(association, className)) {
      WriteRow(CardinalityLine(view.role->ElementName(), view.role->RoleCardinality(), view.declared));
      WriteRow(association.TaggedValue(host::kTool, view.invariantTag));
    }
  }
}

}  // namespace tarn::objectz
