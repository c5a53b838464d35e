// Rose models through the program: the worked examples as Rose writes them,
// and the dump of models whose units are not all there.
#include <gmock/gmock.h>

#include <filesystem>

#include "cli/run_tarn.hpp"

namespace tarn::testing {
namespace {

using ::testing::HasSubstr;

std::string Golden(const std::string& name) {
  return Slurp(std::string(TARN_GOLDEN_DIR) + "/" + name);
}

const char* const kSucceeded = "The specification was generated successfully.\nWritten to doc.out\n";

class PetalCommandsTest : public TarnRun {
 protected:
  // Copies corpus file `corpus` into the test's folder as `name`, the name it
  // has beside the files that refer to it.
  std::string FromCorpus(const std::string& corpus, const std::string& name) {
    std::filesystem::copy_file(std::string(TARN_SOURCE_DIR) + "/../shared/corpus/rose/" + corpus,
                               Path(name));
    return Path(name).string();
  }
};

// Each Rose example gives the document of its native twin byte for byte, and
// so does its dump: the dump states every text exactly.
TEST_F(PetalCommandsTest, WorkedExamplesByteForByte) {
  const struct {
    const char* command;
    const char* model;
    std::vector<std::string> select;      // in the Rose model
    std::vector<std::string> dumpSelect;  // in its dump, where ids are quids
    const char* golden;
  } examples[] = {
      {"property-check", "rose/register.mdl", {"--select", "Reg"}, {"--select", "3A5F0C1E0010"},
       "zeves/reg_property_check.zed"},
      {"refinement-check", "rose/buffer.mdl", {"--select", "refines"},
       {"--select", "3A5F0D200030"}, "zeves/buf_refinement_check.zed"},
      {"objectz", "rose/bank.mdl", {}, {}, "objectz/bank_account.tex"},
  };
  for (const auto& example : examples) {
    SCOPED_TRACE(example.model);
    std::vector<std::string> args{example.command, Example(example.model)};
    args.insert(args.end(), example.select.begin(), example.select.end());
    args.insert(args.end(), {"-o", "doc.out", "--no-run"});
    auto result = Run(args);
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out, kSucceeded);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(Slurp(Path("doc.out")), Golden(example.golden));
    std::filesystem::remove(Path("doc.out"));

    const auto dump = Run({"dump", Example(example.model)});
    ASSERT_EQ(dump.code, 0) << dump.err;
    args = {example.command, Write("dump.yaml", dump.out)};
    args.insert(args.end(), example.dumpSelect.begin(), example.dumpSelect.end());
    args.insert(args.end(), {"-o", "doc.out", "--no-run"});
    result = Run(args);
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(Slurp(Path("doc.out")), Golden(example.golden)) << "from the dump";
    std::filesystem::remove(Path("doc.out"));
  }
}

// Models whose diagrams show classes and associations lying in units that are
// not there: the dump keeps the classes by id and name, leaves out the
// associations, and reads back to the same bytes.
TEST_F(PetalCommandsTest, DumpOfAModelWithMissingUnits) {
  if (!std::filesystem::is_directory(std::string(TARN_SOURCE_DIR) + "/../shared/corpus/rose"))
    GTEST_SKIP() << "the Rose corpus is not beside the repository";
  const struct {
    std::string model;
    std::string warning;  // "" for none
    std::string kept;     // a line of the dump
  } models[] = {
      // The unit of package catC is missing; the diagram shows its ClassC.
      {FromCorpus("C19-sgtest2018-09.mdl", "sgtest2018-09.mdl"),
       "unit \"$CRS_HOME\\sgtest2018-09-C.cat\" of package Logical View::com::bitplan::catC not "
       "found",
       "    classes: [\"5B97A8DD0075\", \"5B97A90901D2\", "
       "\"Logical View::com::bitplan::catC::ClassC\"]\n"},
      // A unit loaded on its own: its diagram shows ten associations, all of
      // them in other units.
      {FromCorpus("C09-SQLModel-Tables.cat", "SQLModel-Tables.cat"), "",
       "    associations: []\nclasses:\n"},
      // Twelve of its thirteen units are missing; superclasses lie in them.
      {FromCorpus("C11-j2ee.mdl", "j2ee.mdl"),
       "unit \"$WORKSPACE_ROOT\\org.eclipse.emf.ecore\\model\\org.eclipse.emf.Ecore.cat\" of "
       "package Logical View::ecore not found",
       "  - id: \"Logical View::common::EnvEntry\"\n    name: \"EnvEntry\"\n"},
  };
  FromCorpus("C20-sgtest2018-09-B.cat", "sgtest2018-09-B.cat");
  FromCorpus("C10-ejbschema.cat", "ejbschema.cat");
  for (const auto& model : models) {
    SCOPED_TRACE(model.model);
    const auto first = Run({"dump", model.model});
    ASSERT_EQ(first.code, 0) << first.err;
    if (model.warning.empty())
      EXPECT_EQ(first.err, "");
    else
      EXPECT_THAT(first.err, HasSubstr(model.warning));
    EXPECT_THAT(first.out, HasSubstr(model.kept));
    const auto second = Run({"dump", Write("dump.yaml", first.out)});
    EXPECT_EQ(second.code, 0) << second.err;
    EXPECT_EQ(second.err, "");
    EXPECT_EQ(second.out, first.out);
  }
}

}  // namespace
}  // namespace tarn::testing

namespace tarn::testing {
namespace {

// The library model keeps its root diagram empty and draws its classes on a
// diagram of the same name in the package "library".
TEST_F(PetalCommandsTest, DiagramOfAPackageByItsQualifiedName) {
  if (!std::filesystem::is_directory(std::string(TARN_SOURCE_DIR) + "/../shared/corpus/rose"))
    GTEST_SKIP() << "the Rose corpus is not beside the repository";
  const auto model = FromCorpus("C03-library.mdl", "library.mdl");
  auto result = Run({"objectz", model, "-o", "root.tex"});
  ASSERT_EQ(result.code, 0) << result.err;
  EXPECT_THAT(Slurp(Path("root.tex")), ::testing::Not(HasSubstr("\\begin{class}")));

  for (const char* name : {"library::Main", "Logical View::library::Main"}) {
    result = Run({"objectz", model, "--diagram", name, "-o", "library.tex"});
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_THAT(Slurp(Path("library.tex")), HasSubstr("\\begin{class}{Library}"));
  }

  result = Run({"objectz", model, "--diagram", "Main", "-o", "x.tex"});
  EXPECT_EQ(result.code, 2);
  EXPECT_THAT(result.err, HasSubstr("\n  Logical View::Main\n  Logical View::library::Main\n"));
}

}  // namespace
}  // namespace tarn::testing

namespace tarn::testing {
namespace {

const char* const kPetalHeader = "\n(object Petal\n    version    \t50\n    charSet    \t0)\n\n";

// A package kept in a unit file of its own, holding one class and stubs for
// other units; each stub is {file name as Rose writes it, quid}.
std::string UnitFile(const std::string& name, const std::string& quid,
                     const std::vector<std::pair<std::string, std::string>>& stubs) {
  std::string text = std::string(kPetalHeader) + "(object Class_Category \"" + name + "\"\n    quid \"" + quid +
                     "\"\n    logical_models (list unit_reference_list\n\t(object Class \"Class_" + name +
                     "\" quid \"C" + quid + "\")\n";
  int n = 0;
  for (const auto& [file, unit] : stubs)
    text += "\t(object Class_Category \"" + name + "_stub" + std::to_string(++n) +
            "\" is_unit TRUE is_loaded FALSE\n\t    file_name \"" + file + "\" quid \"" + unit + "\")\n";
  return text + "))\n";
}

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// Units that reach each other through paths spelled in different ways are
// loaded once each, whatever the spelling: they used to load again and
// again, or twice as often at every level, until memory ran out.
TEST_F(PetalCommandsTest, UnitsThatReachEachOtherLoadOnceEach) {
  const struct {
    const char* name;
    std::map<std::string, std::string> files;  // name -> text; the first is the model
    std::size_t classes;                       // classes of the dump, each once
    std::size_t alreadyLoaded;                 // warnings "is already loaded"
  } cases[] = {
      {"a ring through $CURDIR\\..",
       {{"pkg/a.cat", UnitFile("a", "U1", {{"$CURDIR\\\\..\\\\pkg\\\\b.cat", "U2"}})},
        {"pkg/b.cat", UnitFile("b", "U2", {{"$CURDIR\\\\..\\\\pkg\\\\a.cat", "U1"}})}},
       2, 1},
      {"a unit that names itself",
       {{"dir/a.cat", UnitFile("a", "U1", {{".\\\\a.cat", "U1"}, {"..\\\\dir\\\\a.cat", "U1"}})}}, 1, 2},
      {"two spellings at every level",
       {{"a.cat", UnitFile("a", "U1", {{"$CURDIR\\\\b.cat", "U2"}, {".\\\\b.cat", "U2"}})},
        {"b.cat", UnitFile("b", "U2", {{"$CURDIR\\\\.\\\\a.cat", "U1"}, {"A.CAT", "U1"}})}},
       2, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    for (const auto& [name, text] : c.files) {
      std::filesystem::create_directories(Path(name).parent_path());
      Write(name, text);
    }
    // A CPU limit turns a load that never ends into a failure.
    const auto result = RunLimited("--cpu=60", {"dump", c.files.begin()->first});
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(Count(result.out, "    name: \"Class_"), c.classes) << result.out.substr(0, 2000);
    EXPECT_EQ(Count(result.err, "is already loaded from"), c.alreadyLoaded) << result.err;
  }
}

// Many missing units and many unit names whose case differs from the files:
// every warning has its own line and column, and every unit is found. Each
// warning used to count lines from the start of the file, and each name to
// list the whole folder again (see bench/unit_lookup_bench.cpp).
TEST_F(PetalCommandsTest, ManyMissingUnitsAndUnitNamesOfAnotherCase) {
  constexpr int kUnits = 2000;
  std::filesystem::create_directories(Path("units"));
  for (int i = 0; i < 4 * kUnits; ++i) Write("units/other" + std::to_string(i) + ".cat", "");
  std::vector<std::pair<std::string, std::string>> stubs;
  for (int i = 0; i < kUnits; ++i) {
    const auto n = std::to_string(i);
    Write("units/Found" + n + ".cat", UnitFile("f" + n, "F" + n, {}));
    stubs.push_back({"$CURDIR\\\\UNITS\\\\fOUND" + n + ".CAT", "F" + n});
    stubs.push_back({"$CURDIR\\\\missing" + n + ".cat", "M" + n});
  }
  const auto result = Run({"dump", Write("model.cat", UnitFile("m", "U0", stubs))});
  ASSERT_EQ(result.code, 0) << result.err;
  EXPECT_EQ(Count(result.out, "  - id: \"CF"), static_cast<std::size_t>(kUnits));
  // The stub of missing unit i is on line 12 + 4 * i of the model file, its
  // kind word in column 10.
  std::istringstream warnings(result.err);
  std::string line;
  for (int i = 0; i < kUnits; ++i) {
    ASSERT_TRUE(std::getline(warnings, line));
    EXPECT_THAT(
        line, ::testing::StartsWith("tarn: " + Path("model.cat").string() + ":" + std::to_string(12 + 4 * i) +
                                    ":10: warning: unit \"$CURDIR\\missing" + std::to_string(i) + ".cat\""));
  }
  EXPECT_FALSE(std::getline(warnings, line)) << line;
}

}  // namespace
}  // namespace tarn::testing
