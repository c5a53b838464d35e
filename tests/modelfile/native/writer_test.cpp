#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "common/error.hpp"
#include "modelfile/native/native_reader.hpp"
#include "modelfile/native/native_writer.hpp"

namespace tarn::modelfile {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

// A model that reaches every field and the awkward texts: every kind of line
// end, tabs, quotes, backslashes, control bytes, a NUL, characters outside
// ASCII, padding, empty texts, tags of other tools and repeated tag names,
// missing and repeated ids.
void FillRichModel(host::MemoryModel& model, const std::string& encoding,
                   const std::string& accented) {
  model.encoding = encoding;
  host::MemoryClass& base = model.classes.emplace_back();
  base.id = "Base";
  base.name = "Base";
  base.tags.Set("Properties", "%P1\r\n  x > 0 \r\n\n\r%P2\tend");
  base.tags.Set(std::string(1500, 'k'), "a name too long for an implicit YAML key");
  host::MemoryClass& account = model.classes.emplace_back();
  account.id = "";
  account.name = "Acc \"" + accented + "\" \\ \x01\x1F\x7F";
  account.superclasses = {&base, &base};
  host::MemoryAttribute& balance = account.attributes.emplace_back();
  balance.name = " balance ";
  balance.type = "\\nat";
  balance.initial = std::string("a\0b", 3);
  balance.tags.entries.push_back({"Other", "Invariant", "not ours"});
  balance.tags.Set("Invariant", "first");
  balance.tags.Set("Invariant", "second");
  host::MemoryOperation& deposit = account.operations.emplace_back();
  deposit.name = "deposit";
  deposit.parameters.emplace_back().name = "amount?";
  deposit.parameters.back().type = "";
  deposit.pre = "\n";
  deposit.post = "\r";
  deposit.tags.Set("isQuery", "True");
  account.operations.emplace_back().name = "empty";
  host::MemoryClass& twin = model.classes.emplace_back();
  twin.id = "Base";  // repeated: gets an id of its own
  twin.name = accented;
  host::MemoryAssociation& owns = model.associations.emplace_back();
  owns.id = "owns";
  owns.first.name = "a";
  owns.first.supplier = &base;
  owns.first.multiplicity = "1";
  owns.second.supplier = &twin;
  owns.second.multiplicity = "0..n";
  owns.second.navigable = true;
  owns.tags.Set("Retrieve", "r\r\n");
  host::MemoryClassDiagram& main = model.root.diagrams.emplace_back();
  main.name = "Main " + accented;
  main.classes = {&twin, &account, &twin};
  main.associations = {&owns};
  model.root.diagrams.emplace_back();
  model.selection = {&owns, &account};
}

void ExpectSameTexts(const host::MemoryModel& expected, const host::MemoryModel& actual) {
  ASSERT_EQ(actual.classes.size(), expected.classes.size());
  EXPECT_EQ(actual.encoding, expected.encoding);
  for (std::size_t i = 0; i < expected.classes.size(); ++i) {
    EXPECT_EQ(actual.classes[i].name, expected.classes[i].name);
    EXPECT_EQ(actual.classes[i].superclasses.size(), expected.classes[i].superclasses.size());
  }
  const host::MemoryClass& account = actual.classes[1];
  EXPECT_EQ(account.superclasses[0], &actual.classes[0]);
  EXPECT_EQ(actual.classes[0].TaggedValue("Tarn", "Properties"),
            expected.classes[0].TaggedValue("Tarn", "Properties"));
  EXPECT_EQ(account.attributes[0].name, " balance ");
  EXPECT_EQ(account.attributes[0].initial, std::string("a\0b", 3));
  EXPECT_EQ(account.attributes[0].TaggedValue("Tarn", "Invariant"), "first");
  EXPECT_EQ(account.operations[0].pre, "\n");
  EXPECT_EQ(account.operations[0].post, "\r");
  EXPECT_EQ(account.operations[0].parameters[0].name, "amount?");
  EXPECT_EQ(account.operations[1].name, "empty");
  const host::MemoryAssociation& owns = actual.associations[0];
  EXPECT_EQ(owns.second.supplier, &actual.classes[2]);
  EXPECT_TRUE(owns.second.navigable);
  EXPECT_EQ(owns.TaggedValue("Tarn", "Retrieve"), "r\r\n");
  EXPECT_EQ(actual.root.diagrams[0].name, expected.root.diagrams[0].name);
  EXPECT_THAT(actual.root.diagrams[0].classes,
              ElementsAre(&actual.classes[2], &actual.classes[1], &actual.classes[2]));
  EXPECT_THAT(actual.selection, ElementsAre(&owns, &account));
}

TEST(NativeWriter, ExampleModelDumpsToTheGoldenFile) {
  const auto app = LoadNativeModel(TARN_SOURCE_DIR "/tests/modelfile/native/models/example.yaml");
  const std::string golden = TARN_GOLDEN_DIR "/modelfile/native_example_dump.yaml";
  EXPECT_EQ(WriteNativeModel(app->model), ReadFile(golden));
  EXPECT_EQ(WriteNativeModel(LoadNativeModel(golden)->model), ReadFile(golden));
}

TEST(NativeWriter, DumpReadsBackToTheSameModelAndTheSameBytes) {
  const std::pair<std::string, std::string> code_pages[] = {
      {"windows-1252", "\xE9t\xE9 \x80 \x85 \xA0"},   // été € … and a no-break space
      {"windows-1251", "\xD1\xF7\xB8\xF2"},           // Счёт
      {"utf-8", "\xE4\xB8\xAD\xE2\x80\xA8\xC2\x85"},  // 中, line separator, next line
  };
  for (const auto& [encoding, accented] : code_pages) {
    SCOPED_TRACE(encoding);
    host::MemoryModel model;
    FillRichModel(model, encoding, accented);
    const std::string dump = WriteNativeModel(model);
    const auto reread = ParseNativeModel(dump, "dump.yaml");
    ExpectSameTexts(model, reread->model);
    EXPECT_EQ(WriteNativeModel(reread->model), dump);
  }
}

TEST(NativeWriter, EscapesTextsAndInventsMissingIds) {
  host::MemoryModel model;
  FillRichModel(model, "windows-1252", "\xE9");
  const std::string dump = WriteNativeModel(model);
  EXPECT_THAT(dump,
              HasSubstr("  - id: \"class-2\"\n    name: \"Acc \\\"é\\\" \\\\ \\x01\\x1F\\x7F\"\n"));
  EXPECT_THAT(dump, HasSubstr("  - id: \"class-3\"\n    name: \"é\"\n"));
  EXPECT_THAT(
      dump,
      HasSubstr(
          "        initial: \"a\\x00b\"\n        tags:\n          \"Invariant\": \"first\"\n"));
  EXPECT_THAT(dump, HasSubstr("\"Properties\": \"%P1\\r\\n  x > 0 \\r\\n\\n\\r%P2\\tend\"\n"));
  EXPECT_THAT(dump, HasSubstr("      ? \"" + std::string(1500, 'k') +
                              "\"\n      : \"a name too long for an implicit YAML key\"\n"));
  EXPECT_THAT(dump, HasSubstr("selection: [\"owns\", \"class-2\"]\n"));
  EXPECT_THAT(dump, HasSubstr("  - name: \"\"\n    classes: []\n    associations: []\n"));
  EXPECT_THAT(dump, Not(HasSubstr("not ours")));

  // An invented id never takes one that is already in use.
  host::MemoryModel clash;
  clash.classes.emplace_back().name = "A";
  clash.classes.emplace_back().id = "class-1";
  clash.associations.emplace_back().id = "class-1";
  clash.associations.back().first.supplier = &clash.classes[0];
  clash.associations.back().second.supplier = &clash.classes[0];
  const std::string clash_dump = WriteNativeModel(clash);
  EXPECT_THAT(clash_dump, HasSubstr("  - id: \"class-1-2\"\n    name: \"A\"\n"));
  EXPECT_THAT(clash_dump, HasSubstr("  - id: \"association-1\"\n"));
  EXPECT_THAT(clash_dump, HasSubstr("        class: \"class-1-2\"\n"));
}

// A Rose model whose units are not all loaded holds stand-ins: a class that
// lies in a missing unit (its id and name only) and an association that a
// diagram shows but the loaded model lacks (no roles at all).
TEST(NativeWriter, LeavesOutAssociationsTheModelCouldNotProvide) {
  host::MemoryModel model;
  host::MemoryClass& account = model.classes.emplace_back();
  account.id = "A1";
  account.name = "Account";
  host::MemoryClass& missing = model.classes.emplace_back();
  missing.id = "Logical View::bank::Customer";
  missing.name = "Customer";
  missing.unavailable = "Logical View::bank::Customer lies in the unit \"bank.cat\"";
  account.superclasses = {&missing};
  host::MemoryAssociation& shown = model.associations.emplace_back();
  shown.id = "3A0000000001";
  shown.unavailable = "class diagram \"Main\" shows the association 3A0000000001";
  host::MemoryAssociation& owns = model.associations.emplace_back();
  owns.first.supplier = &missing;
  owns.second.supplier = &account;
  host::MemoryClassDiagram& main = model.root.diagrams.emplace_back();
  main.name = "Main";
  main.classes = {&account, &missing};
  main.associations = {&shown, &owns};
  model.selection = {&shown};

  const std::string dump = WriteNativeModel(model);
  EXPECT_THAT(dump, Not(HasSubstr("3A0000000001")));
  EXPECT_THAT(dump, Not(HasSubstr("selection")));
  EXPECT_THAT(dump, HasSubstr("    classes: [\"A1\", \"Logical View::bank::Customer\"]\n"
                              "    associations: [\"association-1\"]\n"));
  EXPECT_THAT(dump, HasSubstr("  - id: \"Logical View::bank::Customer\"\n    name: \"Customer\"\n"
                              "associations:\n  - id: \"association-1\"\n"));
  EXPECT_THAT(dump, HasSubstr("        class: \"Logical View::bank::Customer\"\n"));

  const auto reread = ParseNativeModel(dump, "dump.yaml");
  ASSERT_EQ(reread->model.associations.size(), 1u);
  EXPECT_EQ(reread->model.classes[0].superclasses.at(0), &reread->model.classes[1]);
  EXPECT_EQ(WriteNativeModel(reread->model), dump);

  // Left out only when it is one of them: an association whose role has no
  // class is still refused.
  shown.unavailable.clear();
  EXPECT_THROW(WriteNativeModel(model), Error);
}

TEST(NativeWriter, EmptyModel) {
  EXPECT_EQ(WriteNativeModel(host::MemoryModel{}),
            "tarn-model: 1\ntext: exact\nencoding: \"windows-1252\"\ndiagrams: []\nclasses: []\n"
            "associations: []\n");
}

TEST(NativeWriter, RefusesModelsItCannotStateExactly) {
  const auto expect_refused = [](const host::MemoryModel& model, const std::string& message) {
    try {
      WriteNativeModel(model);
      ADD_FAILURE() << "no error for " << message;
    } catch (const Error& error) {
      EXPECT_EQ(error.Number(), kInvalidCall);
      EXPECT_THAT(error.Description(), HasSubstr(message));
    }
  };
  host::MemoryModel undefined_byte;
  undefined_byte.classes.emplace_back().name = "a\x81";
  expect_refused(undefined_byte, "the byte 0x81, which does not begin a character of windows-1252");

  host::MemoryModel unknown_encoding;
  unknown_encoding.encoding = "klingon";
  expect_refused(unknown_encoding, "unknown encoding \"klingon\"");

  host::MemoryModel no_class;
  no_class.associations.emplace_back();
  expect_refused(no_class, "a role has no class");

  host::MemoryModel other;
  other.classes.emplace_back().name = "A";
  host::MemoryModel outside;
  outside.root.diagrams.emplace_back().classes.push_back(&other.classes[0]);
  expect_refused(outside, "a link leads to a class or association outside the model");
}

// The text written to a stream a piece at a time is the text in one piece;
// a model that cannot be written, even by its last class, writes nothing.
TEST(NativeWriter, WritesToAStreamInPiecesOnlyAModelItCanState) {
  host::MemoryModel model;
  FillRichModel(model, "windows-1252", "\xE9");
  for (int i = 0; i < 3000; ++i)  // far more than one piece of text
    model.classes.emplace_back().name = "C" + std::to_string(i) + " \"\xE9\"";
  std::ostringstream streamed;
  WriteNativeModel(model, streamed);
  EXPECT_GT(streamed.str().size(), 100000u);
  EXPECT_EQ(streamed.str(), WriteNativeModel(model));

  model.classes.emplace_back().name = "a\x81";
  std::ostringstream refused;
  EXPECT_THROW(WriteNativeModel(model, refused), Error);
  EXPECT_EQ(refused.str(), "");
}

}  // namespace
}  // namespace tarn::modelfile
