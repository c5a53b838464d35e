// One class paragraph: inherit line, attribute declarations, invariants, the
// initial-state schema and the operation schemas.
#include <gtest/gtest.h>

#include "objectz/document_fixture.hpp"

namespace tarn::objectz {
namespace {

using ClassMappingTest = DocumentTest;

TEST_F(ClassMappingTest, InheritLineOnlyForExactlyOneSuperclass) {
  auto& base = model().classes.emplace_back();  // not on the diagram: still named
  base.name = "Base";
  auto& other = AddClass("Other");
  auto& single = AddClass("Single");
  single.superclasses = {&base};
  auto& twoParents = AddClass("TwoParents");
  twoParents.superclasses = {&base, &other};

  EXPECT_EQ(ClassParagraph("Single"), CrLfLines({"\\section{Single}", "\\begin{class}{Single}", "inherit Base",
                                                 "\\begin{state}", "\\ST", "\\end{state}", "", "\\end{class}"}));
  EXPECT_EQ(ClassParagraph("TwoParents").find("inherit"), std::string::npos);
  EXPECT_EQ(ClassParagraph("Other").find("inherit"), std::string::npos);
}

TEST_F(ClassMappingTest, AttributeSeparatorsAndInvariants) {
  auto& shape = AddClass("Shape");
  AddAttribute(shape, "owner", "");
  AddAttribute(shape, "width", "\\nat").tags.Set("Invariant", "width > 0");
  AddAttribute(shape, "height", "\\nat").tags.Set("Invariant", "height > 0");
  shape.tags.Set("Invariant", "width \\neq height");
  auto& peer = AddClass("Peer");
  auto& link = AddAssociation(shape, "shape", peer, "peer");
  link.second.navigable = true;
  link.second.multiplicity = "1";

  // The last attribute has no separator, also when a role declaration
  // follows; the class invariant has none either.
  EXPECT_EQ(StateSchema("Shape"), CrLfLines({"owner : ; \\\\", "width : \\nat; \\\\", "height : \\nat",
                                             "peer : Peer", "\\ST", "\\#peer = 1 \\\\", "", "width \\neq height",
                                             "width > 0  \\\\", "height > 0  \\\\"}));
}

TEST_F(ClassMappingTest, InitialStateSchemaDefaultsIntegersOnlyBesideAnInitialValue) {
  auto& counter = AddClass("Counter");
  AddAttribute(counter, "lower", "int");
  AddAttribute(counter, "upper", "INT");
  AddAttribute(counter, "mixed", "Int");
  AddAttribute(counter, "name", "NAME");
  AddAttribute(counter, "start", "int", "5");
  EXPECT_EQ(Between(ClassParagraph("Counter"), "init"),
            CrLfLines({"lower = 0  \\\\", "upper = 0  \\\\", "start = 5  \\\\"}));

  auto& plain = AddClass("Plain");
  AddAttribute(plain, "lower", "int");
  AddAttribute(plain, "upper", "INT");
  EXPECT_EQ(ClassParagraph("Plain").find("init"), std::string::npos);
}

TEST_F(ClassMappingTest, InitialStateSchemaDependsOnTheCurrentClassOnly) {
  auto& first = AddClass("First");
  AddAttribute(first, "x", "int", "1");
  auto& second = AddClass("Second");
  AddAttribute(second, "y", "int");
  EXPECT_EQ(ClassParagraph("Second").find("init"), std::string::npos);
}

TEST_F(ClassMappingTest, DeltaListNamesWhatThePostconditionChanges) {
  const struct {
    std::string postcondition;
    std::string delta;
  } cases[] = {
      {"x' = x + 1\r\ny' = 0", "x,y"},
      {"result! = x", "result"},
      {"  a = b  \r\n\r\n   \r\nc' = d", "a = b,c"},  // whole trimmed line; blank lines dropped
      {"", ""},
      {"'x = 1\r\ny' = 2\r\n!z", ",y,"},  // a leading prime or "!" leaves an empty name
  };
  auto& owner = AddClass("Owner");
  for (const auto& each : cases) AddOperation(owner, "op").post = each.postcondition;

  const std::string paragraph = ClassParagraph("Owner");
  std::size_t at = 0;
  for (const auto& each : cases) {
    at = paragraph.find("\\Delta", at);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(paragraph.substr(at, paragraph.find("\r\n", at) - at), "\\Delta  (" + each.delta + ") \\\\")
        << each.postcondition;
    ++at;
  }
}

TEST_F(ClassMappingTest, OperationSchemas) {
  auto& shop = AddClass("Shop");
  AddOperation(shop, "bare");
  auto& guarded = AddOperation(shop, "guarded");
  guarded.pre = "stock > 0";
  auto& order = AddOperation(shop, "order");
  for (const char* name : {"a", "b", "c"}) {
    auto& parameter = order.parameters.emplace_back();
    parameter.name = name;
    parameter.type = "T";
  }
  order.result = "R";
  order.post = "total' = total + 1\r\nresult! = total";
  auto& single = AddOperation(shop, "single");
  single.parameters.emplace_back().name = "p";

  EXPECT_EQ(ClassParagraph("Shop"),
            CrLfLines({"\\section{Shop}", "\\begin{class}{Shop}", "\\begin{state}", "\\ST", "\\end{state}", "",
                       "\\begin{op}{bare}", "\\Delta  () \\\\", "\\end{op}", "",
                       "\\begin{op}{guarded}", "\\Delta  () \\\\", "\\ST", "stock > 0", "", "\\end{op}", "",
                       "\\begin{op}{order}", "\\Delta  (total,result) \\\\", "a? : T \\\\", "b? : T \\\\",
                       "c? : T", "result! : R", "\\ST", "", "total' = total + 1\r\nresult! = total", "\\end{op}", "",
                       "\\begin{op}{single}", "\\Delta  () \\\\", "p? : ", "\\end{op}", "",
                       "\\end{class}"}));
}

}  // namespace
}  // namespace tarn::objectz
