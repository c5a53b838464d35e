// The association roles of a state schema: declarations, the separator and
// the multiplicity invariants.
#include <gtest/gtest.h>

#include "objectz/cardinality.hpp"
#include "objectz/document_fixture.hpp"

namespace tarn::objectz {
namespace {

TEST(CardinalityLineTest, EveryRowInBothColumns) {
  struct Row {
    std::string multiplicity;
    std::string roleB;
    std::string roleA;
  };
  const Row rows[] = {
      {"0..n", R"(0 <= \#r <= n   \\)", R"(0 <= \#r <= n   \\)"},
      {"0..1", R"(0 <= \#r <= 1  \\)", R"(0 <= \#r <= 1   \\)"},
      {"1..n", R"(1 <= \#r <= n   \\)", R"(1 <= \#r <= n   \\)"},
      {"n", R"(\#r = n  \\)", R"(\#r = n   \\)"},
      {"1", R"(\#r = 1 \\)", R"(\#r = 1 \\)"},
      {"", R"(\#r =  \\)", R"(\#r =  \\)"},
      {"*", R"(\#r = * \\)", R"(\#r = * \\)"},
      {"0..*", R"(\#r = 0..* \\)", R"(\#r = 0..* \\)"},
      {"1..*", R"(\#r = 1..* \\)", R"(\#r = 1..* \\)"},
      {"0..N", R"(\#r = 0..N \\)", R"(\#r = 0..N \\)"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(CardinalityLine("r", row.multiplicity, DeclaredRole::kRoleB), row.roleB) << row.multiplicity;
    EXPECT_EQ(CardinalityLine("r", row.multiplicity, DeclaredRole::kRoleA), row.roleA) << row.multiplicity;
  }
}

using AssociationMappingTest = DocumentTest;

TEST_F(AssociationMappingTest, ClassAtEitherEndDeclaresTheOtherRoleWithItsOwnTags) {
  auto& hub = AddClass("Hub");
  auto& leaf = AddClass("Leaf");
  auto& out = AddAssociation(hub, "hub", leaf, "leaves");  // Hub at end A: declares role B
  out.second.navigable = true;
  out.second.multiplicity = "0..1";
  out.tags.Set("TypeOfRoleA", "\\seq");
  out.tags.Set("TypeOfRoleB", "\\power");
  out.tags.Set("RoleAInvariant", "wrong");
  out.tags.Set("RoleBInvariant", "leaves \\neq \\emptyset");
  auto& in = AddAssociation(leaf, "source", hub, "owner");  // Hub at end B: declares role A
  in.first.navigable = true;
  in.first.multiplicity = "n";
  in.tags.Set("TypeOfRoleA", "\\seq");
  in.tags.Set("TypeOfRoleB", "wrong");
  in.tags.Set("RoleAInvariant", "source = source");
  auto& single = AddAssociation(hub, "back", leaf, "main");
  single.second.navigable = true;
  single.second.multiplicity = "1";
  single.tags.Set("TypeOfRoleB", "\\power");

  EXPECT_EQ(StateSchema("Hub"),
            CrLfLines({"leaves : \\power Leaf", "source : \\seq Leaf", "main : Leaf", "\\ST",
                       "0 <= \\#leaves <= 1  \\\\", "leaves \\neq \\emptyset",
                       "\\#source = n   \\\\", "source = source",
                       "\\#main = 1 \\\\", ""}));
  // Role hub, owner and back are not navigable: Leaf declares nothing.
  EXPECT_EQ(StateSchema("Leaf"), CrLfLines({"\\ST"}));
}

TEST_F(AssociationMappingTest, NonNavigableRoleOfTheClassItselfIsIgnored) {
  auto& left = AddClass("Left");
  auto& right = AddClass("Right");
  auto& link = AddAssociation(left, "left", right, "right");
  link.first.navigable = true;  // declared by Right, never by Left
  link.first.multiplicity = "1";
  EXPECT_EQ(StateSchema("Left"), CrLfLines({"\\ST"}));
  EXPECT_EQ(StateSchema("Right"), CrLfLines({"left : Left", "\\ST", "\\#left = 1 \\\\", ""}));
}

TEST_F(AssociationMappingTest, SelfAssociationDeclaresRoleBThenRoleA) {
  auto& person = AddClass("Person");
  auto& parent = AddAssociation(person, "parents", person, "children");
  parent.first.navigable = true;
  parent.first.multiplicity = "0..1";
  parent.second.navigable = true;
  parent.second.multiplicity = "n";
  parent.tags.Set("TypeOfRoleA", "\\finset");
  parent.tags.Set("TypeOfRoleB", "\\power");
  parent.tags.Set("RoleBInvariant", "B");

  EXPECT_EQ(StateSchema("Person"),
            CrLfLines({"children : \\power Person", "parents : \\finset Person", "\\ST",
                       "\\#children = n  \\\\", "B", "0 <= \\#parents <= 1   \\\\", ""}));
}

TEST_F(AssociationMappingTest, RolesFollowDiagramOrderAndMatchClassesByName) {
  auto& a = AddClass("A");
  auto& b = AddClass("B");
  auto& twin = AddClass("A");  // a second class of the same name
  auto& first = AddAssociation(a, "x", b, "one");
  first.second.navigable = true;
  first.second.multiplicity = "1";
  auto& second = AddAssociation(b, "two", twin, "y");
  second.first.navigable = true;
  second.first.multiplicity = "1";
  auto& hidden = model().associations.emplace_back();  // not on the diagram
  hidden.first.supplier = &a;
  hidden.second.supplier = &b;
  hidden.second.name = "hidden";
  hidden.second.navigable = true;

  const std::string expected =
      CrLfLines({"one : B", "two : B", "\\ST", "\\#one = 1 \\\\", "", "\\#two = 1 \\\\", ""});
  const std::string document = Generate();
  const std::string paragraph = "\\section{A}\r\n\\begin{class}{A}\r\n\\begin{state}\r\n" + expected +
                                "\\end{state}\r\n\r\n\\end{class}\r\n";
  const auto firstA = document.find(paragraph);
  ASSERT_NE(firstA, std::string::npos);
  EXPECT_NE(document.find(paragraph, firstA + 1), std::string::npos);
  EXPECT_EQ(document.find("hidden"), std::string::npos);
}

}  // namespace
}  // namespace tarn::objectz
