// The reader builds the model in one pass over the parser's events: a file
// says what it means whatever order its fields come in, its worst problem is
// the one reported, and a file on disk read in pieces reads as its bytes do.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/error.hpp"
#include "modelfile/native/native_reader.hpp"
#include "modelfile/native/yaml_events.hpp"

namespace tarn::modelfile {
namespace {

std::string ErrorOf(const std::string& yaml) {
  try {
    ParseNativeModel(yaml, "model.yaml");
  } catch (const LoadError& error) {
    return error.what();
  }
  return "no error";
}

TEST(NativeReaderStream, TextModeAndEncodingApplyToTextsWrittenBeforeThem) {
  const auto exact = ParseNativeModel(
      "tarn-model: 1\nclasses: [{ name: \"a\\nb\", id: c }]\nselection: [c]\ntext: exact\n",
      "model.yaml");
  EXPECT_EQ(exact->model.classes[0].name, "a\nb");
  ASSERT_EQ(exact->model.selection.size(), 1u);
  EXPECT_EQ(exact->model.selection[0], &exact->model.classes[0]);

  // "Ё" is not in windows-1252, the default, but is in the encoding given last.
  const auto cyrillic = ParseNativeModel(
      "classes: [{ name: Ё }]\ntarn-model: 1\nencoding: windows-1251\n", "model.yaml");
  EXPECT_EQ(cyrillic->model.encoding, "windows-1251");
  EXPECT_EQ(cyrillic->model.classes[0].name, "\xA8");

  const auto western = ParseNativeModel(
      "tarn-model: 1\nclasses: [{ name: \"é\\nx\" }]\nencoding: windows-1252\ntext: crlf\n",
      "model.yaml");
  EXPECT_EQ(western->model.classes[0].name, "\xE9\r\nx");

  EXPECT_EQ(ErrorOf("tarn-model: 1\nclasses: [{ name: Ё }]\nencoding: windows-1250\n"),
            "model.yaml:2:19: character U+0401 \"Ё\" cannot be written in windows-1250");
}

TEST(NativeReaderStream, TheWorstProblemOfTheFileIsReported) {
  const struct {
    const char* yaml;
    const char* error;
  } cases[] = {
      // A syntax error anywhere comes first.
      {"tarn-model: 1\nclasses: [A]\nx: [\n",
       "model.yaml:4:1: syntax error: did not find expected node content (while parsing a flow "
       "node that starts at line 4, column 1: \"\")"},
      // Then the version, also when it comes last.
      {"classes: [A]\ntarn-model: 2\n",
       "model.yaml:2:13: unknown format version \"2\" (this reader knows version 1)"},
      {"services:\n  web: { image: x }\nclasses: [A]\n",
       "model.yaml:1:1: missing \"tarn-model: 1\"; this is not a model file"},
      // Then the model's own fields, the text mode and the encoding.
      {"tarn-model: 1\nclasses: [A]\nclass: []\n",
       "model.yaml:3:1: unknown field \"class\" in model (expected one of: tarn-model, text, "
       "encoding, selection, diagrams, classes, associations)"},
      {"tarn-model: 1\nclasses: [A]\nencoding: klingon\ntext: CRLF\n",
       "model.yaml:4:7: unknown text mode \"CRLF\" (expected crlf or exact)"},
      {"tarn-model: 1\nclasses: [A]\nencoding: klingon\n",
       "model.yaml:3:11: unknown encoding \"klingon\""},
      // Then the first problem of the content, in file order.
      {"tarn-model: 1\nassociations: [B]\nclasses: [A]\n",
       "model.yaml:2:16: an association must be a mapping of fields, not a text"},
      // Ids and references once the whole file is read.
      {"tarn-model: 1\nselection: [X]\nclasses: [{ name: A }, { name: A }]\n",
       "model.yaml:3:32: duplicate id \"A\" (first given at line 3, column 19)"},
  };
  for (const auto& each : cases) EXPECT_EQ(ErrorOf(each.yaml), each.error) << each.yaml;
}

TEST(NativeReaderStream, SyntaxErrorsNameWhatWasOpenAndItsPlace) {
  const struct {
    const char* yaml;
    const char* error;
  } cases[] = {
      // Only a quote that runs to the end of the file is "not closed".
      {"tarn-model: 1\nclasses:\n  - name: \"abc\n---\n",
       "model.yaml:4:1: syntax error: found unexpected document indicator (while scanning a quoted "
       "scalar that starts at line 3, column 11: \"\"abc\")"},
      {"tarn-model: 1\nclasses: [aaaaaaaaaa, bbbbbbbbbb, cccccccccc, dddddddddd, eeeeeeeeee\n",
       "model.yaml:3:1: syntax error: did not find expected ',' or ']' (while parsing a flow "
       "sequence that starts at line 2, column 10: \"[aaaaaaaaaa, bbbbbbbbbb, cccccccccc, "
       "ddd...\")"},
      // A list's entries are never keys, whatever came before them.
      {"tarn-model: 1\nclasses: [{ name: A, superclasses: [A, [B]] }]\n",
       "model.yaml:2:40: a reference must be an id (a text), not a list"},
      {"tarn-model: 1\nclasses: []\nclasses: []\n",
       "model.yaml:3:1: field \"classes\" given twice (first at line 2, column 1)"},
  };
  for (const auto& each : cases) EXPECT_EQ(ErrorOf(each.yaml), each.error) << each.yaml;
}

TEST(NativeReaderStream, OnlyAnUntaggedPlainScalarCanBeNull) {
  const auto model_app = ParseNativeModel(
      "tarn-model: 1\nclasses:\n  - { name: !!str null, id: a }\n  - { name: \"~\" }\n"
      "  - { name: ~, id: c }\n",
      "model.yaml");
  EXPECT_EQ(model_app->model.classes[0].name, "null");
  EXPECT_EQ(model_app->model.classes[1].name, "~");
  EXPECT_EQ(model_app->model.classes[2].name, "");
}

// A file that cannot be read on is the platform's error, not a syntax error.
TEST(NativeReaderStream, AReadErrorStopsTheStreamWithItsOwnError) {
  const std::string yaml = "tarn-model: 1\nclasses:\n" + std::string(100000, ' ') + "[]\n";
  int reads = 0;
  native::YamlEvents events(
      [&](std::size_t offset, char* buffer, std::size_t size) -> std::size_t {
        if (++reads > 3) throw Error(kPathFileAccess, "Cannot read model.yaml: Input/output error");
        const std::string_view piece = std::string_view(yaml).substr(offset, size);
        std::copy(piece.begin(), piece.end(), buffer);
        return piece.size();
      },
      "model.yaml");
  reads = 0;  // the check of the bytes read the file through once
  try {
    while (true) events.Next();
  } catch (const LoadError& error) {
    FAIL() << error.what();
  } catch (const Error& error) {
    EXPECT_EQ(error.Description(), "Cannot read model.yaml: Input/output error");
  }
}

// YAML 1.2 reads NEL, LS and PS (U+0085, U+2028, U+2029) as characters like
// any other, also where the parser, a YAML 1.1 one, would take them for
// line breaks; texts that hold the characters standing in for them are
// left as they are.
TEST(NativeReaderStream, NextLineAndLineAndParagraphSeparatorsAreCharacters) {
  const std::string nel = "\xC2\x85", ls = "\xE2\x80\xA8", ps = "\xE2\x80\xA9";
  const std::string private_use = "\xEF\xA3\xBF";  // U+F8FF
  std::string yaml = "tarn-model: 1\nencoding: utf-8\nclasses:\n";
  yaml += "  - name: a" + ls + "b " + private_use + " \"\\uF8FE\"\n";
  yaml += "    attributes: [{ name: \"x" + nel + "y" + ps + "\", type: \"\\uf8fd\\u07FF\" }]\n";
  // Enough of them that some stand across the pieces the parser reads.
  for (int i = 0; i < 3000; ++i) yaml += "  - name: c" + std::to_string(i) + ls + nel + ps + "\n";
  const auto model_app = ParseNativeModel(yaml, "model.yaml");
  const auto& classes = model_app->model.classes;
  ASSERT_EQ(classes.size(), 3001u);
  EXPECT_EQ(classes[0].name, "a" + ls + "b " + private_use + " \"\\uF8FE\"");
  EXPECT_EQ(classes[0].attributes[0].name, "x" + nel + "y" + ps);
  EXPECT_EQ(classes[0].attributes[0].type, "\xEF\xA3\xBD\xDF\xBF");  // U+F8FD, U+07FF
  for (int i = 0; i < 3000; ++i)
    ASSERT_EQ(classes[static_cast<std::size_t>(i) + 1].name, "c" + std::to_string(i) + ls + nel + ps);
}

TEST(NativeReaderStream, ColumnsCountBytesAfterCharactersOfSeveral) {
  EXPECT_EQ(ErrorOf("tarn-model: 1\nclasses: [{ name: \"é€\", id: [x] }]\n"),
            "model.yaml:2:32: field \"id\" must be a text, not a list");
  EXPECT_EQ(ErrorOf("tarn-model: 1\r\nclasses: [{ name: é, tags: { é: 1, é: 2 } }]\r\n"),
            "model.yaml:2:38: tag \"é\" given twice (first at line 2, column 31)");
}

TEST(NativeReaderStream, OnlyTheEscapesNAndUnderscoreAreRefused) {
  // U+00A0 written as itself or as \u00A0, and a backslash before N, are texts.
  const auto model_app = ParseNativeModel(
      "tarn-model: 1\nencoding: utf-8\nclasses:\n  - { name: \"a\xC2\xA0" "b\", id: \"\\u00A0\" "
      "}\n  - { name: \"\\\\N\" }\n",
      "model.yaml");
  EXPECT_EQ(model_app->model.classes[0].name, "a\xC2\xA0" "b");
  EXPECT_EQ(model_app->model.classes[0].id, "\xC2\xA0");
  EXPECT_EQ(model_app->model.classes[1].name, "\\N");
  EXPECT_EQ(ErrorOf("tarn-model: 1\nclasses: [{ name: é, tags: { \"ü\\_\": x } }]\n"),
            "model.yaml:2:31: the text is not valid UTF-8 (write \\N and \\_ as \\u0085 and "
            "\\u00A0)");
}

class NativeFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = (std::filesystem::temp_directory_path() /
             ("tarn-native-" + std::to_string(::getpid()) + ".yaml"))
                .string();
  }
  void TearDown() override { std::filesystem::remove(path_); }

  std::string Load(const std::string& yaml) {
    std::ofstream(path_, std::ios::binary) << yaml;
    try {
      LoadNativeModel(path_);
    } catch (const LoadError& error) {
      return std::string(error.what()).substr(path_.size());
    }
    return "no error";
  }

  std::string path_;
};

// A file larger than the pieces it is read in, with characters of several
// bytes across the pieces' ends: it loads as its bytes do, and a problem at
// its end is placed by reading it again.
TEST_F(NativeFileTest, ALargeFileReadInPiecesLoadsAsItsBytes) {
  std::string yaml = "\xEF\xBB\xBFtarn-model: 1\nencoding: utf-8\nclasses:\n";
  for (int i = 0; i < 6000; ++i) yaml += "  - name: \"€" + std::to_string(i) + "\"\n";
  EXPECT_EQ(Load(yaml), "no error");
  const auto from_file = LoadNativeModel(path_);
  const auto from_bytes = ParseNativeModel(yaml, "model.yaml");
  ASSERT_EQ(from_file->model.classes.size(), 6000u);
  EXPECT_EQ(from_file->model.classes.back().name, from_bytes->model.classes.back().name);
  EXPECT_EQ(from_file->model.classes.back().name, "€5999");

  EXPECT_EQ(Load(yaml + "  - name: é\n    nme: x\n"),
            ":6005:5: unknown field \"nme\" in class (expected one of: id, name, superclasses, "
            "tags, attributes, operations)");
  EXPECT_EQ(Load(yaml + "  - name: \xE9\n"), ":6004:11: the file is not UTF-8 here (byte 0xE9)");
}

}  // namespace
}  // namespace tarn::modelfile
