// The Object-Z documents of small models, each model showing rules of the
// translation (its comment says which), compared byte for byte with their
// golden documents.
#include <gtest/gtest.h>

#include <optional>

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
    std::optional<FrontMatter> typeset = std::nullopt;
    const char* golden = nullptr;  // under tests/golden/objectz/; the model's name when not given
  } rows[] = {
      {"empty_diagram"}, {"first_diagram_only"}, {"class_listed_twice"}, {"inherit_line"},
      {"attribute_separators"}, {"initial_state_integers"}, {"initial_state_per_class"}, {"delta_list"},
      {"operation_schemas"}, {"roles_at_either_end"}, {"own_role_navigable"}, {"self_association"},
      {"roles_by_class_name"},
      {"empty_diagram", FrontMatter{}, "empty_diagram_typeset"},
      {"typeset_front_matter", FrontMatter{"", "", "June 2024"}},
      {"typeset_state_rows", FrontMatter{}},
      {"typeset_boxes", FrontMatter{}},
      {"typeset_standard", FrontMatter{}},
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
    EXPECT_EQ(ReadBytes(output), Golden("objectz/" + std::string(row.golden ? row.golden : row.model) + ".tex"));
  }
  EXPECT_EQ(Entries(), std::vector<std::string>{"model.tex"});
}

}  // namespace
}  // namespace tarn::testing
