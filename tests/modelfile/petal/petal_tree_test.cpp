// The petal parser: the shapes real files take and the texts it hands out
// (petal/data/trees.txt), an error with a position for every malformed input
// (petal/data/errors.txt, through the reader), and what only a program can
// write: long texts, deep nesting, corrupted bytes.
#include "modelfile/petal/petal_tree.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "modelfile/load_error.hpp"
#include "modelfile/test_data.hpp"

namespace tarn::modelfile::petal {
namespace {

using ::testing::HasSubstr;

constexpr std::string_view kHeader =
    "\n(object Petal\n    version    \t50\n    charSet    \t0)\n\n";

std::string Body(std::string_view body) { return std::string(kHeader) + std::string(body); }

std::string ErrorOf(std::string_view bytes) {
  try {
    Parse("m.mdl", bytes);
  } catch (const LoadError& error) {
    return error.what();
  }
  return "no error";
}

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
    out += c == '\r'                     ? "\\r"
           : c == '\n'                   ? "\\n"
           : c == '\t'                   ? "\\t"
           : c == '"'                    ? "\\\""
           : c == '\\'                   ? "\\\\"
           : byte < 0x20 || byte >= 0x7F ? escaped
                                         : std::string(1, c);
  }
  return out + "\"";
}

// A node and those below it, one a line, indented by depth: a property's key,
// then an object, list or wrapped value with its kind word and @tag, a
// tuple, a reference @N, or a scalar's type and its text with C escapes.
void Print(const Tree& tree, const Node& node, int depth, std::string& out) {
  static const char* const kTypes[] = {"object", "list",   "value",      "tuple",    "string",
                                       "text",   "number", "identifier", "reference"};
  out += std::string(2 * depth, ' ');
  if (!tree.Key(node).empty()) out += std::string(tree.Key(node)) + ": ";
  out += kTypes[static_cast<int>(node.type)];
  if (node.type <= NodeType::kWrapped && !tree.Raw(node).empty())
    out += " " + std::string(tree.Raw(node));
  if (node.type > NodeType::kTuple && node.type < NodeType::kReference)
    out += " " + Quoted(tree.Text(node));
  if (node.tag != 0) out += " @" + std::to_string(node.tag);
  out += "\n";
  for (std::uint32_t child = node.first_child; child != kNoNode;
       child = tree.at(child).next_sibling)
    Print(tree, tree.at(child), depth + 1, out);
}

TEST(PetalTree, ShapesAndTexts) {
  for (const testing::Case& test : testing::ReadCases(testing::DataPath("petal/data/trees.txt"))) {
    SCOPED_TRACE(test.where);
    const std::string bytes = Body(test.input);
    const Tree tree = Parse("m.mdl", bytes);
    std::string out = !tree.valid_utf8     ? "not UTF-8\n"
                      : tree.has_multibyte ? "UTF-8, multi-byte\n"
                                           : "ASCII\n";
    Print(tree, tree.at(tree.body), 0, out);
    EXPECT_EQ(out, test.Expected("tree") + "\n");
  }
}

// A property is found by its key, the first of a repeated one; a node keeps a
// short length and a short distance back to its key, and longer ones are
// kept aside and found all the same.
TEST(PetalTree, PropertiesByKeyAndLongTexts) {
  const std::string text(70000, 't');
  // Keys at distances around the longest a node keeps itself.
  std::string edges;
  for (int blanks = 249; blanks <= 253; ++blanks)
    edges += " k" + std::to_string(blanks) + std::string(blanks, ' ') + "\"" + std::to_string(blanks) + "\"";
  const std::string bytes =
      Body("(object Design \"D\" far" + std::string(300, ' ') + "\"x\" near \"y\"" + edges + " long \"" +
           text + "\" block\n|" + text + "\n|" + text + "\n near \"z\")");
  const Tree tree = Parse("m.mdl", bytes);
  const Node& design = tree.at(tree.body);
  for (int blanks = 249; blanks <= 253; ++blanks) {
    const std::string key = "k" + std::to_string(blanks);
    ASSERT_NE(tree.Property(design, key), nullptr) << key;
    EXPECT_EQ(tree.Key(*tree.Property(design, key)), key);
    EXPECT_EQ(tree.PropertyText(design, key), std::to_string(blanks));
  }
  EXPECT_EQ(tree.PropertyText(design, "far"), "x");
  EXPECT_EQ(tree.PropertyText(design, "near"), "y");
  EXPECT_EQ(tree.Key(*tree.Property(design, "far")), "far");
  EXPECT_EQ(tree.Property(design, "fa"), nullptr);
  EXPECT_EQ(tree.PropertyText(design, "long"), text);
  EXPECT_EQ(tree.PropertyText(design, "block"), text + "\r\n" + text);
  EXPECT_EQ(tree.Text(*tree.Name(design, 0)), "D");
  EXPECT_EQ(tree.Name(design, 1), nullptr);
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

// Lines and columns come from an index of line starts made once per file;
// they count as before, whatever order they are asked in.
TEST(PetalTree, LineAndColumnOfAnyOffsetInAnyOrder) {
  const std::string bytes = Body("(object Class_Category \"a\"\r\n\r\n    quid \"1\")\n");
  const Tree tree = Parse("m.cat", bytes);
  const auto counted = [&](std::uint32_t offset) {
    const std::string_view before =
        std::string_view(bytes).substr(0, std::min<std::size_t>(offset, bytes.size()));
    const auto last_break = before.rfind('\n');
    return std::pair<int, int>(
        1 + static_cast<int>(std::count(before.begin(), before.end(), '\n')),
        static_cast<int>(before.size() -
                         (last_break == std::string_view::npos ? 0 : last_break + 1) + 1));
  };
  const std::uint32_t last = static_cast<std::uint32_t>(bytes.size());
  for (const std::uint32_t offset : {last + 5, last, 0u, 1u, 2u, last - 1, 40u, 60u, 61u, 62u, 0u})
    EXPECT_EQ(tree.LineAndColumn(offset), counted(offset)) << offset;
  EXPECT_EQ(tree.LineAndColumn(0), std::make_pair(1, 1));
  EXPECT_EQ(tree.LineAndColumn(1), std::make_pair(2, 1));
}

}  // namespace
}  // namespace tarn::modelfile::petal
