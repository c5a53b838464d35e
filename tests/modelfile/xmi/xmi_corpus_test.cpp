// Every UML 2 file of the XMI corpus loads, and facts read from the files by
// hand (xmi/data/corpus.txt) come out of the host; the files Tarn does not
// read are refused with their sentence.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "common/error.hpp"
#include "modelfile/load_error.hpp"
#include "modelfile/model_query.hpp"
#include "modelfile/test_data.hpp"
#include "modelfile/xmi/xmi_reader.hpp"
#include "objectz/generator.hpp"

namespace tarn::modelfile {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using testing::Query;
using ::testing::StartsWith;

const std::string kCorpus = TARN_XMI_CORPUS;
const std::string kToolsCorpus = TARN_XMI_CORPUS "-tools";

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
  XmiModel Load(const std::string& path, const XmiOptions& options = {}) {
    warnings_.clear();
    return LoadXmiModel(path, options,
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
  // The OMG's, Eclipse's and the first tools' files, then more tools' exports.
  for (const auto& [facts, folder] : {std::pair{"xmi/data/corpus.txt", kCorpus},
                                      std::pair{"xmi/data/corpus_tools.txt", kToolsCorpus}}) {
    if (!std::filesystem::is_directory(folder)) continue;
    for (const testing::Case& file : testing::ReadCases(testing::DataPath(facts))) {
      SCOPED_TRACE(file.where);
      const std::string path = folder + "/" + file.InputLine();
      XmiOptions options;
      if (file.Has("encoding")) options.encoding = file.Expected("encoding");
      if (file.Has("error starts")) {
        try {
          Load(path, options);
          ADD_FAILURE() << "loaded";
        } catch (const LoadError& error) {
          EXPECT_THAT(error.what(), StartsWith(path + file.Expected("error starts")));
        }
        continue;
      }
      const XmiModel model = Load(path, options);
      for (const auto& [query, expected] : file.sections) {
        if (query == "encoding") continue;
        EXPECT_EQ(Fact(model, query), file.Expected(query)) << query;
      }
    }
  }
}

// Every export of the tools' corpus is read (in a code page of its texts) or
// refused in one sentence, and the first class diagram of each one read
// translates to Object-Z or fails with a numbered error, never worse.
TEST_F(XmiCorpus, EveryToolsExportLoadsAndTranslates) {
  if (!std::filesystem::is_directory(kToolsCorpus)) GTEST_SKIP() << "not found: " << kToolsCorpus;
  int read = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kToolsCorpus)) {
    const std::string path = entry.path().string();
    if (entry.path().extension() == ".notation" || entry.path().extension() == ".md") continue;
    SCOPED_TRACE(path);
    XmiOptions options;
    if (path.find("H12-") != std::string::npos) options.encoding = "windows-1251";
    try {
      const XmiModel model = Load(path, options);
      ++read;
      try {
        objectz::Generator().DocumentText(*model.app);
      } catch (const Error& error) {
        EXPECT_NE(error.Number(), 0) << error.what();
      }
    } catch (const LoadError& error) {
      EXPECT_THAT(error.what(), StartsWith(path + ":")) << "refused without a place";
    }
  }
  EXPECT_EQ(read, 25);
}

// A Papyrus model split over files: the root of H05 with H04, a unit it
// names, beside it (both from one repository).
TEST_F(XmiCorpus, UnitsOfASplitModel) {
  if (!std::filesystem::is_directory(kToolsCorpus)) GTEST_SKIP() << "not found: " << kToolsCorpus;
  const std::string root = folder_.Write("model.uml", testing::ReadFile(kToolsCorpus + "/H05-papyrus-hotelroot.uml"));
  folder_.Write("ClassDiagram.uml", testing::ReadFile(kToolsCorpus + "/H04-papyrus-hotel.uml"));
  const XmiModel model = Load(root);
  // H05:3 <packagedElement xmi:type="uml:Package" href="ClassDiagram.uml#_JI3k8JOUEeWai68V7lLhPw"/>;
  // H04:2 that package, "ClassDiagram", holds the class Room (:3).
  EXPECT_EQ(Fact(model, "classes"), "18");
  EXPECT_EQ(Query(model.app->model, "class|Room"), "class _dGX6YJOCEeWai68V7lLhPw");
  EXPECT_THAT(warnings_, Contains(HasSubstr("the package in \"ComponentDiagram.uml\" is not loaded")));
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
