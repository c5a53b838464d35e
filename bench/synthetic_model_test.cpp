// The benchmark models must measure what they claim: each format's file reads
// back, through Tarn's own readers, to the model it was written from, and the
// selected items make working checks.
#include "synthetic_model.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "modelfile/native/native_reader.hpp"
#include "modelfile/petal/petal_reader.hpp"
#include "modelfile/xmi/xmi_reader.hpp"
#include "native_text.hpp"
#include "objectz/generator.hpp"
#include "parser/z_parser.hpp"
#include "petal_text.hpp"
#include "visitor/z_visitor.hpp"
#include "xmi_text.hpp"
#include "zeves/z_generator.hpp"

namespace tarn::bench {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

constexpr const char* kTagNames[] = {"Invariant",      "Properties",    "isQuery",
                                     "Retrieve",       "TypeOfRoleA",   "TypeOfRoleB",
                                     "RoleAInvariant", "RoleBInvariant"};

void ExpectSameTags(const host::Element& expected, const host::Element& actual) {
  for (const char* tag : kTagNames)
    EXPECT_EQ(expected.TaggedValue(host::kTool, tag), actual.TaggedValue(host::kTool, tag))
        << expected.ElementName() << " tag " << tag;
}

void ExpectSameClass(const host::Class& expected, const host::Class& actual) {
  const std::string name = expected.ElementName();
  EXPECT_EQ(name, actual.ElementName());
  ExpectSameTags(expected, actual);
  const auto supers = expected.Superclasses(), readSupers = actual.Superclasses();
  ASSERT_EQ(supers.ItemCount(), readSupers.ItemCount()) << name;
  for (int i = 1; i <= supers.ItemCount(); ++i)
    EXPECT_EQ(supers.ItemAt(i).ElementName(), readSupers.ItemAt(i).ElementName()) << name;

  const auto attributes = expected.ClassAttributes(), readAttributes = actual.ClassAttributes();
  ASSERT_EQ(attributes.ItemCount(), readAttributes.ItemCount()) << name;
  for (int i = 1; i <= attributes.ItemCount(); ++i) {
    const auto &a = attributes.ItemAt(i), &b = readAttributes.ItemAt(i);
    EXPECT_EQ(a.ElementName(), b.ElementName()) << name;
    EXPECT_EQ(a.AttributeType(), b.AttributeType()) << name << "." << a.ElementName();
    EXPECT_EQ(a.InitialValue(), b.InitialValue()) << name << "." << a.ElementName();
    ExpectSameTags(a, b);
  }

  const auto operations = expected.ClassOperations(), readOperations = actual.ClassOperations();
  ASSERT_EQ(operations.ItemCount(), readOperations.ItemCount()) << name;
  for (int i = 1; i <= operations.ItemCount(); ++i) {
    const auto &a = operations.ItemAt(i), &b = readOperations.ItemAt(i);
    const std::string where = name + "." + a.ElementName();
    EXPECT_EQ(a.ElementName(), b.ElementName()) << where;
    EXPECT_EQ(a.ReturnType(), b.ReturnType()) << where;
    EXPECT_EQ(a.PreconditionText(), b.PreconditionText()) << where;
    EXPECT_EQ(a.PostconditionText(), b.PostconditionText()) << where;
    ExpectSameTags(a, b);
    const auto parameters = a.OperationParameters(), readParameters = b.OperationParameters();
    ASSERT_EQ(parameters.ItemCount(), readParameters.ItemCount()) << where;
    for (int k = 1; k <= parameters.ItemCount(); ++k) {
      EXPECT_EQ(parameters.ItemAt(k).ElementName(), readParameters.ItemAt(k).ElementName());
      EXPECT_EQ(parameters.ItemAt(k).ParameterType(), readParameters.ItemAt(k).ParameterType());
    }
  }
}

void ExpectSameRole(const host::Role& expected, const host::Role& actual) {
  EXPECT_EQ(expected.ElementName(), actual.ElementName());
  EXPECT_EQ(expected.RoleSupplierName(), actual.RoleSupplierName()) << expected.ElementName();
  EXPECT_EQ(expected.RoleCardinality(), actual.RoleCardinality()) << expected.ElementName();
  EXPECT_EQ(expected.RoleNavigable(), actual.RoleNavigable()) << expected.ElementName();
}

// The first class diagram of both models, compared through the host
// interface as the commands see it.
void ExpectSameDiagram(const host::Application& expected, const host::Application& actual) {
  const auto& diagram = host::FirstClassDiagram(expected);
  const auto& readDiagram = host::FirstClassDiagram(actual);
  EXPECT_EQ(diagram.ElementName(), readDiagram.ElementName());
  const auto classes = diagram.AllClasses(), readClasses = readDiagram.AllClasses();
  ASSERT_EQ(classes.ItemCount(), readClasses.ItemCount());
  for (int i = 1; i <= classes.ItemCount(); ++i)
    ExpectSameClass(classes.ItemAt(i), readClasses.ItemAt(i));
  const auto associations = diagram.ClassAssociations();
  const auto readAssociations = readDiagram.ClassAssociations();
  ASSERT_EQ(associations.ItemCount(), readAssociations.ItemCount());
  for (int i = 1; i <= associations.ItemCount(); ++i) {
    const auto &a = associations.ItemAt(i), &b = readAssociations.ItemAt(i);
    EXPECT_EQ(a.ElementName(), b.ElementName());
    ExpectSameTags(a, b);
    ExpectSameRole(a.FirstRole(), b.FirstRole());
    ExpectSameRole(a.SecondRole(), b.SecondRole());
  }
}

class ModelFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("tarn-bench-models-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = (folder_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  modelfile::PetalModel LoadPetal(const host::MemoryModel& model) {
    std::string warnings;
    auto loaded = modelfile::LoadPetalModel(Write("model.mdl", PetalModelText(model)), {},
                                            [&](const std::string& w) { warnings += w; });
    EXPECT_EQ(warnings, "");
    return loaded;
  }

  modelfile::XmiModel LoadXmi(const host::MemoryModel& model) {
    const XmiFiles files = XmiModelText(model, "model.uml");
    Write("model.notation", files.notation);
    std::string warnings;
    auto loaded = modelfile::LoadXmiModel(Write("model.uml", files.model), {},
                                          [&](const std::string& w) { warnings += w; });
    EXPECT_EQ(warnings, "");
    return loaded;
  }

  std::unique_ptr<host::MemoryApplication> LoadNative(const host::MemoryModel& model) {
    return modelfile::LoadNativeModel(Write("model.yaml", NativeModelText(model)));
  }

  fs::path folder_;
};

TEST_F(ModelFiles, SyntheticModelReadsBackFromEveryFormat) {
  host::MemoryApplication built;
  BuildSyntheticModel(built.model, 12);
  ASSERT_EQ(built.model.root.diagrams.front().associations.size(), 24u);

  const auto native = LoadNative(built.model);
  ExpectSameDiagram(built, *native);
  const auto selection = native->model.SelectedItems();
  ASSERT_EQ(selection.ItemCount(), 1);
  EXPECT_EQ(selection.ItemAt(1).ElementName(), kPropertyClass);

  const auto petal = LoadPetal(built.model);
  ExpectSameDiagram(built, *petal.app);
  ExpectSameDiagram(built, *LoadXmi(built.model).app);
}

// What the writers must get right beyond the synthetic texts: quotes,
// backslashes, TABs, unnamed elements, empty texts, a second diagram.
TEST_F(ModelFiles, AwkwardTextsReadBackExactly) {
  host::MemoryApplication built;
  auto& model = built.model;
  auto& first = model.classes.emplace_back();
  first.name = first.id = "Quote's";
  first.tags.Set("Invariant", "x = \"a\\b\"\r\n\tindented line\r\n\r\nafter a blank line");
  first.tags.Set("Properties", "%P\r\n x \\geq 0");
  auto& attribute = first.attributes.emplace_back();
  attribute.name = "x";
  attribute.type = "\\power \"T\"";
  attribute.initial = "\"\"";
  attribute.tags.Set("Invariant", "x \\neq \\{\\}");
  auto& operation = first.operations.emplace_back();
  operation.name = "Get";
  operation.result = "\\nat";
  operation.tags.Set("isQuery", "True");
  auto& parameter = operation.parameters.emplace_back();
  parameter.name = "";
  parameter.type = "\\seq X";
  auto& second = model.classes.emplace_back();
  second.name = second.id = "Other";
  second.superclasses.push_back(&first);
  auto& association = model.associations.emplace_back();
  association.id = "unnamed";
  association.first = {};
  association.first.supplier = &second;
  association.second.name = "back";
  association.second.supplier = &first;
  association.second.multiplicity = "0..n";
  association.second.navigable = true;
  association.tags.Set("RoleBInvariant", "\\# back \\leq 3");
  for (const char* name : {"Main", "Unused"}) {
    auto& diagram = model.root.diagrams.emplace_back();
    diagram.name = name;
    diagram.classes = {&second, &first};
    diagram.associations = {&association};
  }
  model.selection = {&association};

  ExpectSameDiagram(built, *LoadPetal(model).app);
  ExpectSameDiagram(built, *LoadXmi(model).app);

  const auto native = LoadNative(model);
  ExpectSameDiagram(built, *native);
  EXPECT_EQ(native->model.SelectedItems().ItemAt(1).IsKind("Association"), true);
}

TEST_F(ModelFiles, WritersRefuseTextsTheyCannotStateExactly) {
  host::MemoryModel model;
  auto& cls = model.classes.emplace_back();
  cls.name = cls.id = "A";
  model.root.diagrams.emplace_back().classes = {&cls};

  cls.tags.Set("Invariant", "ends with a line break\r\n");
  EXPECT_THROW(NativeModelText(model), std::invalid_argument);
  EXPECT_NO_THROW(PetalModelText(model));
  cls.tags.entries[0].value = " starts with a blank\r\nsecond";
  EXPECT_THROW(NativeModelText(model), std::invalid_argument);
  for (const char* text : {"bare\nline feed", "bare\rreturn", "caf\xe9"}) {
    cls.tags.entries[0].value = text;
    EXPECT_THROW(NativeModelText(model), std::invalid_argument) << text;
    EXPECT_THROW(PetalModelText(model), std::invalid_argument) << text;
    EXPECT_THROW(XmiModelText(model, "model.uml"), std::invalid_argument) << text;
  }
}

TEST(SyntheticModel, SelectedItemsMakeWorkingChecks) {
  host::MemoryApplication app;
  BuildSyntheticModel(app.model, 10);
  const parser::ZParser parser;
  const visitor::ZVisitor visitor;

  const host::Class& cls = ClassNamed(app.model, kPropertyClass);
  zmodel::ZPCClass property;
  property.Schema = parser.ParseClass(cls);
  parser.ParseProperties(property, cls.TaggedValue(host::kTool, "Properties"));
  visitor.VisitPC(property);
  const std::string pc = zeves::ZGenerator().PCSpecificationText(property);
  EXPECT_THAT(pc, HasSubstr("Bounded"));
  EXPECT_THAT(pc, HasSubstr("Known"));

  const host::Association& pair = AssociationNamed(app.model, kRefinementAssociation);
  zmodel::ZRCClass refinement;
  parser.ParseAbstractClass(refinement, pair.FirstRole().RoleClass());
  parser.ParseConcreteClass(refinement, pair.SecondRole().RoleClass());
  parser.ParseRetrieve(refinement, pair.TaggedValue(host::kTool, "Retrieve"));
  visitor.VisitRC(refinement);  // raises 1004 unless the operations pair up
  const std::string rc = zeves::ZGenerator().RCSpecificationText(refinement);
  for (const char* operation : {"Add", "Take", "Store", "Drop", "Reset"}) {
    EXPECT_THAT(rc, HasSubstr(std::string(operation) + "ApplTheorem"));
    EXPECT_THAT(rc, HasSubstr(std::string(operation) + "CorrTheorem"));
  }

  const std::string oz = objectz::Generator().DocumentText(app);
  EXPECT_THAT(oz, HasSubstr("C9"));
  EXPECT_THAT(oz, HasSubstr("ITEM9"));
}

}  // namespace
}  // namespace tarn::bench
