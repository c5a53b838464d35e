#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "parser/z_parser.hpp"
#include "support/worked_examples.hpp"

namespace tarn::parser {
namespace {

using testing::Attribute;
using testing::Operation;
using testing::Parameter;
using ::testing::ElementsAre;
using zmodel::Collection;
using zmodel::Declaration;

template <class T>
std::vector<T> Items(const Collection<T>& collection) {
  return {collection.begin(), collection.end()};
}

TEST(ParseClass, RegisterClassBecomesStateInitAndOperationSchemas) {
  host::MemoryModel model;
  const auto schema = ZParser().ParseClass(testing::AddRegClass(model));

  EXPECT_EQ(schema.Name, "Reg");
  EXPECT_EQ(schema.StateSchema.Name, "Reg");
  EXPECT_THAT(Items(schema.StateSchema.Declarations),
              ElementsAre(Declaration{"names", "\\power NAME"}, Declaration{"max", "\\nat"}));
  EXPECT_THAT(Items(schema.StateSchema.Invariants), ElementsAre("\\# names \\leq max"));
  EXPECT_EQ(schema.InitSchema.Name, "Init");
  EXPECT_THAT(Items(schema.InitSchema.PostConditions), ElementsAre("names' = \\emptyset"));

  ASSERT_EQ(schema.Schemas.Count(), 4);
  const auto& add = schema.Schemas.Item(1);
  EXPECT_THAT(Items(add.Declarations), ElementsAre(Declaration{"n?", "NAME"}));
  EXPECT_THAT(Items(add.PreConditions), ElementsAre("n? \\notin names"));
  EXPECT_THAT(Items(add.PostConditions), ElementsAre("names' = names \\cup \\{n?\\}", "max' = max"));
  EXPECT_TRUE(schema.Schemas.Item(2).isQuery);
  EXPECT_THAT(Items(schema.Schemas.Item(2).Declarations), ElementsAre(Declaration{"result!", "\\nat"}));
  EXPECT_TRUE(schema.Schemas.Item(4).isDefinition);
  EXPECT_FALSE(schema.Schemas.Item(4).isQuery);
}

TEST(ParseClass, TypesAreKeptAsTypedAndInitialValuesTrimmed) {
  host::MemoryClass counter;
  counter.name = "Counter";
  counter.attributes.push_back(Attribute("a", " \\nat ", "  0  "));
  counter.attributes.push_back(Attribute("b", "", ""));
  counter.attributes.push_back(Attribute("c", "X", "   "));
  const auto schema = ZParser().ParseClass(counter);
  EXPECT_THAT(Items(schema.StateSchema.Declarations),
              ElementsAre(Declaration{"a", " \\nat "}, Declaration{"b", ""}, Declaration{"c", "X"}));
  EXPECT_THAT(Items(schema.InitSchema.PostConditions), ElementsAre("a' = 0"));
  EXPECT_TRUE(schema.StateSchema.Invariants.Empty());
  EXPECT_TRUE(schema.Schemas.Empty());
}

TEST(ParseClass, ParametersComeFirstThenResult) {
  host::MemoryClass shape;
  auto& move = shape.operations.emplace_back(Operation("Move", "", ""));
  move.parameters.push_back(Parameter("x", "\\num"));
  move.parameters.push_back(Parameter("y", ""));
  move.result = " ";
  auto& reset = shape.operations.emplace_back(Operation("Reset", "", ""));
  reset.parameters.push_back(Parameter("x", "\\num"));

  const auto schema = ZParser().ParseClass(shape);
  EXPECT_THAT(Items(schema.Schemas.Item(1).Declarations),
              ElementsAre(Declaration{"x?", "\\num"}, Declaration{"y?", ""}, Declaration{"result!", " "}));
  EXPECT_THAT(Items(schema.Schemas.Item(2).Declarations), ElementsAre(Declaration{"x?", "\\num"}));
}

TEST(ParseClass, OnlyTheExactWordTrueSetsTheFlags) {
  host::MemoryClass flags;
  for (const char* value : {"True", "true", " True", "TRUE", ""}) {
    auto& operation = flags.operations.emplace_back(Operation(value, "", ""));
    operation.tags.Set("isDefinition", value);
    operation.tags.Set("isQuery", value);
  }
  const auto schema = ZParser().ParseClass(flags);
  std::vector<bool> definitions;
  for (const auto& operation : schema.Schemas) {
    definitions.push_back(operation.isDefinition);
    EXPECT_EQ(operation.isDefinition, operation.isQuery);
  }
  EXPECT_THAT(definitions, ElementsAre(true, false, false, false, false));
}

TEST(ParseClass, ConditionsFollowTheLineRule) {
  host::MemoryClass text;
  text.operations.push_back(Operation("Op", "a\r\n   \r\nb", "x' = 1\ny' = 2"));
  text.operations.push_back(Operation("Blank", "\r\n\r\n", "  \tkept  "));
  const auto schema = ZParser().ParseClass(text);
  EXPECT_THAT(Items(schema.Schemas.Item(1).PreConditions), ElementsAre("a", "b"));
  EXPECT_THAT(Items(schema.Schemas.Item(1).PostConditions), ElementsAre("x' = 1y' = 2"));
  EXPECT_TRUE(schema.Schemas.Item(2).PreConditions.Empty());
  EXPECT_THAT(Items(schema.Schemas.Item(2).PostConditions), ElementsAre("\tkept"));
}

TEST(ParseClass, The32768thAttributeOverflows) {
  host::MemoryClass wide;
  wide.attributes.resize(32767);
  EXPECT_EQ(ZParser().ParseClass(wide).StateSchema.Declarations.Count(), 32767);
  wide.attributes.emplace_back();
  try {
    ZParser().ParseClass(wide);
    FAIL() << "expected the overflow error";
  } catch (const Error& error) {
    EXPECT_EQ(error.Number(), kOverflow);
  }
}

TEST(ParseRefinement, BothSidesAndTheRetrieveLines) {
  host::MemoryModel model;
  const auto& refines = testing::AddBufRefinement(model);
  zmodel::ZRCClass check;
  const ZParser parser;
  parser.ParseAbstractClass(check, refines.first.RoleClass());
  parser.ParseConcreteClass(check, refines.second.RoleClass());
  parser.ParseRetrieve(check, refines.TaggedValue("Tarn", "Retrieve"));
  EXPECT_EQ(check.Abstract.StateSchema.Declarations.Item(1).Name, "items");
  EXPECT_EQ(check.Concrete.StateSchema.Declarations.Item(1).Name, "arr");
  EXPECT_THAT(Items(check.Retrieve), ElementsAre("\\# items = n", "items = (1 \\upto n) \\dres arr"));
  parser.ParseRetrieve(check, "  \r\n");
  EXPECT_TRUE(check.Retrieve.Empty());
}

}  // namespace
}  // namespace tarn::parser
