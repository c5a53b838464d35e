#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "visitor/z_visitor.hpp"

namespace tarn::visitor {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::string> GivenSetsOf(std::initializer_list<std::string> types) {
  zmodel::Collection<std::string> collected;
  for (const auto& type : types) collected.Add(type);
  const auto names = ZVisitor().CreateGivenSets(collected);
  return {names.begin(), names.end()};
}

TEST(GivenSets, OperatorsVanishNamesStayInFirstSeenOrder) {
  EXPECT_THAT(GivenSetsOf({"\\power NAME", "\\nat", "NAME \\fun \\seq CHAR"}), ElementsAre("NAME", "CHAR"));
  EXPECT_THAT(GivenSetsOf({"X \\cross Y", "\\finset (A \\pfun B)", "Y"}), ElementsAre("X", "Y", "A", "B"));
  EXPECT_THAT(GivenSetsOf({"name", "NAME", "name"}), ElementsAre("name", "NAME"));
}

TEST(GivenSets, LongerOperatorsGoFirst) {
  EXPECT_THAT(GivenSetsOf({"\\power_1 X"}), ElementsAre("X"));
  EXPECT_THAT(GivenSetsOf({"\\seq_1 S", "\\iseq T", "\\finset_1 U", "\\nat_1 \\num_1"}),
              ElementsAre("S", "T", "U"));
}

TEST(GivenSets, RemovalWorksOnSubstringsNotWords) {
  EXPECT_THAT(GivenSetsOf({"A,B"}), ElementsAre("AB"));
  EXPECT_THAT(GivenSetsOf({"A, B"}), ElementsAre("A", "B"));
  EXPECT_THAT(GivenSetsOf({"MY\\natX"}), ElementsAre("MYX"));
}

TEST(GivenSets, OnlyZNamesAreDeclared) {
  EXPECT_THAT(GivenSetsOf({"NAME \\rel NUMBER", "1 \\upto 10", "\\mathbb{Z}", "\\power (PERSON \\rel CAR)"}),
              ElementsAre("NAME", "NUMBER", "PERSON", "CAR"));
  EXPECT_THAT(GivenSetsOf({"max\\_size", "\xC9TAT", "\x82\xA0NAME", "X2"}),
              ElementsAre("max\\_size", "\xC9TAT", "\x82\xA0NAME", "X2"));
  // A line feed joins the two sides of a word; any other character that is
  // not a letter or a digit keeps the word from being a name.
  EXPECT_THAT(GivenSetsOf({"A\nB", "C\rD", "\tE", "F\r", "G'", "H?"}), ElementsAre("AB"));
}

TEST(GivenSets, OperatorOnlyAndBlankTypesGiveNoName) {
  EXPECT_THAT(GivenSetsOf({"\\nat", "\\num", "   "}), IsEmpty());
  EXPECT_THAT(GivenSetsOf({}), IsEmpty());
}

TEST(VisitPC, StateThenOperationsDefinitionsIncludedInitIgnored) {
  zmodel::ZPCClass check;
  check.Schema.StateSchema.Declarations.Add({"a", "\\power B"});
  check.Schema.InitSchema.Declarations.Add({"ignored", "INIT"});
  zmodel::Schema op;
  op.isDefinition = true;
  op.Declarations.Add({"x?", "C \\pfun B"});
  check.Schema.Schemas.Add(op);
  ZVisitor().VisitPC(check);
  EXPECT_THAT(std::vector<std::string>(check.GivenSets.begin(), check.GivenSets.end()), ElementsAre("B", "C"));
}

TEST(VisitPC, EmptyParameterTypeStopsTheVisit) {
  zmodel::ZPCClass check;
  check.Schema.StateSchema.Declarations.Add({"a", "A"});
  zmodel::Schema op;
  op.Name = "Op";
  op.Declarations.Add({"x?", ""});
  op.Declarations.Add({"y?", "Y"});
  check.Schema.Schemas.Add(op);
  try {
    ZVisitor().VisitPC(check);
    FAIL() << "expected 1005";
  } catch (const Error& error) {
    EXPECT_EQ(error.Number(), kMissingType);
  }
  // The raw types collected so far stay; the names were never computed.
  EXPECT_THAT(std::vector<std::string>(check.GivenSets.begin(), check.GivenSets.end()), ElementsAre("A"));
}

TEST(GivenSets, The32768thDistinctNameOverflows) {
  zmodel::Collection<std::string> types;
  std::string many;
  for (int i = 0; i < 32768; ++i) many += " N" + std::to_string(i);
  types.Add(many);
  EXPECT_THROW(ZVisitor().CreateGivenSets(types), Error);
  types = {};
  types.Add(many.substr(0, many.rfind(' ')) + " N0 N1");
  EXPECT_EQ(ZVisitor().CreateGivenSets(types).Count(), 32767);
}

}  // namespace
}  // namespace tarn::visitor
