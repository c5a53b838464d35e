// --select words against a loaded petal model.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "modelfile/petal/petal_reader.hpp"

namespace tarn::modelfile {
namespace {

using ::testing::HasSubstr;

// Two packages each with a class "Account" (one named in GBK), a unique
// class, an association and a missing unit.
const char* const kModel =
    "\n(object Petal version 47 charSet 134)\n"
    "(object Design \"Logical View\"\n"
    "    root_category (object Class_Category \"Logical View\"\n"
    "\tquid \"000000000001\"\n"
    "\tlogical_models (list unit_reference_list\n"
    "\t    (object Class \"Account\" quid \"0000000000A1\")\n"
    "\t    (object Class \"Bank\" quid \"0000000000B1\")\n"
    "\t    (object Class \"\xD5\xCB\xBB\xA7\" quid \"0000000000C1\")\n"  // GBK for the word
                                                                         // "account"
    "\t    (object UseCase \"Open\" quid \"0000000000D1\")\n"
    "\t    (object Class_Category \"old\"\n"
    "\t\tquid \"000000000002\"\n"
    "\t\tlogical_models (list unit_reference_list\n"
    "\t\t    (object Class \"Account\" quid \"0000000000A2\")\n"
    "\t\t    (object Association \"owns\" quid \"0000000000F1\"\n"
    "\t\t\troles (list role_list\n"
    "\t\t\t    (object Role \"a\" supplier \"Logical View::Bank\" quidu \"0000000000B1\")\n"
    "\t\t\t    (object Role \"b\" supplier \"Logical View::Account\" quidu \"0000000000A1\")))))\n"
    "\t    (object Class_Category \"gone\"\n"
    "\t\tis_unit TRUE is_loaded FALSE file_name \"gone.cat\" quid \"000000000003\"))))\n";

class PetalSelection : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    path_ = (std::filesystem::temp_directory_path() /
             ("tarn-select-" + std::to_string(::getpid()) + ".mdl"))
                .string();
    std::ofstream(path_, std::ios::binary) << kModel;
    model_ = new PetalModel(LoadPetalModel(path_, {}, [](const std::string&) {}));
  }
  static void TearDownTestSuite() {
    delete model_;
    std::filesystem::remove(path_);
  }

  static std::string Fails(const std::vector<std::string>& words) {
    try {
      ResolvePetalSelection(*model_, words);
    } catch (const SelectionError& error) {
      return error.what();
    }
    return "no error";
  }

  static const host::MemoryClass& Class(std::size_t index) {
    return model_->app->model.classes.at(index);
  }

  static std::string path_;
  static PetalModel* model_;
};

std::string PetalSelection::path_;
PetalModel* PetalSelection::model_ = nullptr;

TEST_F(PetalSelection, QuidQualifiedNameOrUniqueSimpleName) {
  const auto selected = ResolvePetalSelection(
      *model_,
      {"0000000000A2", "Logical View::Account", "Bank", "owns", "\xE8\xB4\xA6\xE6\x88\xB7"});
  ASSERT_EQ(selected.size(), 5u);
  EXPECT_EQ(selected[0], &Class(3));
  EXPECT_EQ(selected[1], &Class(0));
  EXPECT_EQ(selected[2], &Class(1));
  EXPECT_TRUE(selected[3]->IsKind("Association"));
  EXPECT_EQ(selected[4], &Class(2));  // the UTF-8 word matches the GBK name
  EXPECT_TRUE(ResolvePetalSelection(*model_, {}).empty());
}

TEST_F(PetalSelection, OtherKindsAreSelectableButAreNoClassOrAssociation) {
  const auto selected = ResolvePetalSelection(*model_, {"0000000000D1", "000000000002"});
  for (const host::Element* element : selected) {
    EXPECT_FALSE(element->IsKind("Class"));
    EXPECT_FALSE(element->IsKind("Association"));
  }
  EXPECT_EQ(selected[0]->ElementName(), "Open");
  EXPECT_EQ(selected[1]->ElementName(), "old");
}

TEST_F(PetalSelection, AmbiguousAndUnknownWordsAreUsageErrors) {
  EXPECT_EQ(Fails({"Account"}),
            "--select Account is ambiguous; it names:\n"
            "  Logical View::Account (quid 0000000000A1)\n"
            "  Logical View::old::Account (quid 0000000000A2)");
  EXPECT_EQ(Fails({"Bank", "Nothing"}),
            "--select Nothing: no class or association of the model has this name or quid");
  EXPECT_EQ(Fails({"Logical View::Bank::X"}),
            "--select Logical View::Bank::X: no class or association of the model has this "
            "qualified name");
  EXPECT_EQ(Fails({"Open"}),
            "--select Open: no class or association of the model has this name or quid");
  EXPECT_EQ(
      Fails({"Logical View::gone::Thing"}),
      "--select Logical View::gone::Thing: it lies in the unit \"gone.cat\", which was not loaded");
}

}  // namespace
}  // namespace tarn::modelfile
