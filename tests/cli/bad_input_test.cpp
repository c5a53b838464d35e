// Whatever the model file or the paths, tarn reports the problem with an
// exit code and never loses or half-writes a document.
#include <gmock/gmock.h>
#include <sys/stat.h>

#include "cli/run_tarn.hpp"

namespace tarn::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr const char* kPrevious = "previous document\r\n";

class BadInputTest : public TarnRun {
 protected:
  void SetUp() override { Write("out.zed", kPrevious); }

  // The model is refused with a message that starts with `prefix` and
  // contains `text`; the previous document is untouched.
  void ExpectRefused(const std::string& command, const std::string& model, const std::string& prefix,
                     const std::string& text) {
    const auto result = Run({command, model, "-o", "out.zed", "--no-run"});
    EXPECT_EQ(result.code, 1) << model;
    EXPECT_THAT(result.err, StartsWith(prefix)) << model;
    EXPECT_THAT(result.err, HasSubstr(text)) << model;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(Slurp(Path("out.zed")), kPrevious);
    EXPECT_THAT(Files(), ::testing::Contains("out.zed"));
    for (const auto& name : Files()) EXPECT_THAT(name, ::testing::Not(HasSubstr(".tarn-")));
  }
};

std::string Garbage(std::size_t size) {
  std::string bytes;
  std::uint32_t state = 12345;
  for (std::size_t i = 0; i < size; ++i) {
    state = state * 1103515245u + 12345u;
    bytes += static_cast<char>(state >> 24);
  }
  return bytes;
}

TEST_F(BadInputTest, MalformedNativeFilesNameTheirPlace) {
  const auto register_ = Slurp(Example("register.yaml"));
  const auto truncated = Write("truncated.yaml", register_.substr(0, register_.find("tags:") + 3));
  ExpectRefused("property-check", truncated, truncated + ":", "tag");
  const auto garbage = Write("garbage.yaml", "\xF8" + Garbage(4000));
  ExpectRefused("property-check", garbage, garbage + ":1:1: ", "not UTF-8");
  const auto latin1 = Write("latin1.yaml", "tarn-model: 1\nclasses:\n  - name: \xE9t\xE9\n");
  ExpectRefused("objectz", latin1, latin1 + ":3:11: ", "not UTF-8");
  const auto empty = Write("empty.yaml", "");
  ExpectRefused("property-check", empty, empty + ":1:1: ", "tarn-model");
  const auto deep = Write("deep.yaml", "tarn-model: 1\nclasses: " + std::string(100000, '[') + std::string(100000, ']'));
  ExpectRefused("objectz", deep, deep + ":2:", "nesting");
}

TEST_F(BadInputTest, MalformedPetalFilesNameTheirPlace) {
  const auto truncated = Write("truncated.mdl", "\n(object Petal\n    version 42)\n(object Design \"Logical View\"\n  root");
  ExpectRefused("objectz", truncated, truncated + ":", "");
  const auto garbage = Write("garbage.mdl", Garbage(4000));
  ExpectRefused("objectz", garbage, garbage + ":", "");
  const auto empty = Write("empty.mdl", "");
  ExpectRefused("objectz", empty, empty + ":1:1: ", "empty");
  std::string nested = "\n(object Petal version 42)\n";
  for (int i = 0; i < 100000; ++i) nested += "(list ";
  const auto deep = Write("deep.mdl", nested);
  ExpectRefused("objectz", deep, deep + ":", "");
}

TEST_F(BadInputTest, MissingOrUnreadableModelFiles) {
  ExpectRefused("property-check", Path("missing.yaml").string(), "", "missing.yaml");
  for (const char* folder : {"folder.yaml", "folder.mdl"}) {
    std::filesystem::create_directories(Path(folder));
    ExpectRefused("property-check", Path(folder).string(), "Cannot read ", "Is a directory");
  }
  if (::geteuid() != 0) {
    const auto locked = Write("locked.yaml", "tarn-model: 1\n");
    ::chmod(locked.c_str(), 0);
    ExpectRefused("property-check", locked, "", "Permission denied");
  }
}

TEST_F(BadInputTest, FortyThousandAttributesOverflow) {
  std::string model = "tarn-model: 1\nselection: [C]\ndiagrams: [{ name: D, classes: [C] }]\nclasses:\n"
                      "  - name: C\n    tags: { Properties: \"%P\" }\n    attributes:\n";
  for (int i = 0; i < 40000; ++i) model += "      - { name: a" + std::to_string(i) + ", type: T }\n";
  const auto wide = Write("wide.yaml", model);
  ExpectRefused("property-check", wide, "Overflow", "32767");
  ExpectRefused("objectz", wide, "Overflow", "32767");
}

TEST_F(BadInputTest, TenMegabyteTextGoesThrough) {
  const std::string line(10 * 1024 * 1024, 'x');
  const auto model = Write("big.yaml", "tarn-model: 1\nselection: [C]\nclasses:\n  - name: C\n"
                                       "    tags: { Properties: \"%P\\n" + line + "\" }\n");
  const auto result = Run({"property-check", model, "-o", "big.zed"});
  EXPECT_EQ(result.code, 0) << result.err;
  EXPECT_THAT(Slurp(Path("big.zed")), HasSubstr("    " + line + "\r\n"));
}

TEST_F(BadInputTest, WriteFailureHalfWayKeepsThePreviousFile) {
  // A 10 MB document against a 64 KB file size limit fails part way through.
  const std::string line(10 * 1024 * 1024, 'y');
  const auto model = Write("big.yaml", "tarn-model: 1\nselection: [C]\nclasses:\n  - name: C\n"
                                       "    tags: { Properties: \"%P\\n" + line + "\" }\n");
  std::vector<std::string> args{"property-check", model, "-o", "out.zed"};
  const auto result = RunLimited("--fsize=65536", args);
  EXPECT_EQ(result.code, 1) << result.err;
  EXPECT_THAT(result.err, HasSubstr("out.zed"));
  EXPECT_THAT(result.err, HasSubstr("File too large"));
  EXPECT_EQ(Slurp(Path("out.zed")), kPrevious);
  for (const auto& name : Files()) EXPECT_THAT(name, ::testing::Not(HasSubstr(".tarn-")));
}

}  // namespace
}  // namespace tarn::testing

namespace tarn::testing {
namespace {

TEST_F(BadInputTest, EachModelFileErrorWithItsLineAndColumn) {
  const struct {
    const char* text;
    const char* place;
    const char* message;
  } cases[] = {
      {"tarn-model: 1\nclasses:\n  - name: A\n    name: B\n", "4:5", "given twice"},
      {"tarn-model: 2\n", "1:13", "version"},
      {"classes: []\n", "1:1", "tarn-model"},
      {"tarn-model: 1\nclasses:\n  - name: [A]\n", "3:11", "must be a text, not a list"},
      {"tarn-model: 1\nencoding: klingon\n", "2:11", "unknown encoding"},
      {"tarn-model: 1\nclasses:\n  - name: A\n  - name: A\n", "4:11", "duplicate id"},
      {"tarn-model: 1\nclasses:\n  - name: A\n    superclasses: [Z]\n", "4:20", "unknown id \"Z\""},
      {"tarn-model: 1\nselection: [Q]\n", "2:13", "unknown id \"Q\""},
      {"tarn-model: 1\nclasses:\n  - name: A\nassociations:\n  - id: r\n    roles: [{ class: A }]\n", "6:12",
       "exactly two roles"},
      {"tarn-model: 1\nclasses:\n  - name: \xE4\xB8\xAD\n", "3:11", "cannot be written in windows-1252"},
  };
  for (const auto& bad : cases) {
    const auto model = Write("bad.yaml", bad.text);
    ExpectRefused("property-check", model, model + ":" + bad.place + ": ", bad.message);
  }
}

}  // namespace
}  // namespace tarn::testing
