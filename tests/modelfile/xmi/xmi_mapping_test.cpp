// How the XMI reader maps what the tools write onto the host: small models
// in the shapes real files use, one table per rule.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "common/error.hpp"
#include "modelfile/load_error.hpp"
#include "modelfile/native/native_writer.hpp"
#include "modelfile/xmi/model_query.hpp"

namespace tarn::modelfile {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::Query;

// An Eclipse UML2 model named Shop holding `body`, then `after` beside it.
std::string Model(const std::string& body, const std::string& after = "",
                  const std::string& header = "") {
  return R"(<?xml version="1.0" encoding="UTF-8"?>
<xmi:XMI xmi:version="20131001" xmlns:xmi="http://www.omg.org/spec/XMI/20131001" )"
         R"(xmlns:uml="http://www.eclipse.org/uml2/5.0.0/UML" xmlns:Tarn="http:///schemas/Tarn/_p/0">)" +
         header + R"(<uml:Model xmi:id="shop" name="Shop">)" + body + "</uml:Model>" + after + "</xmi:XMI>\n";
}

class XmiMapping : public ::testing::Test {
 protected:
  XmiModel Read(const std::string& xml, const std::string& encoding = "windows-1252") {
    warnings_.clear();
    XmiOptions options;
    options.encoding = encoding;
    return ParseXmiModel(xml, "/nonexistent/shop.uml", options,
                         [this](const std::string& warning) { warnings_.push_back(warning); });
  }
  std::string Fact(const std::string& body, const std::string& query, const std::string& after = "") {
    return Query(Read(Model(body, after)), query);
  }

  std::vector<std::string> warnings_;
};

TEST_F(XmiMapping, TypesAndInitialValues) {
  const struct {
    const char* attribute;  // the ownedAttribute of class C, named a
    const char* expected;
  } cases[] = {
      {R"(type="t")", "a:\\power NAME"},
      {R"(><type href="pathmap://UML_LIBRARIES/UMLPrimitiveTypes.library.uml#Integer"/>)", "a:Integer"},
      {R"(><type href="http://www.omg.org/spec/UML/20161101/PrimitiveTypes.xmi#String"/>)", "a:String"},
      {R"(><type xmi:idref="C"/>)", "a:C"},
      {R"(type="EAJava_int")", "a:int"},
      {R"(type="EAID_1234_5678")", "a:"},
      {R"(><type href="Other.uml#_x"/>)", "a:"},
      {R"(><defaultValue xmi:type="uml:LiteralInteger"/>)", "a:=0"},
      {R"(><defaultValue xmi:type="uml:LiteralUnlimitedNatural" value="*"/>)", "a:=*"},
      {R"(><defaultValue xmi:type="uml:LiteralBoolean"/>)", "a:=false"},
      {R"(><defaultValue xmi:type="uml:LiteralString" value="\emptyset"/>)", "a:=\\emptyset"},
      {R"(><defaultValue xmi:type="uml:LiteralString"/>)", "a:"},
      {R"(><defaultValue xmi:type="uml:LiteralNull"/>)", "a:"},
      {R"(><defaultValue xmi:type="uml:InstanceValue" instance="lit"/>)", "a:=Open"},
      {R"(><defaultValue xmi:type="uml:OpaqueExpression"><language>OCL</language><language>Z</language>)"
       R"(<body>Set{}</body><body>\emptyset</body></defaultValue>)",
       "a:=\\emptyset"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.attribute);
    std::string attribute = std::string(R"(<ownedAttribute xmi:id="a" name="a" )") + test.attribute;
    attribute += attribute.back() == '"' ? "/>" : "</ownedAttribute>";
    const std::string body = R"(<packagedElement xmi:type="uml:Class" xmi:id="C" name="C">)" + attribute +
                             R"(</packagedElement><packagedElement xmi:type="uml:PrimitiveType" xmi:id="t" )"
                             R"(name="\power NAME"/><packagedElement xmi:type="uml:Enumeration" xmi:id="e" )"
                             R"(name="State"><ownedLiteral xmi:id="lit" name="Open"/></packagedElement>)";
    EXPECT_EQ(Fact(body, "class|C|attributes"), test.expected);
  }
  // Unresolved types are said once, with how many there were.
  Read(Model(R"(<packagedElement xmi:type="uml:Class" xmi:id="C" name="C">)"
             R"(<ownedAttribute xmi:id="a" name="a" type="gone"/><ownedAttribute xmi:id="b" name="b" )"
             R"(type="gone too"/></packagedElement>)"));
  EXPECT_THAT(warnings_, Contains(AllOf(HasSubstr("shop.uml:2:"),
                                           HasSubstr("warning: the type of attribute Shop::C::a refers to \"gone\""),
                                           HasSubstr("(1 more type references cannot be resolved either)"))));
}

TEST_F(XmiMapping, Multiplicities) {
  const struct {
    const char* bounds;
    const char* expected;
  } cases[] = {
      {"", ""},
      {R"(<lowerValue xmi:type="uml:LiteralInteger"/><upperValue xmi:type="uml:LiteralUnlimitedNatural" value="*"/>)",
       "0..n"},
      {R"(<lowerValue xmi:type="uml:LiteralInteger" value="1"/><upperValue xmi:type="uml:LiteralUnlimitedNatural" value="-1"/>)",
       "1..n"},
      {R"(<upperValue xmi:type="uml:LiteralUnlimitedNatural" value="*"/>)", "1..n"},
      {R"(<lowerValue xmi:type="uml:LiteralInteger" value="1"/><upperValue xmi:type="uml:LiteralUnlimitedNatural" value="1"/>)",
       "1"},
      {R"(<lowerValue xmi:type="uml:LiteralInteger" value="2"/><upperValue xmi:type="uml:LiteralUnlimitedNatural" value="5"/>)",
       "2..5"},
      {R"(<lowerValue xmi:type="uml:LiteralInteger"/>)", "0..1"},
      {R"(<lowerValue xmi:type="uml:LiteralString" value="k"/><upperValue xmi:type="uml:LiteralString" value="k"/>)",
       "k"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.bounds);
    const std::string body =
        R"(<packagedElement xmi:type="uml:Class" xmi:id="A" name="A"/><packagedElement xmi:type="uml:Class" )"
        R"(xmi:id="B" name="B"/><packagedElement xmi:type="uml:Association" xmi:id="r" name="r" )"
        R"(memberEnd="ea eb" navigableOwnedEnd="eb"><ownedEnd xmi:id="ea" name="a" type="A" association="r"/>)"
        R"(<ownedEnd xmi:id="eb" name="b" type="B" association="r">)" +
        std::string(test.bounds) + "</ownedEnd></packagedElement>";
    EXPECT_EQ(Fact(body, "association|r"), std::string("a:A::false / b:B:") + test.expected + ":true");
  }
}

TEST_F(XmiMapping, ConditionsInEveryForm) {
  const std::string op = R"(<packagedElement xmi:type="uml:Class" xmi:id="C" name="C">)";
  const struct {
    const char* operation;
    const char* query;
    const char* expected;
  } cases[] = {
      // Papyrus: owned rules named by the operation's attributes, in LaTeX.
      {R"(<ownedOperation xmi:id="o" name="Op" precondition="p1 p2"><ownedRule xmi:id="p2" name="second">)"
       R"(<specification xmi:type="uml:OpaqueExpression"><language>LaTeX</language><body>y = 2</body>)"
       R"(</specification></ownedRule><ownedRule xmi:id="p1"><specification xmi:type="uml:OpaqueExpression">)"
       R"(<body>x = 1&#xD;
x' = x</body></specification></ownedRule></ownedOperation>)",
       "pre", "x = 1\r\nx' = x\r\ny = 2"},
      // OMG: an xmi:idref child; a body in OCL when no Z body exists; raw LF becomes CR LF.
      {R"(<ownedOperation xmi:id="o" name="Op"><postcondition xmi:idref="q"/><ownedRule xmi:id="q">)"
       R"(<specification xmi:type="uml:OpaqueExpression" body="a&#xA;b" language="OCL"/></ownedRule>)"
       R"(</ownedOperation>)",
       "post", "a\r\nb"},
      // Enterprise Architect: the condition is the constraint's name, defined in place.
      {R"(<ownedOperation xmi:id="o" name="Op"><postcondition xmi:type="uml:Constraint" xmi:id="c1" )"
       R"(name="n' = n + 1"><specification xmi:type="uml:OpaqueExpression"/></postcondition>)"
       R"(<postcondition xmi:type="uml:Constraint" xmi:id="c2" name="m' = m"/></ownedOperation>)",
       "post", "n' = n + 1\r\nm' = m"},
      // A literal string as the specification.
      {R"(<ownedOperation xmi:id="o" name="Op" precondition="s"><ownedRule xmi:id="s" name="n">)"
       R"(<specification xmi:type="uml:LiteralString" value="ok?"/></ownedRule></ownedOperation>)",
       "pre", "ok?"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.operation);
    EXPECT_EQ(Fact(op + test.operation + "</packagedElement>", std::string("class|C|") + test.query + "|Op"),
              test.expected);
  }
}

TEST_F(XmiMapping, TaggedValuesOfTheTarnProfileAndOfEnterpriseArchitect) {
  const std::string classes =
      R"(<packagedElement xmi:type="uml:Class" xmi:id="C" name="C"><ownedOperation xmi:id="o" name="Op" )"
      R"(isQuery="true"/><ownedOperation xmi:id="p" name="Put" isQuery="true"/></packagedElement>)";
  const std::string applications =
      R"(<Tarn:TarnClass xmi:id="s1" base_Class="C" Invariant="x &gt; 0"><Properties>%P
C \implies x &gt; 0</Properties><Properties>ignored</Properties></Tarn:TarnClass>)"
      R"(<Tarn:TarnOperation xmi:id="s2" base_Operation="p" isQuery="False"/>)"
      R"(<Other:Thing xmlns:Other="http:///schemas/Other/_q/1" base_Class="C" Invariant="not Tarn's"/>)"
      R"(<xmi:Extension extender="Enterprise Architect"><elements><element xmi:idref="C"><tags>)"
      R"(<tag name="Invariant" value="loses to the stereotype"/><tag name="isQuery" value="True#NOTES#a note"/>)"
      R"(<tag name="Retrieve" value="&lt;memo&gt;" notes="r1&#xD;&#xA;r2" modelElement="C"/></tags>)"
      R"(<operations><operation xmi:idref="o"><tags><tag name="isDefinition" value="True$ea_notes=n"/>)"
      R"(</tags><parameters><parameter xmi:idref="x"><tags><tag name="Invariant" value="no"/></tags>)"
      R"(</parameter></parameters></operation></operations></element></elements></xmi:Extension>)";
  const XmiModel model = Read(Model(classes, applications));
  const auto& c = model.app->model.classes.front();
  EXPECT_EQ(c.TaggedValue("Tarn", "Invariant"), "x > 0");
  EXPECT_EQ(c.TaggedValue("Tarn", "Properties"), "%P\r\nC \\implies x > 0");
  EXPECT_EQ(c.TaggedValue("Tarn", "isQuery"), "True");
  EXPECT_EQ(c.TaggedValue("Tarn", "Retrieve"), "r1\r\nr2");
  EXPECT_EQ(c.operations[0].TaggedValue("Tarn", "isDefinition"), "True");
  EXPECT_EQ(c.operations[0].TaggedValue("Tarn", "isQuery"), "True");  // UML's isQuery="true"
  EXPECT_EQ(c.operations[1].TaggedValue("Tarn", "isQuery"), "False");  // the tag wins
}

TEST_F(XmiMapping, RolesAndSuperclasses) {
  const std::string classes =
      R"(<packagedElement xmi:type="uml:Class" xmi:id="A" name="A"><generalization general="I"/>)"
      R"(<generalization><general href="Other.uml#_g"/></generalization>)"
      R"(<ownedAttribute xmi:id="EAID_dst1" name="b" type="B" association="r"/></packagedElement>)"
      R"(<packagedElement xmi:type="uml:Class" xmi:id="B" name="B"/>)"
      R"(<packagedElement xmi:type="uml:Interface" xmi:id="I" name="Shape"/>)"
      R"(<packagedElement xmi:type="uml:Association" xmi:id="r" name="r"><memberEnd xmi:idref="EAID_dst1"/>)"
      R"(<memberEnd xmi:idref="EAID_src1"/><ownedEnd xmi:id="EAID_src1" name="a" association="r">)"
      R"(<type xmi:idref="A"/></ownedEnd></packagedElement>)"
      R"(<packagedElement xmi:type="uml:Association" xmi:id="s" name="s" memberEnd="EAID_src2 gone">)"
      R"(<ownedEnd xmi:id="EAID_src2" name="x" type="nowhere" association="s"/></packagedElement>)";
  const std::string ea = R"(<xmi:Documentation exporter="Enterprise Architect"/>)";
  // Enterprise Architect lists the target's end first; other tools keep the order.
  EXPECT_EQ(Query(Read(Model(classes, "", ea)), "association|r"), "a:A::false / b:B::true");
  XmiModel model = Read(Model(classes));
  EXPECT_EQ(Query(model, "association|r"), "b:B::true / a:A::false");
  const auto& a = model.app->model.classes.front();
  ASSERT_EQ(a.superclasses.size(), 2u);
  EXPECT_EQ(a.superclasses[0]->ElementName(), "Shape");  // an interface stands for a class
  EXPECT_THROW(a.superclasses[1]->ElementName(), Error);  // only when it is used
  const auto& s = model.app->model.associations.back();
  try {
    s.FirstRole();
    ADD_FAILURE() << "an association with one end was used";
  } catch (const Error& error) {
    EXPECT_THAT(error.Description(),
                AllOf(HasSubstr("shop.uml:2:"), HasSubstr("association Shop::s has 1 member ends")));
  }
  EXPECT_THAT(warnings_, ElementsAre(HasSubstr("the superclass of class Shop::A refers to \"Other.uml#_g\", "
                                               "which lies in another file"),
                                     HasSubstr("association Shop::s has 1 member ends"),
                                     HasSubstr("the file has no class diagram")));
  // The dump leaves out what cannot be resolved, and reads back.
  const std::string dump = WriteNativeModel(model.app->model);
  EXPECT_THAT(dump, HasSubstr("superclasses: [\"I\"]"));
  EXPECT_THAT(dump, ::testing::Not(HasSubstr("\"s\"")));
  // A class whose only superclass cannot be found has none in the dump.
  EXPECT_THAT(WriteNativeModel(Read(Model(R"(<packagedElement xmi:type="uml:Class" xmi:id="A" name="A">)"
                                          R"(<generalization general="gone"/></packagedElement>)"))
                                   .app->model),
              ::testing::Not(HasSubstr("superclasses")));
}

TEST_F(XmiMapping, DiagramSources) {
  const std::string classes =
      R"(<packagedElement xmi:type="uml:Package" xmi:id="P" name="Orders">)"
      R"(<packagedElement xmi:type="uml:Class" xmi:id="A" name="A"/><packagedElement xmi:type="uml:Class" )"
      R"(xmi:id="B" name="B"/><packagedElement xmi:type="uml:Association" xmi:id="r" memberEnd="ea eb">)"
      R"(<ownedEnd xmi:id="ea" type="A" association="r"/><ownedEnd xmi:id="eb" type="B" association="r"/>)"
      R"(</packagedElement></packagedElement><packagedElement xmi:type="uml:Class" xmi:id="T" name="Top"/>)";
  const struct {
    const char* in_model;  // diagrams inside the model
    const char* after;     // and beside it
    const char* diagrams;
    const char* warning;   // "" for none
  } cases[] = {
      {"", "", "Shop=1/0; Orders=2/1", "the file has no class diagram"},
      // UML DI: shapes at any depth, the owner named by modelElement; the
      // first diagram owned by the root that shows a class leads.
      {R"(<umldi:Diagram xmlns:umldi="http://www.omg.org/spec/UML/20161101/UMLDI" xmi:type="umldi:UMLClassDiagram" )"
       R"(xmi:id="d1" name="Detail" modelElement="P"><ownedElement xmi:type="umldi:UMLShape" modelElement="P">)"
       R"(<ownedElement xmi:type="umldi:UMLClassifierShape" modelElement="B"/></ownedElement>)"
       R"(<ownedElement xmi:type="umldi:UMLEdge" modelElement="r"/><ownedElement modelElement="missing"/>)"
       R"(</umldi:Diagram><umldi:Diagram xmlns:umldi="http://www.omg.org/spec/UML/20161101/UMLDI" )"
       R"(xmi:type="umldi:UMLClassDiagram" xmi:id="d2"><ownedElement modelElement="T"/>)"
       R"(<ownedElement modelElement="T"/></umldi:Diagram>)",
       "", "=1/0; Detail=1/1", "class diagram \"Detail\" shows 1 element that is not in the file"},
      // Enterprise Architect's own list wins over UML DI.
      {R"(<umldi:Diagram xmlns:umldi="http://www.omg.org/spec/UML/20161101/UMLDI" xmi:type="umldi:UMLClassDiagram" )"
       R"(xmi:id="d1"><ownedElement modelElement="A"/></umldi:Diagram>)",
       R"(<xmi:Extension extender="Enterprise Architect"><diagrams><diagram xmi:id="e1"><model package="P"/>)"
       R"(<properties name="Use" type="Use Case"/><elements><element subject="A"/></elements></diagram>)"
       R"(<diagram xmi:id="e2"><model package="P"/><properties name="Classes" type="Logical"/><elements>)"
       R"(<element subject="B"/><element subject="A"/><element subject="r"/></elements></diagram></diagrams>)"
       R"(</xmi:Extension>)",
       "Classes=2/1", ""},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.diagrams);
    const XmiModel model = Read(Model(classes + test.in_model, test.after));
    EXPECT_EQ(Query(model, "diagrams"), test.diagrams);
    if (*test.warning)
      EXPECT_THAT(warnings_, ElementsAre(HasSubstr(test.warning)));
    else
      EXPECT_THAT(warnings_, ElementsAre());
  }
}

TEST_F(XmiMapping, TextsInTheModelsCodePage) {
  const std::string body = "<packagedElement xmi:type=\"uml:Class\" xmi:id=\"C\"\n   name=\"Caf\xC3\xA9 \xE2\x82\xAC\"/>"
                           "<packagedElement xmi:type=\"uml:Class\" xmi:id=\"D\" name=\"\xE6\x97\xA5\"/>";
  try {
    Read(Model(body));
    ADD_FAILURE() << "a character windows-1252 cannot hold was read";
  } catch (const LoadError& error) {
    EXPECT_EQ(error.Line(), 3);
    EXPECT_THAT(error.Message(), AllOf(HasSubstr("U+65E5"), HasSubstr("cannot be written in windows-1252; "
                                                                      "name a code page that holds it with --encoding")));
  }
  const XmiModel model = Read(Model(body), "utf-8");
  EXPECT_EQ(model.app->model.classes.front().name, "Caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(Read(Model(body.substr(0, body.find("<packagedElement", 10)))).app->model.classes.front().name,
            "Caf\xE9 \x80");
}

// Places in a file read in pieces: the line and byte column of the tag,
// counted here from the text itself, in UTF-8 and in a single-byte code page.
TEST_F(XmiMapping, PlacesAcrossALongFile) {
  std::string padding;
  for (int i = 0; i < 100000; ++i) padding += "<!-- \xC3\xA9 a comment line -->\n";
  const struct {
    std::string xml;
    const char* encoding;
  } cases[] = {
      {Model(padding + "<ownedComment/><packagedElement xmi:type=\"uml:Class\" xmi:id=\"C\"\n name=\"\xE6\x97\xA5\"/>"),
       "windows-1252"},
      {"<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<uml:Model xmlns:uml=\"http://www.omg.org/spec/UML/"
       "20161101\" xmlns:xmi=\"http://www.omg.org/spec/XMI/20131001\" name=\"M\">\n" +
           std::string(3000, ' ') + "<x name=\"\xE9\xE9\"/> <packagedElement xmi:type=\"uml:Class\" name=\"\xE9\"/></uml:Model>",
       "us-ascii"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.encoding);
    const std::size_t at = test.xml.find("<packagedElement");
    const auto line = std::count(test.xml.begin(), test.xml.begin() + static_cast<long>(at), '\n') + 1;
    const auto column = static_cast<int>(at - test.xml.rfind('\n', at));
    try {
      Read(test.xml, test.encoding);
      ADD_FAILURE() << "read";
    } catch (const LoadError& error) {
      EXPECT_EQ(error.Line(), line);
      EXPECT_EQ(error.Column(), column);
    }
  }
}

TEST_F(XmiMapping, Selection) {
  const XmiModel model = Read(Model(
      R"(<packagedElement xmi:type="uml:Package" xmi:id="P" name="Orders"><packagedElement xmi:type="uml:Class" )"
      R"(xmi:id="o1" name="Order"/><packagedElement xmi:type="uml:Class" xmi:id="i1" name="Item"/>)"
      R"(</packagedElement><packagedElement xmi:type="uml:Class" xmi:id="o2" name="Order"/>)"));
  const auto& classes = model.app->model.classes;
  const struct {
    const char* word;
    const host::Element* selected;  // null: refused
  } cases[] = {
      {"o2", &classes[2]},          {"Item", &classes[1]},        {"Orders::Order", &classes[0]},
      {"Shop::Orders::Order", &classes[0]}, {"Shop::Order", &classes[2]}, {"Order", nullptr},
      {"Nothing", nullptr},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.word);
    if (test.selected != nullptr)
      EXPECT_THAT(ResolveXmiSelection(model, {test.word}), ElementsAre(test.selected));
    else
      EXPECT_THROW(ResolveXmiSelection(model, {test.word}), SelectionError);
  }
}

}  // namespace
}  // namespace tarn::modelfile
