// The native reader: model files and the model it makes of them, as the
// native writer dumps it; files it refuses, with the message at the node
// that is wrong; and what only a program can write: deep nesting, large
// texts, files read in pieces.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "common/error.hpp"
#include "modelfile/native/native_reader.hpp"
#include "modelfile/native/native_writer.hpp"
#include "modelfile/native/yaml_events.hpp"
#include "modelfile/test_data.hpp"

namespace tarn::modelfile {
namespace {

using testing::DataPath;
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

TEST(NativeReader, ReadsWhatTheDumpShows) {
  for (const testing::Case& test : testing::ReadCases(DataPath("native/data/reads.txt"))) {
    SCOPED_TRACE(test.where);
    EXPECT_EQ(WriteNativeModel(ParseNativeModel(test.input, "model.yaml")->model),
              test.Expected("dump") + "\n");
  }
}

TEST(NativeReader, RefusesWithTheMessageAtItsPlace) {
  for (const testing::Case& test : testing::ReadCases(DataPath("native/data/errors.txt"))) {
    SCOPED_TRACE(test.where);
    if (test.Has("error starts"))
      EXPECT_THAT(ErrorOf(test.input), StartsWith(test.Expected("error starts")));
    else
      EXPECT_EQ(ErrorOf(test.input), test.Expected("error"));
  }
}

TEST(NativeReader, DeepNestingIsRefusedWithoutExhaustingTheStack) {
  const std::string nested =
      "tarn-model: 1\nx: " + std::string(100000, '[') + std::string(100000, ']') + "\n";
  // The root mapping is level 1; the 64th "[" opens level 65 at column 67.
  EXPECT_EQ(ErrorOf(nested), "model.yaml:2:67: nesting deeper than 64 levels");
  // Block lists, one level per line: line 3 opens level 2.
  std::string blocks = "tarn-model: 1\nx:\n";
  for (int level = 2; level < 100; ++level) blocks += std::string(2 * level - 2, ' ') + "-\n";
  EXPECT_EQ(ErrorOf(blocks), "model.yaml:66:129: nesting deeper than 64 levels");
}

TEST(NativeReader, TenMegabyteTextLoads) {
  const std::string big(10 * 1024 * 1024, 'x');
  const auto app = ParseNativeModel("tarn-model: 1\nclasses:\n  - name: " + big + "\n", "m.yaml");
  EXPECT_EQ(app->model.classes[0].name.size(), big.size());
}

// YAML 1.2 reads NEL, LS and PS (U+0085, U+2028, U+2029) as characters like
// any other, also where the parser, a YAML 1.1 one, would take them for
// line breaks; texts that hold the characters standing in for them are left
// as they are. Enough of them that some stand across the pieces the parser
// reads (where they fall depends on every byte before them).
TEST(NativeReader, NextLineAndLineAndParagraphSeparatorsAreCharacters) {
  const std::string nel = "\xC2\x85", ls = "\xE2\x80\xA8", ps = "\xE2\x80\xA9";
  const std::string private_use = "\xEF\xA3\xBF";  // U+F8FF
  std::string yaml = "tarn-model: 1\nencoding: utf-8\nclasses:\n";
  yaml += "  - name: a" + ls + "b " + private_use + " \"\\uF8FE\"\n";
  yaml += "    attributes: [{ name: \"x" + nel + "y" + ps + "\", type: \"\\uf8fd\\u07FF\" }]\n";
  for (int i = 0; i < 3000; ++i) yaml += "  - name: c" + std::to_string(i) + ls + nel + ps + "\n";
  const auto app = ParseNativeModel(yaml, "model.yaml");
  const auto& classes = app->model.classes;
  ASSERT_EQ(classes.size(), 3001u);
  EXPECT_EQ(classes[0].name, "a" + ls + "b " + private_use + " \"\\uF8FE\"");
  EXPECT_EQ(classes[0].attributes[0].name, "x" + nel + "y" + ps);
  EXPECT_EQ(classes[0].attributes[0].type, "\xEF\xA3\xBD\xDF\xBF");  // U+F8FD, U+07FF
  for (int i = 0; i < 3000; ++i)
    ASSERT_EQ(classes[static_cast<std::size_t>(i) + 1].name,
              "c" + std::to_string(i) + ls + nel + ps);
  // A separator whose first byte ends a piece the parser asks for, wherever
  // that end falls in its first 16 KB.
  for (std::size_t pad = 16300; pad < 16400; ++pad) {
    const std::string name = std::string(pad, 'a') + nel + "b";
    const auto one = ParseNativeModel("tarn-model: 1\nencoding: utf-8\nclasses:\n  - name: " + name + "\n", "model.yaml");
    ASSERT_EQ(one->model.classes.at(0).name, name) << pad;
  }
}

// A file that cannot be read on is the platform's error, not a syntax error.
TEST(NativeReader, AReadErrorStopsTheStreamWithItsOwnError) {
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

// A file larger than the pieces it is read in, with characters of several
// bytes across the pieces' ends: it loads as its bytes do, and a problem at
// its end is placed by reading it again.
TEST(NativeReader, ALargeFileReadInPiecesLoadsAsItsBytes) {
  const testing::TempFolder folder;
  std::string yaml = "\xEF\xBB\xBFtarn-model: 1\nencoding: utf-8\nclasses:\n";
  for (int i = 0; i < 6000; ++i) yaml += "  - name: \"€" + std::to_string(i) + "\"\n";
  const std::string path = folder.Write("model.yaml", yaml);
  const auto from_file = LoadNativeModel(path);
  EXPECT_EQ(from_file->model.classes.back().name, "€5999");
  EXPECT_EQ(WriteNativeModel(from_file->model),
            WriteNativeModel(ParseNativeModel(yaml, "model.yaml")->model));
  const auto error_of = [&](const std::string& tail) {
    folder.Write("model.yaml", yaml + tail);
    try {
      LoadNativeModel(path);
    } catch (const LoadError& error) {
      return std::string(error.what()).substr(path.size());
    }
    return std::string("no error");
  };
  EXPECT_EQ(error_of("  - name: é\n    nme: x\n"),
            ":6005:5: unknown field \"nme\" in class (expected one of: id, name, superclasses, "
            "tags, attributes, operations)");
  EXPECT_EQ(error_of("  - name: \xE9\n"), ":6004:11: the file is not UTF-8 here (byte 0xE9)");
  try {
    LoadNativeModel(DataPath("native/data/no-such-file.yaml"));
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.Number(), kFileNotFound);
    EXPECT_THAT(error.Description(), HasSubstr("no-such-file.yaml: No such file or directory"));
  }
}

}  // namespace
}  // namespace tarn::modelfile
