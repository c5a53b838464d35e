#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "modelfile/native/native_reader.hpp"

namespace tarn::modelfile {
namespace {

using ::testing::ElementsAre;

const std::string kModels = TARN_SOURCE_DIR "/tests/modelfile/native/models/";

std::unique_ptr<host::MemoryApplication> Parse(const std::string& yaml) {
  return ParseNativeModel(yaml, "model.yaml");
}

// The tagged values of an element as "name=value" in stored order.
std::vector<std::string> TagList(const host::TaggedValues& tags) {
  std::vector<std::string> list;
  for (const auto& entry : tags.entries) {
    EXPECT_EQ(entry.tool, "Tarn");
    list.push_back(entry.name + "=" + entry.value);
  }
  return list;
}

TEST(NativeReader, ExampleModelFillsTheHost) {
  const auto app = LoadNativeModel(kModels + "example.yaml");
  const host::MemoryModel& model = app->model;
  EXPECT_EQ(model.encoding, "windows-1252");

  ASSERT_EQ(model.classes.size(), 3u);
  const host::MemoryClass& account = model.classes[0];
  const host::MemoryClass& bank = model.classes[1];
  const host::MemoryClass& base = model.classes[2];
  EXPECT_EQ(account.id, "Account");
  EXPECT_EQ(account.name, "Account");
  EXPECT_EQ(bank.id, "Bank");
  EXPECT_EQ(base.id, "Base");
  EXPECT_THAT(account.superclasses, ElementsAre(&base));
  EXPECT_THAT(TagList(account.tags), ElementsAre("Invariant=balance >= 0",
                                                 "Properties=%NonNegative\r\nbalance \\geq 0\r\n"));

  ASSERT_EQ(account.attributes.size(), 1u);
  const host::MemoryAttribute& balance = account.attributes[0];
  EXPECT_EQ(balance.name, "balance");
  EXPECT_EQ(balance.type, "int");
  EXPECT_EQ(balance.initial, "0");
  EXPECT_THAT(TagList(balance.tags), ElementsAre("Invariant="));

  ASSERT_EQ(account.operations.size(), 1u);
  const host::MemoryOperation& deposit = account.operations[0];
  EXPECT_EQ(deposit.name, "deposit");
  ASSERT_EQ(deposit.parameters.size(), 1u);
  EXPECT_EQ(deposit.parameters[0].name, "amount");
  EXPECT_EQ(deposit.parameters[0].type, "\\nat");
  EXPECT_EQ(deposit.result, "int");
  EXPECT_EQ(deposit.pre, "amount? > 0");
  EXPECT_EQ(deposit.post, "balance' = balance + amount?");
  EXPECT_THAT(TagList(deposit.tags), ElementsAre("isQuery=True", "isDefinition=False"));

  ASSERT_EQ(model.associations.size(), 1u);
  const host::MemoryAssociation& owns = model.associations[0];
  EXPECT_EQ(owns.id, "owns");
  EXPECT_EQ(owns.name, "");
  EXPECT_EQ(owns.first.name, "bank");
  EXPECT_EQ(owns.first.supplier, &bank);
  EXPECT_EQ(owns.first.multiplicity, "1");
  EXPECT_FALSE(owns.first.navigable);
  EXPECT_EQ(owns.second.name, "accounts");
  EXPECT_EQ(owns.second.RoleSupplierName(), "Account");
  EXPECT_EQ(owns.second.multiplicity, "0..n");
  EXPECT_TRUE(owns.second.navigable);
  EXPECT_THAT(TagList(owns.tags),
              ElementsAre("TypeOfRoleB=\\power", "RoleBInvariant=", "Retrieve="));
  EXPECT_EQ(owns.TaggedValue("Tarn", "TypeOfRoleA"), "");

  ASSERT_EQ(model.root.diagrams.size(), 1u);
  const host::MemoryClassDiagram& main = model.root.diagrams[0];
  EXPECT_EQ(main.name, "Main");
  EXPECT_THAT(main.classes, ElementsAre(&bank, &account));
  EXPECT_THAT(main.associations, ElementsAre(&owns));
  EXPECT_THAT(model.selection, ElementsAre(&account));
}

TEST(NativeReader, ScalarsAreTheirTextAndAbsentTextsAreEmpty) {
  const auto model_app = Parse(R"(tarn-model: 1
classes:
  - name: True
    attributes:
      - { name: 1, type: 0x10, initial: ~ }
      - { name: null, type: "", initial: }
      - { }
    operations:
      - name: 1.50
associations:
  - name: a
    roles: [{ class: "True" }, { class: "True", navigable: false }]
)");
  const host::MemoryModel& model = model_app->model;
  const host::MemoryClass& cls = model.classes[0];
  EXPECT_EQ(cls.name, "True");
  EXPECT_EQ(cls.id, "True");
  ASSERT_EQ(cls.attributes.size(), 3u);
  EXPECT_EQ(cls.attributes[0].name, "1");
  EXPECT_EQ(cls.attributes[0].type, "0x10");
  EXPECT_EQ(cls.attributes[0].initial, "");
  for (std::size_t i = 1; i < 3; ++i) {
    EXPECT_EQ(cls.attributes[i].name, "");
    EXPECT_EQ(cls.attributes[i].type, "");
    EXPECT_EQ(cls.attributes[i].initial, "");
  }
  EXPECT_EQ(cls.operations[0].name, "1.50");
  EXPECT_EQ(cls.operations[0].result, "");
  EXPECT_EQ(model.associations[0].first.name, "");
  EXPECT_EQ(model.associations[0].first.multiplicity, "");
  EXPECT_FALSE(model.associations[0].first.navigable);
  EXPECT_TRUE(model.root.diagrams.empty());
  EXPECT_TRUE(model.selection.empty());
}

TEST(NativeReader, IdsDefaultToNamesAndReferencesFollowIds) {
  const auto model_app = Parse(R"(tarn-model: 1
selection: [link, second, A]
diagrams:
  - name: D1
    classes: [A, second, A]
  - name: D2
classes:
  - name: A
  - { id: second, name: A }
  - { id: "", name: C, superclasses: [second, A] }
  - { name: "" }
  - { name: "" }
associations:
  - { name: link, roles: [{ class: A }, { class: C }] }
)");
  const host::MemoryModel& model = model_app->model;
  const host::MemoryClass& a = model.classes[0];
  const host::MemoryClass& second = model.classes[1];
  const host::MemoryClass& c = model.classes[2];
  EXPECT_EQ(second.name, "A");
  EXPECT_EQ(c.id, "C");
  EXPECT_EQ(model.classes[3].id, "");
  EXPECT_THAT(c.superclasses, ElementsAre(&second, &a));
  EXPECT_EQ(model.associations[0].first.supplier, &a);
  EXPECT_EQ(model.associations[0].second.supplier, &c);
  ASSERT_EQ(model.root.diagrams.size(), 2u);
  EXPECT_THAT(model.root.diagrams[0].classes, ElementsAre(&a, &second, &a));
  EXPECT_TRUE(model.root.diagrams[1].classes.empty());

  const auto selected = model.SelectedItems();
  ASSERT_EQ(selected.ItemCount(), 3);
  EXPECT_TRUE(selected.ItemAt(1).IsKind("Association"));
  EXPECT_EQ(selected.ItemAt(1).ElementName(), "link");
  EXPECT_TRUE(selected.ItemAt(2).IsKind("Class"));
  EXPECT_EQ(&selected.ItemAt(2), &second);
  EXPECT_EQ(&selected.ItemAt(3), &a);
}

constexpr const char* kLineEnds = R"(
classes:
  - id: "x\ny"
    name: "x\ny"
    tags: { "k\n": "a\nb\r\nc\rd\n\n" }
    attributes:
      - name: |
          first
          second
        type: "\r\n"
        initial: "\n\n"
selection: ["x\ny"]
)";

TEST(NativeReader, CrLfModeEndsEveryBareLineFeedWithCarriageReturn) {
  for (const std::string head : {"tarn-model: 1\n", "tarn-model: 1\ntext: crlf\n"}) {
    const auto model_app = Parse(head + kLineEnds);
    const host::MemoryModel& model = model_app->model;
    const host::MemoryClass& cls = model.classes[0];
    EXPECT_EQ(cls.name, "x\r\ny");
    EXPECT_EQ(cls.id, "x\ny");  // ids and keys are not texts
    EXPECT_THAT(TagList(cls.tags), ElementsAre("k\n=a\r\nb\r\nc\rd\r\n\r\n"));
    EXPECT_EQ(cls.attributes[0].name, "first\r\nsecond\r\n");
    EXPECT_EQ(cls.attributes[0].type, "\r\n");
    EXPECT_EQ(cls.attributes[0].initial, "\r\n\r\n");
  }
}

TEST(NativeReader, ExactModeKeepsTextsByteForByte) {
  const auto model_app = Parse(std::string("tarn-model: 1\ntext: exact\n") + kLineEnds);
  const host::MemoryModel& model = model_app->model;
  const host::MemoryClass& cls = model.classes[0];
  EXPECT_EQ(cls.name, "x\ny");
  EXPECT_THAT(TagList(cls.tags), ElementsAre("k\n=a\nb\r\nc\rd\n\n"));
  EXPECT_EQ(cls.attributes[0].name, "first\nsecond\n");
  EXPECT_EQ(cls.attributes[0].initial, "\n\n");
  EXPECT_THAT(model.selection, ElementsAre(&cls));
}

TEST(NativeReader, TextsAreConvertedToTheModelsCodePage) {
  const auto western_app = Parse(R"(tarn-model: 1
classes:
  - name: "Café €"
    tags: { "Schlüssel": "ä\tß" }
)");
  const host::MemoryModel& western = western_app->model;
  EXPECT_EQ(western.encoding, "windows-1252");
  EXPECT_EQ(western.classes[0].name, "Caf\xE9 \x80");
  EXPECT_EQ(western.classes[0].id, "Café €");  // ids stay as written
  EXPECT_THAT(TagList(western.classes[0].tags), ElementsAre("Schl\xFCssel=\xE4\t\xDF"));

  const auto cyrillic_app = Parse(R"(tarn-model: 1
encoding: windows-1251
classes:
  - name: Счёт
)");
  const host::MemoryModel& cyrillic = cyrillic_app->model;
  EXPECT_EQ(cyrillic.encoding, "windows-1251");
  EXPECT_EQ(cyrillic.classes[0].name, "\xD1\xF7\xB8\xF2");

  const auto unicode_app = Parse("tarn-model: 1\nencoding: utf-8\nclasses: [{ name: \"中\" }]\n");
  const host::MemoryModel& unicode = unicode_app->model;
  EXPECT_EQ(unicode.classes[0].name, "中");
}

TEST(NativeReader, TenMegabyteTextLoads) {
  const std::string big(10 * 1024 * 1024, 'x');
  const auto model_app = Parse("tarn-model: 1\nclasses:\n  - name: " + big + "\n");
  const host::MemoryModel& model = model_app->model;
  EXPECT_EQ(model.classes[0].name.size(), big.size());
}

}  // namespace
}  // namespace tarn::modelfile
