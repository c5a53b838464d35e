// Every UML 2 file of the XMI corpus loads, and facts read from the files by
// hand (xmi/data/corpus.txt) come out of the host; the files Tarn does not
// read are refused with their sentence.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "modelfile/load_error.hpp"
#include "modelfile/model_query.hpp"
#include "modelfile/test_data.hpp"
#include "modelfile/xmi/xmi_reader.hpp"

namespace tarn::modelfile {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using testing::Query;
using ::testing::StartsWith;

const std::string kCorpus = TARN_XMI_CORPUS;

// A query of model_query.hpp, or "classes": how many uml:Class elements were read.
std::string Fact(const XmiModel& model, const std::string& query) {
  if (query != "classes") return Query(model.app->model, query);
  int count = 0;
  for (const XmiItem& item : model.items)
    count += dynamic_cast<const host::Class*>(item.element) != nullptr;
  return std::to_string(count);
}

class XmiCorpus : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::is_directory(kCorpus))
      GTEST_SKIP() << "XMI corpus not found at " << kCorpus;
  }
  XmiModel Load(const std::string& path) {
    warnings_.clear();
    return LoadXmiModel(path, {},
                        [this](const std::string& warning) { warnings_.push_back(warning); });
  }
  // A copy of a corpus file with texts replaced, in a folder of its own.
  std::string Edited(const std::string& file,
                     const std::vector<std::pair<std::string, std::string>>& replacements) {
    std::string text = testing::ReadFile(kCorpus + "/" + file);
    for (const auto& [from, to] : replacements)
      for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return folder_.Write(file, text);
  }

  std::vector<std::string> warnings_;
  testing::TempFolder folder_;
};

TEST_F(XmiCorpus, FactsReadFromTheFiles) {
  for (const testing::Case& file : testing::ReadCases(testing::DataPath("xmi/data/corpus.txt"))) {
    SCOPED_TRACE(file.where);
    const std::string path = kCorpus + "/" + file.InputLine();
    if (file.Has("error starts")) {
      try {
        Load(path);
        ADD_FAILURE() << "loaded";
      } catch (const LoadError& error) {
        EXPECT_THAT(error.what(), StartsWith(path + file.Expected("error starts")));
      }
      continue;
    }
    const XmiModel model = Load(path);
    for (const auto& [query, expected] : file.sections)
      EXPECT_EQ(Fact(model, query), file.Expected(query)) << query;
  }
}

// The tags of a profile whose namespace is Tarn's, and Enterprise Architect's
// own tags, on copies of real files whose tag names are made Tarn's.
TEST_F(XmiCorpus, TagsOfRealApplicationsAndExtensions) {
  // X10-model.uml:73: <EmoReq_profile:Role ... responsibility="Deliver course content, ..."
  // base_Class= the class ServiceProvider (:9)>
  auto model = Load(
      Edited("X10-model.uml", {{"EmoReq_profile", "Tarn"}, {"responsibility=", "Invariant="}}));
  EXPECT_EQ(
      Query(model.app->model, "class|ServiceProvider|tag|Invariant"),
      "Deliver course content, store submissions, generate feedback, and support user interaction "
      "reliably");
  EXPECT_THAT(warnings_, Contains(HasSubstr("the Tarn profile has no tag \"name\"")));
  // X14:320: <tag name="SearchName" value="Extended" modelElement=ClassWithTaggedValues>
  model = Load(Edited("X14-EAExport.xmi", {{"\"SearchName\"", "\"Invariant\""}}));
  EXPECT_EQ(Query(model.app->model, "class|ClassWithTaggedValues|tag|Invariant"), "Extended");
}

}  // namespace
}  // namespace tarn::modelfile
