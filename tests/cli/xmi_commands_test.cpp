// UML 2 XMI models through the program: the worked examples as Papyrus and
// Enterprise Architect export them, the diagrams of every source, the files
// Tarn refuses, and hostile XML.
#include <gmock/gmock.h>

#include <filesystem>

#include "cli/run_tarn.hpp"

namespace tarn::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::MatchesRegex;

const std::string kCorpus = std::string(TARN_SOURCE_DIR) + "/../shared/corpus/xmi/";

std::string Golden(const std::string& name) { return Slurp(std::string(TARN_GOLDEN_DIR) + "/" + name); }

class XmiCommandsTest : public TarnRun {
 protected:
  // Runs `args` with -o doc.out --no-run; the document written, or "" when none was.
  std::string Document(std::vector<std::string> args, Result* result = nullptr) {
    std::filesystem::remove(Path("doc.out"));
    args.insert(args.end(), {"-o", "doc.out", "--no-run"});
    const Result run = Run(args);
    if (result != nullptr) *result = run;
    EXPECT_EQ(run.code, 0) << run.err;
    return std::filesystem::exists(Path("doc.out")) ? Slurp(Path("doc.out")) : "";
  }
};

// Each example gives the worked example's document byte for byte, in both
// tools' forms, and so does its dump, whose ids are the xmi:ids.
TEST_F(XmiCommandsTest, WorkedExamplesByteForByte) {
  const struct {
    const char* command;
    const char* model;
    const char* select;      // a name in the model; "" for none
    const char* dumpSelect;  // the same item in the dump: its xmi:id
    const char* golden;
  } examples[] = {
      {"property-check", "xmi/papyrus/register.uml", "Reg", "_8LavCCnmNiasbSm6GZAPzA",
       "zeves/reg_property_check.zed"},
      {"property-check", "xmi/ea/register.xmi", "Register::Reg", "EAID_1022A24D_06CE_4519_A295_EEF543A0DB47",
       "zeves/reg_property_check.zed"},
      {"refinement-check", "xmi/papyrus/buffer.uml", "refines", "_pkjO0ehJ3cbGADsDFE-NPw",
       "zeves/buf_refinement_check.zed"},
      {"refinement-check", "xmi/ea/buffer.xmi", "refines", "EAID_3249B84F_A6A0_45b2_5AF8_34D7C5CD1559",
       "zeves/buf_refinement_check.zed"},
      {"objectz", "xmi/papyrus/bank.uml", "", "", "objectz/bank_account.tex"},
      {"objectz", "xmi/ea/bank.xmi", "", "", "objectz/bank_account.tex"},
  };
  for (const auto& example : examples) {
    SCOPED_TRACE(example.model);
    std::vector<std::string> args{example.command, Example(example.model)};
    if (*example.select) args.insert(args.end(), {"--select", example.select});
    Result result;
    EXPECT_EQ(Document(args, &result), Golden(example.golden));
    EXPECT_EQ(result.err, "");

    const Result dump = Run({"dump", Example(example.model)});
    ASSERT_EQ(dump.code, 0) << dump.err;
    args = {example.command, Write("dump.yaml", dump.out)};
    if (*example.dumpSelect) args.insert(args.end(), {"--select", example.dumpSelect});
    EXPECT_EQ(Document(args), Golden(example.golden)) << "from the dump";
  }
}

TEST_F(XmiCommandsTest, DiagramsOfEverySource) {
  if (!std::filesystem::is_directory(kCorpus)) GTEST_SKIP() << "the XMI corpus is not beside the repository";
  const std::string umldi = Write("shop.xmi", R"(<?xml version="1.0"?>
<xmi:XMI xmlns:xmi="http://www.omg.org/spec/XMI/20131001" xmlns:uml="http://www.omg.org/spec/UML/20161101"
  xmlns:umldi="http://www.omg.org/spec/UML/20161101/UMLDI">
 <uml:Model xmi:id="m" name="Shop">
  <packagedElement xmi:type="uml:Class" xmi:id="o" name="Order"/>
  <packagedElement xmi:type="uml:Class" xmi:id="c" name="Customer"/>
  <umldi:Diagram xmi:type="umldi:UMLClassDiagram" xmi:id="d1" name="Orders">
   <ownedElement xmi:type="umldi:UMLClassifierShape" xmi:id="s1" modelElement="o"/>
  </umldi:Diagram>
  <umldi:Diagram xmi:type="umldi:UMLClassDiagram" xmi:id="d2" name="People">
   <ownedElement xmi:type="umldi:UMLClassifierShape" xmi:id="s2" modelElement="c"/>
  </umldi:Diagram>
 </uml:Model>
</xmi:XMI>
)");
  const struct {
    std::string model;
    const char* diagram;
    const char* shown;  // a line of the document
  } cases[] = {
      {kCorpus + "X09-model.uml", "Databases", "\\begin{class}{CustomerDatabase}"},           // Papyrus
      {kCorpus + "X09-model.uml", "Detailed Design::cd | User", "\\begin{class}{Adress}"},
      {kCorpus + "X15-EnterpriseArchitectAggregation.xmi", "Package1", "\\begin{class}{Class4}"},  // EA
      {umldi, "People", "\\begin{class}{Customer}"},                                              // UML DI
      {umldi, "Shop::Orders", "\\begin{class}{Order}"},
      {kCorpus + "X06-ExtendedPO2.uml", "epo2::epo2", "\\begin{class}{GlobalLocation}"},          // fallback
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.diagram);
    EXPECT_THAT(Document({"objectz", test.model, "--diagram", test.diagram}), HasSubstr(test.shown));
  }
}

TEST_F(XmiCommandsTest, FilesTarnDoesNotReadAreRefusedInOneSentence) {
  const struct {
    std::string name;
    std::string bytes;
    const char* message;
  } cases[] = {
      {"old.xmi", "<XMI xmi.version='1.2'><XMI.content/></XMI>",
       "old.xmi:1:1: error: the file is XMI 1.2 (UML 1.x): Tarn reads UML 2 XMI; export the model as XMI 2.1 "
       "or later\n"},
      {"project.mdzip", std::string("PK\x03\x04rest", 8),
       "project.mdzip:1:1: error: the file is a zip archive, a zipped project such as .mdzip or .zargo: "
       "export the "
       "model from its tool as UML 2 XMI, or unzip the project and give Tarn the model file inside\n"},
      {"model.mdj", "{\n  \"_type\": \"Project\"\n}",
       "model.mdj:1:1: error: the file is a StarUML project (JSON): export the model with StarUML's XMI "
       "extension as "
       "UML 2 XMI and give Tarn that file\n"},
      {"page.html", "<html><body/></html>",
       "page.html:1:1: error: the file is XML but holds no UML 2 model (no uml:Model or uml:Package): Tarn "
       "reads UML 2 "
       "XMI, Rose .mdl and its own YAML model files\n"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    const Result result = Run({"objectz", Write(test.name, test.bytes), "-o", "doc.out", "--no-run"});
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.err,
              "tarn: " + Path(test.name).string() + std::string(test.message).substr(test.name.size()));
    EXPECT_FALSE(std::filesystem::exists(Path("doc.out")));
  }
}

TEST_F(XmiCommandsTest, EncodingOption) {
  const std::string model = Write("shop.xmi",
                                  "<?xml version='1.0' encoding='UTF-8'?>\n<uml:Model xmlns:uml="
                                  "\"http://www.eclipse.org/uml2/5.0.0/UML\" xmlns:xmi=\"http://www.omg.org/spec/"
                                  "XMI/20131001\" xmi:id=\"m\" name=\"M\">\n<packagedElement xmi:type=\"uml:Class\" "
                                  "xmi:id=\"c\" name=\"\xCE\xA3\"/></uml:Model>\n");
  Result result = Run({"dump", model});
  EXPECT_EQ(result.code, 1);
  EXPECT_EQ(result.err,
            "tarn: " + model +
                ":3:1: error: character U+03A3 \"\xCE\xA3\" cannot be written in windows-1252; name a "
                "code page that holds it with --encoding\n");
  result = Run({"dump", model, "--encoding", "iso-8859-7"});
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_THAT(result.out, HasSubstr("encoding: \"iso-8859-7\""));
  EXPECT_EQ(Run({"dump", model, "--encoding", "no-such-code-page"}).code, 2);
  EXPECT_EQ(Run({"dump", Example("bank.yaml"), "--encoding", "utf-8"}).code, 2);
}

// Hostile XML: every case a located error, exit 1, nothing written, no hang.
TEST_F(XmiCommandsTest, HostileXml) {
  const std::string root = R"(<xmi:XMI xmlns:xmi="http://www.omg.org/spec/XMI/20131001">)";
  std::string nested = "<?xml version=\"1.0\"?>\n" + root;
  for (int i = 0; i < 100000; ++i) nested += "<a>";
  std::string bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE x [<!ENTITY a \"aaaaaaaaaa\">";
  for (char c = 'b'; c <= 'j'; ++c)
    bomb += std::string("<!ENTITY ") + c + " \"" + std::string(10, '&') + "\">";
  bomb += "]>\n" + root + "&j;</xmi:XMI>";
  const struct {
    const char* name;
    std::string bytes;
    const char* error;  // a regular expression for standard error
  } cases[] = {
      {"file-entity",
       "<?xml version=\"1.0\"?>\n<!DOCTYPE x [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>\n" + root +
           "&e;</xmi:XMI>",
       ".*file-entity.xmi:2:[0-9]+: error: the document has a DOCTYPE, which UML 2 XMI never has.*"},
      {"http-entity", "<!DOCTYPE x [<!ENTITY e SYSTEM \"http://127.0.0.1:9/x\">]>" + root + "&e;</xmi:XMI>",
       ".*http-entity.xmi:1:[0-9]+: error: the document has a DOCTYPE.*"},
      {"bomb", bomb, ".*bomb.xmi:2:[0-9]+: error: the document has a DOCTYPE.*"},
      {"doctype", "<!DOCTYPE xmi:XMI>" + root + "</xmi:XMI>",
       ".*doctype.xmi:1:[0-9]+: error: the document has a DOCTYPE.*"},
      {"undeclared", root + "&e;</xmi:XMI>",
       ".*undeclared.xmi:1:[0-9]+: error: XML syntax error: Entity 'e' not defined\n"},
      {"nested", nested, ".*nested.xmi:2:[0-9]+: error: elements nest deeper than 256 levels\n"},
      {"bad-utf8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + root + "<a name=\"\xFF\"/></xmi:XMI>",
       ".*bad-utf8.xmi:2:[0-9]+: error: XML syntax error: .*UTF-8.*"},
      {"unknown-encoding", "<?xml version=\"1.0\" encoding=\"no-such\"?>\n" + root + "</xmi:XMI>",
       ".*unknown-encoding.xmi:1:[0-9]+: error: XML syntax error: .*no-such.*"},
      {"labelled-utf16", "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n" + root + "</xmi:XMI>",
       ".*labelled-utf16.xmi:1:[0-9]+: error: XML syntax error: .*"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    const Result result =
        Run({"objectz", Write(std::string(test.name) + ".xmi", test.bytes), "-o", "doc.out", "--no-run"});
    EXPECT_EQ(result.code, 1);
    EXPECT_THAT(result.err, MatchesRegex(test.error));
    EXPECT_FALSE(std::filesystem::exists(Path("doc.out")));
  }

  // A model cut before any of its tags is a located error too.
  const std::string whole = Slurp(Example("xmi/papyrus/bank.uml"));
  int cuts = 0;
  for (auto at = whole.find('<', 1); at != std::string::npos; at = whole.find('<', at + 1), ++cuts) {
    const Result result = Run({"objectz", Write("cut.uml", whole.substr(0, at)), "-o", "doc.out", "--no-run"});
    ASSERT_EQ(result.code, 1) << "cut at byte " << at;
    ASSERT_THAT(result.err, MatchesRegex(".*cut.uml:[0-9]+:[0-9]+: error: .*\n")) << "cut at byte " << at;
    ASSERT_FALSE(std::filesystem::exists(Path("doc.out")));
  }
  EXPECT_GT(cuts, 50);
}

}  // namespace
}  // namespace tarn::testing
