// Every problem in a model file is reported as FILE:LINE:COLUMN: message at
// the node that is wrong.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "common/error.hpp"
#include "modelfile/native/native_reader.hpp"

namespace tarn::modelfile {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

std::string ErrorOf(const std::string& yaml) {
  try {
    ParseNativeModel(yaml, "model.yaml");
  } catch (const LoadError& error) {
    return error.what();
  }
  return "no error";
}

TEST(NativeReaderErrors, SyntaxAndBytes) {
  EXPECT_THAT(ErrorOf("tarn-model: 1\nclasses: [a, b\n"),
              StartsWith("model.yaml:3:1: syntax error: "));
  EXPECT_THAT(ErrorOf("tarn-model: 1\n  name: x\n"), StartsWith("model.yaml:2:7: syntax error: "));
  EXPECT_EQ(ErrorOf("tarn-model: 1\nclasses:\n  - name: ab\xFF\n"),
            "model.yaml:3:13: the file is not UTF-8 here (byte 0xFF)");
  EXPECT_EQ(ErrorOf("tarn-model: 1\nclasses:\n  - name: \xC3\xA9\xE0\x80\x80\n"),
            "model.yaml:3:13: the file is not UTF-8 here (byte 0xE0)");  // overlong form
  EXPECT_EQ(ErrorOf(std::string("tarn-model: 1\nx: a\0b\n", 21)),
            "model.yaml:2:5: NUL character in the file");
  EXPECT_EQ(ErrorOf("tarn-model: 1\n---\ntarn-model: 1\n"),
            "model.yaml:2:1: a second YAML document; a model file holds one");
  EXPECT_EQ(ErrorOf("tarn-model: 1\nclasses:\n  - &c { name: A }\n  - *c\n"),
            "model.yaml:4:5: aliases are not supported in a model file");
  EXPECT_EQ(ErrorOf("tarn-model: 1\n? [a]\n: b\n"),
            "model.yaml:2:3: a mapping key must be a text, not a list");
}

TEST(NativeReaderErrors, QuotedTextThatIsNeverClosed) {
  // Left alone, the open quote would take every later line into the name.
  EXPECT_EQ(ErrorOf("tarn-model: 1\nclasses:\n  - name: \"Account\n    attributes: []\n"),
            "model.yaml:3:11: syntax error: the quoted text is not closed");
  EXPECT_EQ(ErrorOf("\xEF\xBB\xBFtarn-model: 1\r\nclasses:\r\n  - name: 'it''s\r\n  - name: B\r\n"),
            "model.yaml:3:11: syntax error: the quoted text is not closed");
  EXPECT_EQ(ErrorOf("\xEF\xBB\xBFtarn-model: 1\r\nclasses: [{ name: 'it''s' }, { name: "
                    "\"a\\\"b\\\\\", id: x }, {}]\r\n"),
            "no error");
}

TEST(NativeReaderErrors, DeepNestingIsRefusedWithoutExhaustingTheStack) {
  const std::string nested =
      "tarn-model: 1\nx: " + std::string(100000, '[') + std::string(100000, ']') + "\n";
  // The root mapping is level 1; the 64th "[" opens level 65 at column 67.
  EXPECT_EQ(ErrorOf(nested), "model.yaml:2:67: nesting deeper than 64 levels");

  // Block lists, one level per line: line 3 opens level 2.
  std::string blocks = "tarn-model: 1\nx:\n";
  for (int level = 2; level < 100; ++level) blocks += std::string(2 * level - 2, ' ') + "-\n";
  EXPECT_EQ(ErrorOf(blocks), "model.yaml:66:129: nesting deeper than 64 levels");
}

TEST(NativeReaderErrors, VersionTextModeAndEncoding) {
  EXPECT_EQ(ErrorOf(""), "model.yaml:1:1: missing \"tarn-model: 1\"; this is not a model file");
  EXPECT_EQ(ErrorOf("# nothing\nclasses: []\n"),
            "model.yaml:2:1: missing \"tarn-model: 1\"; this is not a model file");
  EXPECT_EQ(ErrorOf("- tarn-model: 1\n"),
            "model.yaml:1:1: a model file must be a mapping of fields, not a list");
  EXPECT_EQ(ErrorOf("classes: []\ntarn-model: 2\n"),
            "model.yaml:2:13: unknown format version \"2\" (this reader knows version 1)");
  EXPECT_EQ(ErrorOf("tarn-model: 1.0\n"),
            "model.yaml:1:13: unknown format version \"1.0\" (this reader knows version 1)");
  EXPECT_EQ(ErrorOf("tarn-model: 1\ntext: CRLF\n"),
            "model.yaml:2:7: unknown text mode \"CRLF\" (expected crlf or exact)");
  EXPECT_EQ(ErrorOf("tarn-model: 1\nencoding: klingon\n"),
            "model.yaml:2:11: unknown encoding \"klingon\"");
  EXPECT_EQ(ErrorOf("tarn-model: 1\nencoding: windows-1252//TRANSLIT\n"),
            "model.yaml:2:11: unknown encoding \"windows-1252//TRANSLIT\"");
  EXPECT_EQ(
      ErrorOf("tarn-model: 1\nencoding: utf-16\n"),
      "model.yaml:2:11: encoding \"utf-16\" cannot be used: it does not keep ASCII characters as "
      "single bytes");
}

TEST(NativeReaderErrors, CharactersTheCodePageCannotHold) {
  EXPECT_EQ(ErrorOf("tarn-model: 1\nclasses:\n  - name: A\n    attributes:\n      - { name: x, "
                    "type: \"\\u4E2D\" }\n"),
            "model.yaml:5:26: character U+4E2D \"中\" cannot be written in windows-1252");
  EXPECT_EQ(ErrorOf("tarn-model: 1\nencoding: windows-1251\nclasses:\n  - name: A\n    tags: { "
                    "Invariant: é }\n"),
            "model.yaml:5:24: character U+00E9 \"é\" cannot be written in windows-1251");
  EXPECT_EQ(ErrorOf("tarn-model: 1\nclasses: [{ tags: { \"\\x81\": x } }]\n"),
            "model.yaml:2:21: character U+0081 cannot be written in windows-1252");
  // The parser gives \N as one bare byte, not as UTF-8.
  EXPECT_THAT(ErrorOf("tarn-model: 1\nclasses: [{ name: \"a\\Nb\" }]\n"),
              StartsWith("model.yaml:2:19: the text is not valid UTF-8"));
}

TEST(NativeReaderErrors, UnknownAndRepeatedFields) {
  EXPECT_EQ(ErrorOf("tarn-model: 1\nclasses:\n  - name: A\n    atributes: []\n"),
            "model.yaml:4:5: unknown field \"atributes\" in class (expected one of: id, name, "
            "superclasses, tags, attributes, operations)");
  EXPECT_EQ(ErrorOf("tarn-model: 1\nclass: []\n"),
            "model.yaml:2:1: unknown field \"class\" in model (expected one of: tarn-model, text, "
            "encoding, selection, diagrams, classes, associations)");
  EXPECT_THAT(
      ErrorOf(
          "tarn-model: 1\nclasses: [{ operations: [{ name: f, parameters: [{ nme: x }] }] }]\n"),
      StartsWith(
          "model.yaml:2:52: unknown field \"nme\" in parameter (expected one of: name, type)"));
  EXPECT_THAT(
      ErrorOf("tarn-model: 1\nassociations: [{ roles: [{ class: A, navigble: true }, {}] }]\n"),
      StartsWith("model.yaml:2:38: unknown field \"navigble\" in role"));
  EXPECT_THAT(ErrorOf("tarn-model: 1\ndiagrams: [{ name: D, classes: [], class: [] }]\n"),
              StartsWith("model.yaml:2:36: unknown field \"class\" in diagram"));

  EXPECT_EQ(ErrorOf("tarn-model: 1\nclasses:\n  - name: A\n    name: B\n"),
            "model.yaml:4:5: field \"name\" given twice (first at line 3, column 5)");
  EXPECT_EQ(ErrorOf("tarn-model: 1\nclasses: []\ntarn-model: 1\n"),
            "model.yaml:3:1: field \"tarn-model\" given twice (first at line 1, column 1)");
  EXPECT_EQ(ErrorOf("tarn-model: 1\nclasses: [{ tags: { Invariant: a, Invariant: b } }]\n"),
            "model.yaml:2:35: tag \"Invariant\" given twice (first at line 2, column 21)");
}

TEST(NativeReaderErrors, FieldsOfTheWrongKind) {
  EXPECT_EQ(ErrorOf("tarn-model: 1\nclasses:\n  - name: [A]\n"),
            "model.yaml:3:11: field \"name\" must be a text, not a list");
  EXPECT_EQ(ErrorOf("tarn-model: 1\nclasses:\n  - name: A\n    attributes: { name: x }\n"),
            "model.yaml:4:17: field \"attributes\" must be a list, not a mapping");
  EXPECT_EQ(ErrorOf("tarn-model: 1\nclasses: [A]\n"),
            "model.yaml:2:11: a class must be a mapping of fields, not a text");
  EXPECT_EQ(ErrorOf("tarn-model: 1\nclasses: [{ attributes: [[]] }]\n"),
            "model.yaml:2:26: an attribute must be a mapping of fields, not a list");
  EXPECT_EQ(ErrorOf("tarn-model: 1\nclasses: [{ tags: [a] }]\n"),
            "model.yaml:2:19: field \"tags\" must be a mapping, not a list");
  EXPECT_EQ(ErrorOf("tarn-model: 1\nclasses: [{ tags: { a: { b: c } } }]\n"),
            "model.yaml:2:24: tag \"a\" must be a text, not a mapping");
  EXPECT_EQ(ErrorOf("tarn-model: 1\nselection: A\n"),
            "model.yaml:2:12: field \"selection\" must be a list, not a text");
  EXPECT_EQ(ErrorOf("tarn-model: 1\nclasses: [{ name: A, superclasses: [[A]] }]\n"),
            "model.yaml:2:37: a reference must be an id (a text), not a list");
  EXPECT_EQ(ErrorOf("tarn-model: 1\nclasses: [{ name: A }]\n"
                    "associations: [{ roles: [{ class: A, navigable: yes }, { class: A }] }]\n"),
            "model.yaml:3:49: field \"navigable\" must be true or false");
  EXPECT_EQ(ErrorOf("tarn-model: 1\nclasses: [{ name: A }]\n"
                    "associations: [{ roles: [{ class: A, navigable: }, { class: A }] }]\n"),
            "model.yaml:3:49: field \"navigable\" must be true or false");
}

TEST(NativeReaderErrors, IdsAndReferences) {
  EXPECT_EQ(ErrorOf("tarn-model: 1\nclasses:\n  - name: A\n  - { id: B, name: A }\n  - name: B\n"),
            "model.yaml:5:11: duplicate id \"B\" (first given at line 4, column 11)");
  // An association written before a class: the later one in the file is wrong.
  EXPECT_EQ(
      ErrorOf("tarn-model: 1\nassociations: [{ name: A, roles: [{ class: A }, { class: A }] }]\n"
              "classes: [{ name: A }]\n"),
      "model.yaml:3:19: duplicate id \"A\" (first given at line 2, column 24)");

  const std::string classes = "tarn-model: 1\nclasses: [{ name: A }, { name: B }]\n";
  EXPECT_EQ(ErrorOf(classes + "associations: [{ name: r, roles: [{ class: A }, { class: C }] }]\n"),
            "model.yaml:3:58: unknown id \"C\"");
  EXPECT_EQ(ErrorOf(classes + "associations: [{ name: r, roles: [{ class: A }, { name: b }] }]\n"),
            "model.yaml:3:49: a role needs \"class\", the id of its class");
  EXPECT_EQ(ErrorOf("tarn-model: 1\nclasses: [{ name: A, superclasses: [A, Z] }]\n"),
            "model.yaml:2:40: unknown id \"Z\"");
  EXPECT_EQ(ErrorOf(classes + "diagrams: [{ classes: [A, a] }]\n"),
            "model.yaml:3:27: unknown id \"a\"");
  EXPECT_EQ(ErrorOf(classes + "diagrams: [{ associations: [A] }]\n"),
            "model.yaml:3:29: \"A\" is a class, not an association");
  EXPECT_EQ(ErrorOf(classes + "associations: [{ name: r, roles: [{ class: r }, { class: A }] }]\n"),
            "model.yaml:3:44: \"r\" is an association, not a class");
  EXPECT_EQ(ErrorOf(classes + "selection: [B, nothing]\n"),
            "model.yaml:3:16: unknown id \"nothing\"");
  // An element without id or name has no id to be reached by.
  EXPECT_EQ(ErrorOf("tarn-model: 1\nclasses: [{ name: \"\" }]\nselection: [\"\"]\n"),
            "model.yaml:3:13: unknown id \"\"");
}

TEST(NativeReaderErrors, AssociationsHaveExactlyTwoRoles) {
  const std::string classes = "tarn-model: 1\nclasses: [{ name: A }]\n";
  EXPECT_EQ(ErrorOf(classes + "associations:\n  - name: r\n    roles: [{ class: A }]\n"),
            "model.yaml:5:12: an association needs exactly two roles, found 1");
  EXPECT_EQ(
      ErrorOf(
          classes +
          "associations:\n  - name: r\n    roles: [{ class: A }, { class: A }, { class: A }]\n"),
      "model.yaml:5:12: an association needs exactly two roles, found 3");
  EXPECT_EQ(ErrorOf(classes + "associations:\n  - name: r\n"),
            "model.yaml:4:5: an association needs exactly two roles, found 0");
}

TEST(NativeReaderErrors, UnreadableFileIsAPlatformError) {
  try {
    LoadNativeModel(TARN_SOURCE_DIR "/tests/modelfile/native/models/no-such-file.yaml");
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.Number(), kFileNotFound);
    EXPECT_THAT(error.Description(), HasSubstr("no-such-file.yaml: No such file or directory"));
  }
}

}  // namespace
}  // namespace tarn::modelfile
