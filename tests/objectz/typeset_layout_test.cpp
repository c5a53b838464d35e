// The document written to be typeset with oz.sty: its opening, and the rows
// of the boxes with \\ between them, empty ones left out, and \zbreak between
// the boxes of a class.
#include <gtest/gtest.h>

#include "objectz/document_fixture.hpp"

namespace tarn::objectz {
namespace {

class TypesetLayoutTest : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    typeset_ = FrontMatter{};
  }
};

TEST_F(TypesetLayoutTest, OpeningHasFrontMatterOnlyWhenSomeIsGiven) {
  const std::string preamble = CrLfLines({"\\documentclass{article}", "\\usepackage[ansinew]{inputenc}",
                                          "\\usepackage{oz}"});
  EXPECT_EQ(Generate(), preamble + CrLfLines({"\\begin{document}", "", "\\end{document}"}));

  typeset_->date = "June 2024";
  EXPECT_EQ(Generate(), preamble + CrLfLines({"\\title{}", "\\author{}", "\\date{June 2024}", "\\begin{document}",
                                              "\\maketitle", "", "\\end{document}"}));

  AddAttribute(AddClass("C"), "n", "\\seq NAME \\rel 1 \\upto 9");
  EXPECT_NE(Generate().find("\\maketitle\r\n\r\n\\begin{zed}\r\n[NAME]\r\n\\end{zed}\r\n\r\n\\section{C}\r\n"),
            std::string::npos);
}

TEST_F(TypesetLayoutTest, StateRowsAreSeparatedAndEmptyOnesLeftOut) {
  auto& shape = AddClass("Shape");
  AddAttribute(shape, "owner", "");
  AddAttribute(shape, "width", "\\nat").tags.Set("Invariant", "width > 0");
  AddAttribute(shape, "height", "\\nat");
  shape.tags.Set("Invariant", "width \\neq height\r\n\r\nwidth < 100");
  auto& peer = AddClass("Peer");
  auto& one = AddAssociation(shape, "shape", peer, "peer");
  one.second.navigable = true;
  one.second.multiplicity = "1";
  auto& many = AddAssociation(shape, "shape", peer, "peers");
  many.second.navigable = true;
  many.second.multiplicity = "0..n";
  many.tags.Set("TypeOfRoleB", "\\power");
  many.tags.Set("RoleBInvariant", " peer \\in peers \r\n");

  // A separator after the last attribute and between the role declarations;
  // the empty invariant of the first role is left out.
  EXPECT_EQ(StateSchema("Shape"),
            CrLfLines({"owner : ; \\\\", "width : \\nat; \\\\", "height : \\nat \\\\", "peer : Peer \\\\",
                       "peers : \\power Peer", "\\ST", "\\#peer = 1 \\\\", "0 <= \\#peers <= n   \\\\",
                       "peer \\in peers \\\\", "width \\neq height \\\\", "width < 100 \\\\", "width > 0  \\\\"}));
  // Without predicates, no \ST.
  EXPECT_EQ(ClassParagraph("Peer"), CrLfLines({"\\section{Peer}", "\\begin{class}{Peer}", "\\begin{state}",
                                               "\\end{state}", "\\end{class}"}));
}

TEST_F(TypesetLayoutTest, BoxesOfAClassAreSeparatedByZbreak) {
  auto& base = AddClass("Base");
  auto& counter = AddClass("Counter");
  counter.superclasses = {&base};
  AddAttribute(counter, "n", "\\nat", "0");
  auto& add = AddOperation(counter, "Add");
  add.parameters.resize(2);
  add.parameters[0].name = "a";
  add.parameters[0].type = "\\nat";
  add.parameters[1].name = "b";
  add.parameters[1].type = "\\nat";
  add.result = "\\nat";
  add.pre = "a? > 0\r\nb? > 0";
  add.post = "n' = n + a? + b?\r\nresult! = n'";
  auto& check = AddOperation(counter, "Check");
  check.pre = "n < 10";
  auto& idle = AddOperation(counter, "Idle");
  idle.pre = " \r\n ";

  EXPECT_EQ(ClassParagraph("Counter"),
            CrLfLines({"\\section{Counter}", "\\begin{class}{Counter}", "Base \\\\", "\\begin{state}", "n : \\nat",
                       "\\end{state}", "\\zbreak", "\\begin{init}", "n = 0  \\\\", "\\end{init}", "\\zbreak",
                       "\\begin{op}{Add}", "\\Delta  (n,result) \\\\", "a? : \\nat \\\\", "b? : \\nat \\\\",
                       "result! : \\nat", "\\ST", "a? > 0 \\\\", "b? > 0 \\\\", "n' = n + a? + b? \\\\",
                       "result! = n'", "\\end{op}", "\\zbreak", "\\begin{op}{Check}", "\\ST", "n < 10",
                       "\\end{op}", "\\zbreak", "\\begin{op}{Idle}", "\\end{op}", "\\end{class}"}));
}

}  // namespace
}  // namespace tarn::objectz
