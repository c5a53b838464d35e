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

namespace {

bool IsNumber(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

bool IsUnbounded(std::string_view text) { return text == "n" || text == "*"; }

}  // namespace

std::string TypesetCardinalityLine(std::string_view role, std::string_view multiplicity) {
  const std::string size = R"(\#)" + std::string(role);
  const auto dots = multiplicity.find("..");
  if (dots == std::string_view::npos)
    return IsNumber(multiplicity) && multiplicity != "1" ? size + " = " + std::string(multiplicity) : "";
  const auto lower = multiplicity.substr(0, dots);
  const auto upper = multiplicity.substr(dots + 2);
  if (!IsNumber(lower) || !(IsNumber(upper) || IsUnbounded(upper))) return "";
  const bool from = lower.find_first_not_of('0') != std::string_view::npos;
  if (IsUnbounded(upper)) return from ? size + R"( \geq )" + std::string(lower) : "";
  if (lower == upper) return size + " = " + std::string(lower);
  return (from ? std::string(lower) + R"( \leq )" : "") + size + R"( \leq )" + std::string(upper);
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
    std::string type = single ? std::string() : declared.association->TaggedValue(host::kTool, declared.typeTag);
    // To be typeset, a role of more than one object is a set of them unless
    // its tag says what else.
    if (typeset && !single && type.empty()) type = R"(\power)";
    WriteRow(declared.role->ElementName(), " : ", type, single ? "" : " ", declared.supplierName);
  }
  WriteBar();
  for (const DeclaredRoleOf& declared : roles) {
    const auto role = declared.role->ElementName();
    const auto multiplicity = declared.role->RoleCardinality();
    WriteRow(typeset ? TypesetCardinalityLine(role, multiplicity)
                     : CardinalityLine(role, multiplicity, declared.declared));
    WriteRow(declared.association->TaggedValue(host::kTool, declared.invariantTag));
  }
}

}  // namespace tarn::objectz
