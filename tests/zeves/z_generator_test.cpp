#include "zeves/z_generator.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "support/worked_examples.hpp"

namespace tarn::zeves {
namespace {

constexpr const char* kPreamble =
    "\\documentclass{article}\r\n\r\n\\usepackage{z-eves}\r\n\\usepackage[latin1]{inputenc}\r\n\r\n"
    "\\begin{document}\r\n\r\n";

zmodel::Schema Operation(const std::string& name, std::initializer_list<const char*> pre,
                         std::initializer_list<const char*> post) {
  zmodel::Schema operation;
  operation.Name = name;
  for (const char* line : pre) operation.PreConditions.Add(line);
  for (const char* line : post) operation.PostConditions.Add(line);
  return operation;
}

zmodel::ZPCClass CounterCheck() {
  zmodel::ZPCClass check;
  check.Schema.Name = check.Schema.StateSchema.Name = "Counter";
  check.Schema.InitSchema.Name = "Init";
  return check;
}

TEST(ZGenerator, BareClassWithoutGivenSetsOrTheorems) {
  auto check = CounterCheck();
  check.Schema.Schemas.Add(Operation("Tick", {}, {}));
  auto query = Operation("Peek", {"a", "b"}, {});
  query.isQuery = true;
  check.Schema.Schemas.Add(query);
  EXPECT_EQ(ZGenerator().PCSpecificationText(check),
            std::string(kPreamble) +
                "\r\n"
                "\\begin{schema}{Counter}\r\n\\end{schema}\r\n\r\n"
                "\\begin{schema}{Init}\r\n    Counter'\r\n\\end{schema}\r\n\r\n"
                "\\begin{schema}{Tick}\r\n    \\Delta Counter\\end{schema}\r\n\r\n"
                "\\begin{schema}{Peek}\r\n    \\Xi Counter\\where\r\n    a \\\\\r\n    b\r\n\\end{schema}\r\n\r\n"
                "\\end{document}\r\n");
}

TEST(ZGenerator, CallerMarkupNeverReachesTheFile) {
  ZGenerator generator;
  generator.beginSchema = "\\begin{box}";
  generator.defs = " == ";
  const auto text = generator.PCSpecificationText(CounterCheck());
  EXPECT_NE(text.find("\\begin{schema}{Counter}"), std::string::npos);
  EXPECT_EQ(text.find("box"), std::string::npos);
  EXPECT_EQ(generator.beginSchema, "\\begin{schema}");
}

TEST(ZGenerator, EmptyRetrieveSchemaOnlyIncludesBothStates) {
  zmodel::ZRCClass check;
  check.Abstract.Name = check.Abstract.StateSchema.Name = "S";
  check.Concrete.Name = check.Concrete.StateSchema.Name = "S";
  check.Abstract.InitSchema.Name = check.Concrete.InitSchema.Name = "Init";
  const auto text = ZGenerator().RCSpecificationText(check);
  EXPECT_NE(text.find("\\begin{schema}{SA}\r\n"), std::string::npos);
  EXPECT_NE(text.find("\\begin{schema}{InitC}\r\n    SC'\r\n"), std::string::npos);
  const std::string retrieve = "\\begin{schema}{Retrieve}\r\n    SA \\\\\r\n    SC\r\n\\end{schema}\r\n\r\n";
  EXPECT_EQ(text.substr(text.size() - retrieve.size() - 16), retrieve + "\\end{document}\r\n");
}

class DefinitionFile : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = (std::filesystem::temp_directory_path() / ("tarn-def-" + std::to_string(::getpid()) + ".zed")).string();
    std::ofstream(path_) << "previous";
  }
  void TearDown() override { std::filesystem::remove(path_); }

  void ExpectRefused(const zmodel::Schema& definition) {
    auto check = CounterCheck();
    check.Schema.Schemas.Add(definition);
    try {
      ZGenerator().GeneratePCSpecification(check, path_);
      FAIL() << "expected 1010";
    } catch (const Error& error) {
      EXPECT_EQ(error.Number(), kMalformedDefinition);
      EXPECT_NE(error.Description().find(definition.Name), std::string::npos);
    }
    EXPECT_EQ(testing::ReadFileBytes(path_), "previous");
  }
  std::string path_;
};

TEST_F(DefinitionFile, MalformedDefinitionsLeaveTheFileUntouched) {
  auto twoPosts = Operation("Two", {}, {"a", "b"});
  twoPosts.isDefinition = true;
  ExpectRefused(twoPosts);
  auto withPre = Operation("Pre", {"p"}, {"a"});
  withPre.isDefinition = true;
  ExpectRefused(withPre);
  auto none = Operation("None", {}, {});
  none.isDefinition = true;
  ExpectRefused(none);
}

TEST_F(DefinitionFile, WellFormedDefinitionIgnoresDeclarationsAndQuery) {
  auto check = CounterCheck();
  auto full = Operation("Full", {}, {"Add \\semi Clear"});
  full.isDefinition = full.isQuery = true;
  full.Declarations.Add({"x?", "X"});
  check.Schema.Schemas.Add(full);
  ZGenerator().GeneratePCSpecification(check, path_);
  const auto text = testing::ReadFileBytes(path_);
  EXPECT_NE(text.find("\\begin{zed}\r\n    Full \\defs Add \\semi Clear\r\n\\end{zed}\r\n\r\n\\end{document}"),
            std::string::npos);
  EXPECT_EQ(text.find("x?"), std::string::npos);
}

}  // namespace
}  // namespace tarn::zeves
