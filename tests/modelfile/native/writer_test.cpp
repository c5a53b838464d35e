// The native writer: the model as the host sees it, as a native model file
// that reads back to the same model and the same bytes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "common/error.hpp"
#include "modelfile/native/native_reader.hpp"
#include "modelfile/native/native_writer.hpp"
#include "modelfile/test_data.hpp"

namespace tarn::modelfile {
namespace {

using ::testing::HasSubstr;
using testing::ReadFile;

// A model that reaches every field and the awkward texts: every kind of line
// end, tabs, quotes, backslashes, control bytes, a NUL, characters outside
// ASCII, padding, empty texts, a key too long to stand on its own, tags of
// other tools and repeated tag names, missing and repeated ids and an id
// that an invented one would take. A Rose model whose units are not all
// loaded adds stand-ins: a class that lies in a missing unit (its id and
// name only, kept) and an association that a diagram shows but the model
// lacks (left out with every mention of it).
void FillRichModel(host::MemoryModel& model, const std::string& encoding,
                   const std::string& accented) {
  model.encoding = encoding;
  host::MemoryClass& base = model.classes.emplace_back();
  base.id = "Base";
  base.name = "Base";
  base.tags.Set("Properties", "%P1\r\n  x > 0 \r\n\n\r%P2\tend");
  base.tags.Set(std::string(1500, 'k'), "a name too long for an implicit YAML key");
  host::MemoryClass& account = model.classes.emplace_back();
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
  deposit.pre = "\n";
  deposit.post = "\r";
  deposit.tags.Set("isQuery", "True");
  account.operations.emplace_back().name = "empty";
  host::MemoryClass& twin = model.classes.emplace_back();
  twin.id = "Base";  // repeated: gets an id of its own
  twin.name = accented;
  model.classes.emplace_back().id = "class-3";  // the id twin would be given
  host::MemoryClass& missing = model.classes.emplace_back();
  missing.id = "Logical View::bank::Customer";
  missing.name = "Customer";
  missing.unavailable = "Logical View::bank::Customer lies in the unit \"bank.cat\"";
  account.superclasses.push_back(&missing);
  host::MemoryAssociation& owns = model.associations.emplace_back();
  owns.id = "owns";
  owns.first.name = "a";
  owns.first.supplier = &base;
  owns.first.multiplicity = "1";
  owns.second.supplier = &twin;
  owns.second.multiplicity = "0..n";
  owns.second.navigable = true;
  owns.tags.Set("Retrieve", "r\r\n");
  host::MemoryAssociation& shown = model.associations.emplace_back();
  shown.id = "3A0000000001";
  shown.unavailable = "class diagram \"Main\" shows the association 3A0000000001";
  host::MemoryAssociation& unnamed = model.associations.emplace_back();
  unnamed.id = "Base";  // a class's id: gets one of its own
  unnamed.first.supplier = &missing;
  unnamed.second.supplier = &account;
  host::MemoryClassDiagram& main = model.root.diagrams.emplace_back();
  main.name = "Main " + accented;
  main.classes = {&twin, &account, &twin, &missing};
  main.associations = {&shown, &owns, &unnamed};
  model.root.diagrams.emplace_back();
  model.selection = {&owns, &shown, &account};
}

TEST(NativeWriter, ExampleModelDumpsToTheGoldenFile) {
  const std::string golden = TARN_GOLDEN_DIR "/modelfile/native_example_dump.yaml";
  const auto app = LoadNativeModel(testing::DataPath("native/data/example.yaml"));
  EXPECT_EQ(WriteNativeModel(app->model), ReadFile(golden));
  EXPECT_EQ(WriteNativeModel(LoadNativeModel(golden)->model), ReadFile(golden));
}

TEST(NativeWriter, DumpIsTheGoldenFileAndReadsBackToTheSameBytes) {
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
    EXPECT_EQ(dump, ReadFile(TARN_GOLDEN_DIR "/modelfile/native_rich_" + encoding + ".yaml"));
    EXPECT_EQ(WriteNativeModel(ParseNativeModel(dump, "dump.yaml")->model), dump);
  }
}

TEST(NativeWriter, EmptyModel) {
  EXPECT_EQ(WriteNativeModel(host::MemoryModel{}),
            "tarn-model: 1\ntext: exact\nencoding: \"windows-1252\"\ndiagrams: []\nclasses: []\n"
            "associations: []\n");
}

TEST(NativeWriter, RefusesModelsItCannotStateExactly) {
  host::MemoryModel undefined_byte, unknown_encoding, no_class, other, outside;
  undefined_byte.classes.emplace_back().name = "a\x81";
  unknown_encoding.encoding = "klingon";
  no_class.associations.emplace_back();  // an association the model provides needs its classes
  other.classes.emplace_back().name = "A";
  outside.root.diagrams.emplace_back().classes.push_back(&other.classes[0]);
  const std::pair<const host::MemoryModel*, std::string> cases[] = {
      {&undefined_byte, "the byte 0x81, which does not begin a character of windows-1252"},
      {&unknown_encoding, "unknown encoding \"klingon\""},
      {&no_class, "a role has no class"},
      {&outside, "a link leads to a class or association outside the model"},
  };
  for (const auto& [model, message] : cases) {
    try {
      WriteNativeModel(*model);
      ADD_FAILURE() << "no error for " << message;
    } catch (const Error& error) {
      EXPECT_EQ(error.Number(), kInvalidCall);
      EXPECT_THAT(error.Description(), HasSubstr(message));
    }
  }
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
