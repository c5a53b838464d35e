// The Object-Z documents of small models, each model showing rules of the
// translation (its comment says which), compared byte for byte with their
// golden documents.
#include <gtest/gtest.h>

#include <optional>

#include "common/error.hpp"
#include "objectz/generator.hpp"
#include "support/models.hpp"

namespace tarn::testing {
namespace {

using objectz::FrontMatter;

class DocumentsTest : public ScratchTest {};

// One generator writes every row's document over the previous row's file,
// which also shows that a run starts afresh and replaces a longer file.
TEST_F(DocumentsTest, EveryModelGivesItsGoldenDocument) {
  const struct {
    const char* model;  // under tests/objectz/data/, or a path from the source folder
    std::optional<FrontMatter> typeset;
    const char* golden;  // under tests/golden/objectz/
  } rows[] = {
      {"empty_diagram", std::nullopt, "empty_diagram"},
      {"first_diagram_only", std::nullopt, "first_diagram_only"},
      {"class_listed_twice", std::nullopt, "class_listed_twice"},
      {"inherit_line", std::nullopt, "inherit_line"},
      {"attribute_separators", std::nullopt, "attribute_separators"},
      {"initial_state_integers", std::nullopt, "initial_state_integers"},
      {"initial_state_per_class", std::nullopt, "initial_state_per_class"},
      {"delta_list", std::nullopt, "delta_list"},
      {"operation_schemas", std::nullopt, "operation_schemas"},
      {"roles_at_either_end", std::nullopt, "roles_at_either_end"},
      {"own_role_navigable", std::nullopt, "own_role_navigable"},
      {"self_association", std::nullopt, "self_association"},
      {"roles_by_class_name", std::nullopt, "roles_by_class_name"},
      {"empty_diagram", FrontMatter{}, "empty_diagram_typeset"},
      {"typeset_front_matter", FrontMatter{"", "", "June 2024"}, "typeset_front_matter"},
      {"typeset_state_rows", FrontMatter{}, "typeset_state_rows"},
      {"typeset_boxes", FrontMatter{}, "typeset_boxes"},
      {"examples/bank.yaml", FrontMatter{}, "bank_account_typeset"},
  };
  const auto output = PathOf("model.tex");
  WriteBytes(output, std::string(5000, 'x'));
  objectz::Generator generator;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.model);
    const std::string model = row.model;
    const auto app = LoadModel(model.find('/') == std::string::npos ? "tests/objectz/data/" + model + ".yaml" : model);
    generator.typeset = row.typeset;
    generator.Generate(*app, output);
    EXPECT_EQ(ReadBytes(output), Golden("objectz/" + std::string(row.golden) + ".tex"));
  }
  EXPECT_EQ(Entries(), std::vector<std::string>{"model.tex"});
}

// 20480 distinct type names overflow the given-set table.
TEST_F(DocumentsTest, ErrorDuringTheWalkLeavesThePreviousFileUntouched) {
  host::MemoryApplication app;
  auto& wide = app.model.classes.emplace_back();
  app.model.root.diagrams.emplace_back().classes.push_back(&wide);
  for (int i = 0; i < 20480; ++i) wide.attributes.emplace_back().type = "T" + std::to_string(i);
  WriteBytes(PathOf("model.tex"), "previous");
  try {
    objectz::Generator().Generate(app, PathOf("model.tex"));
    FAIL() << "expected an overflow";
  } catch (const Error& error) {
    EXPECT_EQ(error.Number(), kOverflow);
  }
  EXPECT_EQ(ReadBytes(PathOf("model.tex")), "previous");
  EXPECT_EQ(Entries(), std::vector<std::string>{"model.tex"});
}

}  // namespace
}  // namespace tarn::testing
