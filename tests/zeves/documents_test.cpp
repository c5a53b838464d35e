// The Z/EVES documents of small models, each model showing rules of the
// translation (its comment says which): the property check of the selected
// class or the refinement check of the selected association, read by the
// parser, visited and written, compared byte for byte with golden documents.
#include <gtest/gtest.h>

#include "parser/z_parser.hpp"
#include "support/models.hpp"
#include "visitor/z_visitor.hpp"
#include "zeves/z_generator.hpp"

namespace tarn::testing {
namespace {

// Writes the check of the model's selected item to `path`.
void WriteCheck(const host::Application& app, const std::string& path) {
  const auto& item = app.ActiveModel().SelectedItems().ItemAt(1);
  const parser::ZParser parser;
  if (const auto* roseClass = dynamic_cast<const host::Class*>(&item)) {
    zmodel::ZPCClass check;
    check.Schema = parser.ParseClass(*roseClass);
    parser.ParseProperties(check, roseClass->TaggedValue(host::kTool, "Properties"));
    visitor::ZVisitor().VisitPC(check);
    zeves::ZGenerator().GeneratePCSpecification(check, path);
    return;
  }
  const auto& association = dynamic_cast<const host::Association&>(item);
  zmodel::ZRCClass check;
  parser.ParseAbstractClass(check, association.FirstRole().RoleClass());
  parser.ParseConcreteClass(check, association.SecondRole().RoleClass());
  parser.ParseRetrieve(check, association.TaggedValue(host::kTool, "Retrieve"));
  visitor::ZVisitor().VisitRC(check);
  zeves::ZGenerator().GenerateRCSpecification(check, path);
}

class DocumentsTest : public ScratchTest {};

TEST_F(DocumentsTest, EveryModelGivesItsGoldenDocument) {
  for (const char* name :
       {"bare_class", "declarations", "operation_flags", "refinement_obligations", "empty_retrieve"}) {
    SCOPED_TRACE(name);
    WriteBytes(PathOf("check.zed"), std::string(5000, 'x'));
    WriteCheck(*LoadModel("tests/zeves/data/" + std::string(name) + ".yaml"), PathOf("check.zed"));
    EXPECT_EQ(ReadBytes(PathOf("check.zed")), Golden("zeves/" + std::string(name) + ".zed"));
  }
  EXPECT_EQ(Entries(), std::vector<std::string>{"check.zed"});
}

// The markup fields of the writer are its own: what a caller puts there
// never reaches a document.
TEST(ZGenerator, CallerMarkupNeverReachesTheFile) {
  zmodel::ZPCClass check;
  check.Schema.Name = check.Schema.StateSchema.Name = "Counter";
  zeves::ZGenerator generator;
  generator.beginSchema = "\\begin{box}";
  generator.defs = " == ";
  const auto text = generator.PCSpecificationText(check);
  EXPECT_NE(text.find("\\begin{schema}{Counter}"), std::string::npos);
  EXPECT_EQ(text.find("box"), std::string::npos);
  EXPECT_EQ(generator.beginSchema, "\\begin{schema}");
}

}  // namespace
}  // namespace tarn::testing
