#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "visitor/z_visitor.hpp"

namespace tarn::visitor {
namespace {

using ::testing::ElementsAre;

zmodel::ZSchema ClassWith(const std::string& name, std::initializer_list<const char*> operations) {
  zmodel::ZSchema schema;
  schema.Name = schema.StateSchema.Name = name;
  for (const char* operationName : operations) {
    zmodel::Schema operation;
    operation.Name = operationName;
    schema.Schemas.Add(operation);
  }
  return schema;
}

std::vector<std::string> TheoremNames(const zmodel::ZRCClass& check) {
  std::vector<std::string> names;
  for (const auto& theorem : check.Theorems) names.push_back(theorem.Name);
  return names;
}

std::int32_t Visit(zmodel::ZRCClass& check) {
  try {
    ZVisitor().VisitRC(check);
  } catch (const Error& error) {
    return error.Number();
  }
  return 0;
}

TEST(VisitRC, TheoremsFollowTheAbstractOrder) {
  zmodel::ZRCClass check;
  check.Abstract = ClassWith("Stack", {"Push", "Pop"});
  check.Concrete = ClassWith("Stack", {"Pop", "Push"});
  ASSERT_EQ(Visit(check), 0);
  EXPECT_THAT(TheoremNames(check),
              ElementsAre("InitTheorem", "PushApplTheorem", "PushCorrTheorem", "PopApplTheorem", "PopCorrTheorem"));
  EXPECT_THAT(std::vector<std::string>(check.Theorems.Item(1).Theorem.begin(), check.Theorems.Item(1).Theorem.end()),
              ElementsAre("InitC \\land Retrieve' \\implies InitA"));
  EXPECT_EQ(check.Theorems.Item(2).Theorem.Item(1), "\\pre PushA \\land Retrieve \\implies \\pre PushC");
  EXPECT_EQ(check.Theorems.Item(3).Theorem.Item(1),
            "\\pre PushA \\land Retrieve \\land PushC \\land Retrieve' \\implies PushA");
}

TEST(VisitRC, MismatchedOperationsKeepTheTheoremsAppendedSoFar) {
  zmodel::ZRCClass counts;
  counts.Abstract = ClassWith("A", {"Push", "Pop"});
  counts.Concrete = ClassWith("C", {"Push", "Pop", "Top"});
  EXPECT_EQ(Visit(counts), kOperationsDiffer);
  EXPECT_THAT(TheoremNames(counts), ElementsAre("InitTheorem"));

  zmodel::ZRCClass missing;
  missing.Abstract = ClassWith("A", {"Push", "Pop"});
  missing.Concrete = ClassWith("C", {"Push", "Top"});
  EXPECT_EQ(Visit(missing), kOperationsDiffer);
  EXPECT_THAT(TheoremNames(missing), ElementsAre("InitTheorem", "PushApplTheorem", "PushCorrTheorem"));

  zmodel::ZRCClass letterCase;
  letterCase.Abstract = ClassWith("A", {"Push"});
  letterCase.Concrete = ClassWith("C", {"push"});
  EXPECT_EQ(Visit(letterCase), kOperationsDiffer);
  EXPECT_THAT(TheoremNames(letterCase), ElementsAre("InitTheorem"));
}

TEST(VisitRC, GivenSetsOfBothClassesInScanOrder) {
  zmodel::ZRCClass check;
  check.Abstract = ClassWith("A", {"Op"});
  check.Concrete = ClassWith("C", {"Op"});
  check.Abstract.StateSchema.Declarations.Add({"s", "\\seq X"});
  check.Concrete.StateSchema.Declarations.Add({"f", "\\nat \\fun Y"});
  zmodel::Schema abstractOp;
  abstractOp.Name = "Op";
  abstractOp.Declarations.Add({"z?", "Z"});
  check.Abstract.Schemas = {};
  check.Abstract.Schemas.Add(abstractOp);
  zmodel::Schema concreteOp = abstractOp;
  concreteOp.Declarations.Add({"w?", "W \\cross X"});
  check.Concrete.Schemas = {};
  check.Concrete.Schemas.Add(concreteOp);
  ASSERT_EQ(Visit(check), 0);
  EXPECT_THAT(std::vector<std::string>(check.GivenSets.begin(), check.GivenSets.end()),
              ElementsAre("X", "Y", "Z", "W"));
}

TEST(VisitRC, EmptyConcreteTypeRaises1005AfterTheTheorems) {
  zmodel::ZRCClass check;
  check.Abstract = ClassWith("A", {});
  check.Concrete = ClassWith("C", {});
  check.Concrete.StateSchema.Declarations.Add({"n", ""});
  EXPECT_EQ(Visit(check), kMissingType);
  EXPECT_THAT(TheoremNames(check), ElementsAre("InitTheorem"));
}

}  // namespace
}  // namespace tarn::visitor

namespace tarn::visitor {
namespace {

TEST(VisitRC, QueryAndDefinitionOperationsGetBothTheorems) {
  zmodel::ZRCClass check;
  check.Abstract = ClassWith("A", {});
  zmodel::Schema query;
  query.Name = "Peek";
  query.isQuery = true;
  zmodel::Schema definition;
  definition.Name = "Full";
  definition.isDefinition = true;
  check.Abstract.Schemas.Add(query);
  check.Abstract.Schemas.Add(definition);
  check.Concrete = check.Abstract;
  ASSERT_EQ(Visit(check), 0);
  EXPECT_THAT(TheoremNames(check), ElementsAre("InitTheorem", "PeekApplTheorem", "PeekCorrTheorem",
                                               "FullApplTheorem", "FullCorrTheorem"));
}

}  // namespace
}  // namespace tarn::visitor
