// The petal parser: the shapes real files take, the texts it hands out, and
// an error with a position for every malformed input.
#include "modelfile/petal/petal_tree.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

#include "modelfile/load_error.hpp"

namespace tarn::modelfile::petal {
namespace {

using ::testing::HasSubstr;

constexpr std::string_view kHeader =
    "\n(object Petal\n    version    \t50\n    charSet    \t0)\n\n";

std::string Body(std::string_view body) { return std::string(kHeader) + std::string(body); }

std::vector<const Node*> Children(const Tree& tree, const Node& node) {
  std::vector<const Node*> children;
  for (std::uint32_t child = node.first_child; child != kNoNode;
       child = tree.at(child).next_sibling)
    children.push_back(&tree.at(child));
  return children;
}

std::string ErrorOf(std::string_view bytes) {
  try {
    Parse("m.mdl", bytes);
  } catch (const LoadError& error) {
    return error.what();
  }
  return "no error";
}

TEST(PetalTree, ObjectsKeepNamesTagAndRepeatedKeysInOrder) {
  const std::string bytes = Body(
      "(object Design \"Logical View\"\n"
      "    items (list diagram_item_list\n"
      "\t(object ClassView \"Class\" \"Logical View::A\" @12\n"
      "\t    label \"first\"\n"
      "\t    label \"second\"\n"
      "\t    location (-345, 20)\n"
      "\t    Parent_View @3\n"
      "\t    kind (\"VisibilityKind\" 3)\n"
      "\t    size 0.250000)\n"
      "\t(object Empty))\n"
      "    nothing (list)\n"
      "    card (value cardinality \"0..n\"))\n");
  const Tree tree = Parse("m.mdl", bytes);
  const Node& design = tree.at(tree.body);
  EXPECT_EQ(tree.Raw(design), "Design");
  EXPECT_EQ(tree.Text(*tree.Name(design, 0)), "Logical View");
  EXPECT_EQ(tree.Name(design, 1), nullptr);

  const auto items = Children(tree, *tree.Property(design, "items"));
  ASSERT_EQ(items.size(), 2u);
  const Node& view = *items[0];
  EXPECT_EQ(view.tag, 12u);
  EXPECT_EQ(tree.Text(*tree.Name(view, 1)), "Logical View::A");
  const auto properties = Children(tree, view);
  ASSERT_EQ(properties.size(), 8u);  // two names, six properties
  EXPECT_EQ(tree.Key(*properties[2]), "label");
  EXPECT_EQ(tree.Text(*properties[2]), "first");
  EXPECT_EQ(tree.Key(*properties[3]), "label");
  EXPECT_EQ(tree.Text(*properties[3]), "second");
  EXPECT_EQ(tree.PropertyText(view, "label"), "first");

  const auto location = Children(tree, *tree.Property(view, "location"));
  ASSERT_EQ(location.size(), 2u);
  EXPECT_EQ(tree.Text(*location[0]), "-345");
  EXPECT_EQ(tree.Property(view, "Parent_View")->type, NodeType::kReference);
  EXPECT_EQ(tree.Property(view, "Parent_View")->tag, 3u);
  EXPECT_EQ(Children(tree, *tree.Property(view, "kind")).size(), 2u);
  EXPECT_EQ(tree.PropertyText(view, "size"), "0.250000");
  EXPECT_EQ(tree.Raw(*items[1]), "Empty");
  EXPECT_EQ(tree.Property(design, "nothing")->first_child, kNoNode);
  EXPECT_EQ(tree.PropertyText(design, "card"), "0..n");
}

// A class diagram's views keep their names and properties; what the
// properties hold (labels, role views, points) is layout and is not kept,
// but it is still checked.
TEST(PetalTree, ClassDiagramViewsKeepTheirPropertiesButNotTheirLayout) {
  const std::string diagram =
      "(object ClassDiagram \"Main\"\n"
      "    items (list diagram_item_list\n"
      "\t(object ClassView \"Class\" \"Logical View::A\" @1\n"
      "\t    location (10, 20)\n"
      "\t    label (object ItemLabel Parent_View @1 label \"A\")\n"
      "\t    quidu \"42\")\n"
      "\t(object AssociationViewNew \"r\" @2\n"
      "\t    roleview_list (list RoleViews (object RoleView \"a\" @3 label \"x\"))\n"
      "\t    quidu \"43\")))\n";
  const std::string bytes = Body("(object Design \"Logical View\"\n  diagram " + diagram + ")");
  const Tree tree = Parse("m.mdl", bytes);
  const Node& main = *tree.Property(tree.at(tree.body), "diagram");
  const auto views = Children(tree, *tree.Property(main, "items"));
  ASSERT_EQ(views.size(), 2u);
  EXPECT_EQ(tree.Raw(*views[0]), "ClassView");
  EXPECT_EQ(views[0]->tag, 1u);
  EXPECT_EQ(tree.Text(*tree.Name(*views[0], 1)), "Logical View::A");
  EXPECT_EQ(tree.PropertyText(*views[0], "quidu"), "42");
  EXPECT_EQ(tree.Raw(*tree.Property(*views[0], "label")), "ItemLabel");
  EXPECT_TRUE(Children(tree, *tree.Property(*views[0], "label")).empty());
  EXPECT_TRUE(Children(tree, *tree.Property(*views[0], "location")).empty());
  EXPECT_TRUE(Children(tree, *tree.Property(*views[1], "roleview_list")).empty());
  EXPECT_EQ(tree.PropertyText(*views[1], "quidu"), "43");

  EXPECT_EQ(ErrorOf(Body("(object Design d " + diagram.substr(0, diagram.find("label (")) +
                         "label (object ItemLabel a)))))")),
            "m.mdl:10:31: key 'a' without a value");
}

// A node keeps a short length and a short distance back to its key; longer
// ones are kept aside and found all the same.
TEST(PetalTree, LongTextsAndKeysFarFromTheirValues) {
  const std::string text(70000, 't');
  const std::string bytes = Body("(object Design far" + std::string(300, ' ') + "\"x\" near \"y\"" +
                                 " long \"" + text + "\" block\n|" + text + "\n|" + text + "\n)");
  const Tree tree = Parse("m.mdl", bytes);
  const Node& design = tree.at(tree.body);
  EXPECT_EQ(tree.PropertyText(design, "far"), "x");
  EXPECT_EQ(tree.PropertyText(design, "near"), "y");
  EXPECT_EQ(tree.Key(*tree.Property(design, "far")), "far");
  EXPECT_EQ(tree.Property(design, "fa"), nullptr);
  EXPECT_EQ(tree.PropertyText(design, "long"), text);
  EXPECT_EQ(tree.PropertyText(design, "block"), text + "\r\n" + text);
}

TEST(PetalTree, QuotedStringsUndoEscapesAndEndLinesWithCrLf) {
  const std::string bytes = Body(
      "(object Class_Category \"Kich v\\\\ao\\\"Dang nhap\\\"\"\n"
      "    file \"$ROOT\\\\x\\\\y.cat\"\n"
      "    raw \"Schedule Patient \nAppointment\"\n"
      "    crlf \"a\r\nb\"\n"
      "    lone \"a\rb\"\n"
      "    bar \"x\n|y\")\n");
  const Tree tree = Parse("m.mdl", bytes);
  const Node& body = tree.at(tree.body);
  EXPECT_EQ(tree.Text(*tree.Name(body, 0)), "Kich v\\ao\"Dang nhap\"");
  EXPECT_EQ(tree.PropertyText(body, "file"), "$ROOT\\x\\y.cat");
  EXPECT_EQ(tree.PropertyText(body, "raw"), "Schedule Patient \r\nAppointment");
  EXPECT_EQ(tree.PropertyText(body, "crlf"), "a\r\nb");
  EXPECT_EQ(tree.PropertyText(body, "lone"), "a\rb");
  EXPECT_EQ(tree.PropertyText(body, "bar"), "x\r\n|y");  // a | inside a string is no text block
}

TEST(PetalTree, TextBlocksJoinTheirLinesWithCrLfWhateverTheFileUsed) {
  for (const std::string eol : {"\n", "\r\n"}) {
    SCOPED_TRACE(eol == "\n" ? "LF" : "CR LF");
    const std::string bytes =
        Body("(object Operation \"op\"" + eol + "    documentation \t" + eol +
             "|first \"quoted\" \\\" line" + eol + "|\tsecond" + eol + "|" + eol + "    " + eol +
             "    pre_condition (object Semantic_Info" + eol + "\tPDL \t" + eol + "|x' = x + 1" +
             eol + "\t)" + eol + "    value (value Text " + eol + "|only)" + eol + "\t)" + eol +
             "    last \"end\")" + eol);
    const Tree tree = Parse("m.mdl", bytes);
    const Node& body = tree.at(tree.body);
    EXPECT_EQ(tree.PropertyText(body, "documentation"),
              "first \"quoted\" \\\" line\r\n\tsecond\r\n");
    EXPECT_EQ(tree.PropertyText(*tree.Property(body, "pre_condition"), "PDL"), "x' = x + 1");
    EXPECT_EQ(tree.PropertyText(body, "value"), "only)");
    EXPECT_EQ(tree.PropertyText(body, "last"), "end");
  }
}

TEST(PetalTree, NotesWhetherTheTextsAreUtf8) {
  const Tree ascii = Parse("m.mdl", Body("(object Design \"plain\")"));
  EXPECT_TRUE(ascii.valid_utf8);
  EXPECT_FALSE(ascii.has_multibyte);
  const Tree utf8 = Parse("m.mdl", Body("(object Design \"\xE5\x9B\x9B\" doc \n|\xD0\x96\n)"));
  EXPECT_TRUE(utf8.valid_utf8);
  EXPECT_TRUE(utf8.has_multibyte);
  const Tree gbk = Parse("m.mdl", Body("(object Design \"\xCF\xD4\xCA\xBE\")"));  // GBK bytes
  EXPECT_FALSE(gbk.valid_utf8);
  const Tree overlong = Parse("m.mdl", Body("(object Design \"\xC0\xAF\")"));
  EXPECT_FALSE(overlong.valid_utf8);
}

TEST(PetalTree, MalformedInputIsAnErrorAtItsPosition) {
  // Line 6 is the first line of the body after the five-line header.
  EXPECT_EQ(ErrorOf(Body("(object Design \"open\n\n")), "m.mdl:6:16: unterminated string");
  EXPECT_EQ(ErrorOf(Body("(object Design\n  items (list x\n")), "m.mdl:7:9: unterminated list");
  EXPECT_EQ(ErrorOf(Body("(object Design\n  a 1\n")), "m.mdl:6:1: unterminated object");
  EXPECT_EQ(ErrorOf(Body("(object Design a (value Text \"x\"\n")),
            "m.mdl:6:18: unterminated value");
  EXPECT_EQ(ErrorOf(Body("(object Design))")), "m.mdl:6:16: unexpected ')'");
  EXPECT_EQ(ErrorOf(Body("(object Design a # b)")), "m.mdl:6:18: unexpected character '#'");
  EXPECT_EQ(ErrorOf(Body("(object Design a \x01)")), "m.mdl:6:18: unexpected byte 0x01");
  EXPECT_EQ(ErrorOf(Body("(object \"x\")")), "m.mdl:6:9: object without kind");
  EXPECT_EQ(ErrorOf(Body("(object Design a (value \"x\"))")),
            "m.mdl:6:25: wrapped value without kind");
  EXPECT_EQ(ErrorOf(Body("(object Design a)")), "m.mdl:6:17: key 'a' without a value");
  EXPECT_EQ(ErrorOf(Body("(object Design a 1 \"b\")")),
            "m.mdl:6:20: unexpected string where a key belongs");
  EXPECT_EQ(ErrorOf(Body("(object Design a (value Text \"x\" \"y\"))")),
            "m.mdl:6:34: unexpected string: a wrapped value holds one value");
  EXPECT_EQ(ErrorOf(Body("(object Design a 1 , b 2)")), "m.mdl:6:20: unexpected character ','");
  EXPECT_EQ(ErrorOf(Body("(object Design a @)")), "m.mdl:6:18: '@' without a number");
  EXPECT_EQ(ErrorOf(Body("(object Design a\n|text)")), "m.mdl:6:1: unterminated object");
  EXPECT_EQ(ErrorOf(Body("(object Design\n|text\n)")),
            "m.mdl:7:1: unexpected text block where a key belongs");
  EXPECT_EQ(ErrorOf(Body("(object Design a  |x)")), "m.mdl:6:19: unexpected character '|'");
  EXPECT_EQ(ErrorOf(Body("\"loose\"")), "m.mdl:6:1: unexpected string outside an object");
  EXPECT_EQ(ErrorOf(""), "m.mdl:1:1: empty file: expected (object Petal ...)");
  EXPECT_EQ(ErrorOf("(object Design)"), "m.mdl:1:9: expected (object Petal ...) first");
  EXPECT_EQ(ErrorOf(kHeader), "m.mdl:6:1: missing model after the petal header");
  EXPECT_EQ(ErrorOf(Body("(object Design)\n(object Extra)")),
            "m.mdl:7:9: unexpected object after the model");
}

TEST(PetalTree, NestingIsBoundedInsteadOfExhaustingTheStack) {
  std::string deep = Body("(object Design a ");
  for (int i = 0; i < 100000; ++i) deep += "(list ";
  EXPECT_THAT(ErrorOf(deep), HasSubstr("nesting deeper than 256 levels"));
  std::string fine = Body("(object Design a ");
  for (int i = 0; i < 200; ++i) fine += "(list ";
  fine += std::string(201, ')');
  EXPECT_NO_THROW(Parse("m.mdl", fine));
}

// Truncated and corrupted files either parse or fail with a positioned
// error; the sanitizers watch every read.
TEST(PetalTree, ArbitraryBytesNeverCrash) {
  const std::string sample = Body(
      "(object Design \"Logical View\"\n"
      "    root_category (object Class_Category \"Logical View\"\n"
      "\tlogical_models (list unit_reference_list\n"
      "\t    (object Class \"A\\\"b\" @1 quid \"1\" doc \n|line \"x\"\n|\n\t    loc (1, -2) v "
      "(\"E\" 3)))\n"
      "\tcard (value cardinality \"0..n\")))\n");
  std::mt19937 random(20261206);
  for (std::size_t cut = 0; cut <= sample.size(); ++cut) {
    try {
      Parse("m.mdl", std::string_view(sample).substr(0, cut));
    } catch (const LoadError&) {
    }
  }
  const std::string alphabet = "()\"\\|@,-0123456789 \t\r\nobjectlistvalueTRUE\x80\xC3\xE5\xFF";
  for (int round = 0; round < 3000; ++round) {
    std::string bytes = sample;
    const int edits = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < edits; ++i) {
      const std::size_t at = random() % bytes.size();
      const char c = alphabet[random() % alphabet.size()];
      switch (random() % 3) {
        case 0:
          bytes[at] = c;
          break;
        case 1:
          bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), c);
          break;
        default:
          bytes.erase(at, 1);
      }
    }
    try {
      const Tree tree = Parse("m.mdl", bytes);
      for (const Node& node : tree.nodes) (void)tree.Text(node);
    } catch (const LoadError& error) {
      EXPECT_THAT(error.what(), ::testing::StartsWith("m.mdl:"));
    }
  }
}

}  // namespace
}  // namespace tarn::modelfile::petal

namespace tarn::modelfile::petal {
namespace {

// Lines and columns come from an index of line starts made once per file;
// they count as before, whatever order they are asked in.
TEST(PetalTree, LineAndColumnOfAnyOffsetInAnyOrder) {
  const std::string bytes = Body("(object Class_Category \"a\"\r\n\r\n    quid \"1\")\n");
  const Tree tree = Parse("m.cat", bytes);
  const auto counted = [&](std::uint32_t offset) {
    const std::string_view before = std::string_view(bytes).substr(0, std::min<std::size_t>(offset, bytes.size()));
    const auto lastBreak = before.rfind('\n');
    return std::pair<int, int>(
        1 + static_cast<int>(std::count(before.begin(), before.end(), '\n')),
        static_cast<int>(before.size() - (lastBreak == std::string_view::npos ? 0 : lastBreak + 1) + 1));
  };
  const std::uint32_t last = static_cast<std::uint32_t>(bytes.size());
  for (const std::uint32_t offset : {last + 5, last, 0u, 1u, 2u, last - 1, 40u, 60u, 61u, 62u, 0u})
    EXPECT_EQ(tree.LineAndColumn(offset), counted(offset)) << offset;
  EXPECT_EQ(tree.LineAndColumn(0), std::make_pair(1, 1));
  EXPECT_EQ(tree.LineAndColumn(1), std::make_pair(2, 1));
}

}  // namespace
}  // namespace tarn::modelfile::petal
