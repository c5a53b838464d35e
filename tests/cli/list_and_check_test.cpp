// tarn list, tarn check and the batch runs (--all) through the program.
#include <gmock/gmock.h>

#include "cli/run_tarn.hpp"

namespace tarn::testing {
namespace {

using ::testing::HasSubstr;

std::string Golden(const std::string& name) { return Slurp(std::string(TARN_GOLDEN_DIR) + "/" + name); }

// Two classes share a name, one fails the property check, one has no
// Properties; two diagrams.
constexpr const char* kBatchModel = R"(tarn-model: 1
diagrams:
  - { name: Main, classes: [A, B] }
  - { name: Other, classes: [Bad] }
classes:
  - { id: A, name: Same, tags: { Properties: "%P\nx = x" }, attributes: [{ name: x, type: X }] }
  - { id: B, name: Same, tags: { Properties: "%Q\ny = y" } }
  - { name: Bad, tags: { Properties: "%R" }, attributes: [{ name: z }] }
  - { name: Plain }
associations:
  - { id: link, roles: [{ class: A }, { class: B }] }
)";

class ListAndCheckTest : public TarnRun {};

TEST_F(ListAndCheckTest, ListingOfEachFormat) {
  const struct {
    std::vector<std::string> args;
    const char* out;
  } cases[] = {
      {{"list", Example("register.yaml")},
       "class    Reg   Properties  Logical View::Reg\n"
       "diagram  Main  1 class     Logical View::Main\n"},
      {{"list", Example("rose/buffer.mdl")},
       "class        3A5F0D200011  -          Logical View::Abstract::Buf\n"
       "class        3A5F0D200021  -          Logical View::Concrete::Buf\n"
       "association  3A5F0D200030  Retrieve   Logical View::refines\n"
       "diagram      Refinement    2 classes  Logical View::Refinement\n"},
      {{"list", "batch.yaml"},
       "class        A      Properties  Logical View::Same\n"
       "class        B      Properties  Logical View::Same\n"
       "class        Bad    Properties  Logical View::Bad\n"
       "class        Plain  -           Logical View::Plain\n"
       "association  link   -           Logical View::(link)\n"
       "diagram      Main   2 classes   Logical View::Main\n"
       "diagram      Other  1 class     Logical View::Other\n"},
      {{"list", "batch.yaml", "--diagram", "Other"},
       "class    Bad    Properties  Logical View::Bad\n"
       "diagram  Other  1 class     Logical View::Other\n"},
      {{"list", "batch.yaml", "--ids"}, "A\nB\nBad\nPlain\nlink\n"},
      {{"list", "batch.yaml", "--diagram-names"}, "Main\nOther\n"},
      {{"list", Example("rose/bank.mdl"), "--ids"}, "3A5F0E410010\n3A5F0E410020\n3A5F0E410030\n"},
  };
  Write("batch.yaml", kBatchModel);
  for (const auto& c : cases) {
    const auto result = Run(c.args);
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.err, "");
  }
}

// The library model of the corpus keeps its classes in a package, drawn on
// a diagram of the same name as the root's empty one.
TEST_F(ListAndCheckTest, ListingOfPackagesAndDiagramsOfTheSameName) {
  const std::string corpus = std::string(TARN_SOURCE_DIR) + "/../shared/corpus/rose/C03-library.mdl";
  if (!std::filesystem::exists(corpus)) GTEST_SKIP() << "the Rose corpus is not beside the repository";
  const auto result = Run({"list", corpus, "--diagram-names"});
  EXPECT_EQ(result.out, "Main\nlibrary::Main\n");
  EXPECT_THAT(Run({"list", corpus}).out, HasSubstr("Logical View::library::Library\n"));
}

TEST_F(ListAndCheckTest, CheckReportsWhatTheCommandsWouldAndWarns) {
  const auto model = Write("model.yaml", R"(tarn-model: 1
selection: [r2]
diagrams:
  - name: Empty
classes:
  - name: C
    tags: { Properties: "%P\nx = x", invariant: "x > 0" }
    attributes:
      - { name: x, type: X }
    operations:
      - { name: Op, tags: { IsQuery: "True" } }
      - { name: Op, tags: { isDefinition: "yes" } }
      - { name: "my op" }
  - name: D-1
    attributes: [{ name: y }]
associations:
  - { id: r, roles: [{ class: C }, { class: D-1 }], tags: { Retrieve: "x = y" } }
  - { id: r2, roles: [{ class: C }, { class: C }] }
)");
  const auto text = Run({"check", model});
  EXPECT_EQ(text.code, 1);
  EXPECT_EQ(text.out, model + ": 4 checks, 1 error, 8 warnings\n");
  const std::string at = "tarn: " + model + ":";
  EXPECT_EQ(text.err,
            "tarn: error: The operations in Abstract and Concrete classes are different.\n" + at +
                "17:5: note: in the refinement check of association \"r\"\n" + at +
                "11:9: note: operation \"Op\" of the abstract class \"C\" has no match in the "
                "concrete class \"D-1\"\n" +
                at +
                "12:9: note: operation \"Op\" of the abstract class \"C\" has no match in the "
                "concrete class \"D-1\"\n" +
                at +
                "13:9: note: operation \"my op\" of the abstract class \"C\" has no match in the "
                "concrete class \"D-1\"\n"
                "tarn: note: both classes need the same operations, matched by name\n"
                "tarn: warning: The refine association has no Retrieve text: the Retrieve schema only "
                "includes CA and CC.\n" +
                at + "18:5: note: in the refinement check of association \"r2\"\n" + at +
                "6:5: warning: the tag \"invariant\" of class \"C\" is not read: Tarn reads "
                "\"Invariant\", and letter case counts\n" +
                at +
                "11:9: warning: the tag \"IsQuery\" of operation \"Op\" of class \"C\" is not "
                "read: Tarn reads \"isQuery\", and letter case counts\n" +
                at +
                "12:9: warning: operation \"Op\" of class \"C\" has isDefinition \"yes\", which "
                "does not set it: only the exact text \"True\" does\n" +
                at +
                "4:5: warning: class diagram \"Empty\" shows no class; objectz writes a document "
                "without classes (--diagram NAME chooses another)\n" +
                at +
                "12:9: warning: operation \"Op\" of class \"C\" has the name of an earlier "
                "operation of the class; the document declares both schemas under one name\n" +
                at +
                "13:9: warning: operation \"my op\" of class \"C\" has a name that is not a Z name "
                "(a letter, then letters, digits and \\_)\n" +
                at +
                "14:5: warning: class \"D-1\" has a name that is not a Z name (a letter, then "
                "letters, digits and \\_)\n");

  const auto json = Run({"check", model, "--format", "json"});
  EXPECT_EQ(json.code, 1);
  EXPECT_EQ(json.err, "");
  const auto file = "\"file\":\"" + model + "\"";
  const auto lines = json.out;
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 9);
  EXPECT_THAT(
      lines,
      ::testing::StartsWith(
          "{\"severity\":\"error\",\"number\":1004,\"message\":\"The operations in Abstract and Concrete "
          "classes are different.\",\"notes\":[{" +
          file +
          ",\"line\":17,\"column\":5,\"message\":\"in "
          "the refinement check of association \\\"r\\\"\"},{"));
  EXPECT_THAT(
      lines,
      HasSubstr("\n{\"severity\":\"warning\"," + file +
                ",\"line\":13,\"column\":9,\"message\":\"operation \\\"my op\\\" of class \\\"C\\\" has a "
                "name that is not a Z name (a letter, then letters, digits and \\\\_)\",\"notes\":[]}\n"));

  // --select limits the check to that class, whose check passes.
  const auto one = Run({"check", model, "--select", "C", "-q"});
  EXPECT_EQ(one.out, "");
  EXPECT_THAT(one.err, ::testing::Not(HasSubstr("error")));
}

// Names come out in UTF-8 whatever the model's code page; JSON escapes what
// it must.
TEST_F(ListAndCheckTest, JsonCarriesNamesInUtf8) {
  const auto model = Write("model.yaml", "tarn-model: 1\nencoding: windows-1252\ndiagrams: [{ name: D, classes: [c] }]\n"
                                         "classes:\n  - { id: c, name: \"Z\u00e4hler \\\"1\\\"\\t\" }\n");
  const auto result = Run({"check", model, "--format", "json"});
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_THAT(result.out, HasSubstr("\"message\":\"class \\\"Z\xC3\xA4hler \\\"1\\\"\\u0009\\\" has a name that is not a Z name"));
  EXPECT_THAT(Run({"list", model}).out, HasSubstr("Logical View::Z\xC3\xA4hler \"1\"\t\n"));
}

TEST_F(ListAndCheckTest, CheckWarnsOfSuperclassCycles) {
  const auto model = Write("model.yaml",
                           "tarn-model: 1\nclasses:\n  - { name: A, superclasses: [B] }\n"
                           "  - { name: B, superclasses: [A] }\n  - { name: C, superclasses: [C] }\n");
  auto result = Run({"check", model, "-q"});
  EXPECT_EQ(result.code, 0);
  EXPECT_EQ(result.err,
            "tarn: warning: superclass cycle: A -> B -> A\ntarn: warning: class C is its own superclass\n");
  result = Run({"check", model, "--format", "json"});
  EXPECT_EQ(result.out,
            "{\"severity\":\"warning\",\"message\":\"superclass cycle: A -> B -> A\",\"notes\":[]}\n"
            "{\"severity\":\"warning\",\"message\":\"class C is its own superclass\",\"notes\":[]}\n");
}

TEST_F(ListAndCheckTest, CheckOfTheExamplesFindsNothing) {
  for (const char* example :
       {"register.yaml", "buffer.yaml", "bank.yaml", "rose/register.mdl", "rose/buffer.mdl"}) {
    const auto result = Run({"check", Example(example)});
    EXPECT_EQ(result.code, 0) << example << result.err;
    EXPECT_EQ(result.err, "") << example;
    EXPECT_THAT(result.out, HasSubstr(" 0 errors, 0 warnings\n"));
  }
  const auto broken = Write("broken.yaml", "tarn-model: 1\nclasses: [\n");
  const auto json = Run({"check", broken, "--format", "json"});
  EXPECT_EQ(json.code, 1);
  EXPECT_THAT(json.out,
              ::testing::StartsWith("{\"severity\":\"error\",\"file\":\"" + broken + "\",\"line\":3,"));
}

// Every item a command can take, one document each; a failing item is
// reported and the others are written.
TEST_F(ListAndCheckTest, AllWritesEveryItemAndReportsTheFailingOne) {
  const auto model = Write("batch.yaml", kBatchModel);
  auto result = Run({"property-check", model, "--all", "--output-dir", "docs"});
  EXPECT_EQ(result.code, 1);
  EXPECT_EQ(result.out, "Written to docs/A.zed\nWritten to docs/B.zed\n");
  EXPECT_EQ(result.err,
            "tarn: error: Every attribute or argument must have a type.\n"
            "tarn: " +
                model +
                ":8:5: note: while writing docs/Bad.zed for the class \"Bad\"\n"
                "tarn: " +
                model +
                ":8:59: note: attribute \"z\" of class \"Bad\" has no type\n"
                "tarn: note: give each a Z type, such as \\nat or the name of a given set\n"
                "tarn: error: 1 of 3 documents could not be written\n");
  EXPECT_THAT(Slurp(Path("docs/A.zed")), HasSubstr("\\begin{theorem}{P}"));
  EXPECT_THAT(Slurp(Path("docs/B.zed")), HasSubstr("\\begin{theorem}{Q}"));
  EXPECT_FALSE(std::filesystem::exists(Path("docs/Bad.zed")));

  result = Run({"objectz", model, "--all", "--output-dir", "docs", "-q"});
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_THAT(Slurp(Path("docs/Other.tex")), HasSubstr("\\begin{class}{Bad}"));
  result = Run({"objectz", model, "--all", "--output-dir", "typeset", "--typeset", "--title", "Batch"});
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_THAT(Slurp(Path("typeset/Main.tex")), HasSubstr("\\title{Batch}"));

  result = Run({"refinement-check", Example("buffer.yaml"), "--all", "--output-dir", "docs"});
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_EQ(Slurp(Path("docs/refines.zed")), Golden("zeves/buf_refinement_check.zed"));
  result = Run({"refinement-check", model, "--all", "--output-dir", "docs"});
  EXPECT_EQ(result.code, 0);
  EXPECT_EQ(result.err, "tarn: warning: the model has no association with a Retrieve; nothing was written\n");
}

// Names a file cannot hold are made safe, and names that then meet are
// numbered, so that no document is written over another.
TEST_F(ListAndCheckTest, AllNamesEveryDocumentApart) {
  const auto model = Write("model.yaml",
                           "tarn-model: 1\nclasses:\n"
                           "  - { id: \"a/b\", name: \"a/b\", tags: { Properties: \"%P\" } }\n"
                           "  - { id: a_b, name: a_b, tags: { Properties: \"%Q\" } }\n"
                           "  - { id: \".hidden\", name: \".hidden\", tags: { Properties: \"%R\" } }\n");
  const auto result = Run({"property-check", model, "--all", "--output-dir", "docs"});
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_EQ(result.out, "Written to docs/a_b.zed\nWritten to docs/a_b-2.zed\nWritten to docs/_.hidden.zed\n");
  EXPECT_THAT(Slurp(Path("docs/a_b-2.zed")), HasSubstr("\\begin{theorem}{Q}"));
}

TEST_F(ListAndCheckTest, AllGoesWithOutputDirAlone) {
  const auto model = Example("register.yaml");
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"property-check", model, "--all"},
           {"property-check", model, "--all", "--output-dir", "d", "-o", "x.zed"},
           {"property-check", model, "--all", "--output-dir", "d", "--select", "Reg"},
           {"property-check", model, "--all", "--output-dir", "d", "--run"},
           {"property-check", model, "--output-dir", "d", "-o", "x.zed"}}) {
    const auto result = Run(args);
    EXPECT_EQ(result.code, 2) << args.back();
    EXPECT_THAT(result.err, ::testing::StartsWith("tarn: error: "));
  }
  EXPECT_THAT(Files(), ::testing::IsEmpty());
}

TEST_F(ListAndCheckTest, QuietDropsTheSuccessTextVerboseNamesTheFiles) {
  const auto model = Example("register.yaml");
  auto result = Run({"property-check", model, "-o", "out.zed", "-q"});
  EXPECT_EQ(result.code, 0);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "");
  result = Run({"property-check", model, "-o", "out.zed", "-v"});
  EXPECT_EQ(result.err, "tarn: read " + model + "\n");
  EXPECT_EQ(result.out, "The specification was generated successfully.\nWritten to out.zed\n");
  for (const char* command : {"dump", "list", "check"})
    EXPECT_EQ(Run({command, model, "-v"}).err, "tarn: read " + model + "\n") << command;
}

}  // namespace
}  // namespace tarn::testing
