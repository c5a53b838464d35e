// Unification and the printed form of types, which every message shows.
#include <gmock/gmock.h>

#include "ztypes/types.hpp"

namespace tarn::ztypes {
namespace {

TEST(Types, PrintInLatexWithTheBracketsTheyNeed) {
  const TypePtr name = Given("NAME");
  EXPECT_EQ(ToLatex(Power(Product({Number(), name}))), "\\power (\\num \\cross NAME)");
  EXPECT_EQ(ToLatex(Product({Product({name, name}), Power(name)})), "(NAME \\cross NAME) \\cross \\power NAME");
  EXPECT_EQ(ToLatex(Power(Schema({{"b", Number()}, {"a", Power(name)}}))), "\\power [a: \\power NAME; b: \\num]");
  Unifier unifier;
  EXPECT_EQ(ToLatex(Power(unifier.Fresh())), "\\power ?");
}

TEST(Types, UnificationBindsVariablesConsistently) {
  Unifier unifier;
  const TypePtr x = unifier.Fresh();
  const TypePtr y = unifier.Fresh();
  EXPECT_TRUE(unifier.Unify(Product({x, y}), Product({Given("A"), x})));
  EXPECT_EQ(ToLatex(unifier.Resolve(y)), "A");
  EXPECT_FALSE(unifier.Unify(y, Given("B")));
  EXPECT_FALSE(unifier.Unify(Product({x, x}), Product({x, x, x})));

  const TypePtr z = unifier.Fresh();
  EXPECT_FALSE(unifier.Unify(z, Power(z))) << "the occurs check";
  EXPECT_EQ(unifier.Shallow(z), z);

  EXPECT_TRUE(unifier.Unify(Schema({{"a", z}}), Schema({{"a", Number()}})));
  EXPECT_FALSE(unifier.Unify(Schema({{"a", z}}), Schema({{"b", Number()}})));
  EXPECT_EQ(ToLatex(unifier.Resolve(z)), "\\num");
}

TEST(Types, SubstitutionReplacesOnlyTheParameters) {
  const TypePtr relation = Power(Product({Given("X"), Given("Y")}));
  EXPECT_EQ(ToLatex(Substitute(relation, {{"X", Number()}})), "\\power (\\num \\cross Y)");
}

TEST(Types, DoublingTypesStopAtTheLargestSize) {
  TypePtr type = Number();
  EXPECT_THROW(
      for (int i = 0; i < 20; ++i) type = Product({type, type}), TypeTooLarge);
  EXPECT_LE(type->size, kMaxTypeSize);
}

}  // namespace
}  // namespace tarn::ztypes
