// Every file of the Rose corpus loads, and facts read from the files by hand
// (petal/data/corpus.txt) come out of the host.
#include <gtest/gtest.h>

#include "modelfile/petal/corpus_fixture.hpp"
#include "modelfile/petal/petal_facts.hpp"
#include "modelfile/test_data.hpp"

namespace tarn::modelfile {
namespace {

using testing::CorpusPath;

class PetalCorpus : public ::testing::Test {
 protected:
  void SetUp() override {
    if (testing::CorpusSource().empty())
      GTEST_SKIP() << "Rose corpus not found at " TARN_ROSE_CORPUS;
  }
  PetalModel Load(const std::string& path) {
    warnings_.clear();
    return LoadPetalModel(path, {}, [this](std::string warning) {
      const std::string folder = testing::CorpusFolder();
      for (auto at = warning.find(folder); at != std::string::npos; at = warning.find(folder))
        warning.erase(at, folder.size());
      warnings_.push_back(warning);
    });
  }

  std::vector<std::string> warnings_;
};

TEST_F(PetalCorpus, EveryFileLoads) {
  for (const std::string& id : testing::CorpusIds()) {
    SCOPED_TRACE(id);
    PetalModel model;
    ASSERT_NO_THROW(model = Load(CorpusPath(id)));
    EXPECT_FALSE(model.app->model.root.name.empty());
  }
}

TEST_F(PetalCorpus, FactsReadFromTheFiles) {
  for (const testing::Case& file : testing::ReadCases(testing::DataPath("petal/data/corpus.txt"))) {
    SCOPED_TRACE(file.where);
    const std::string line = file.InputLine();  // the file's id, then maybe a tool
    const PetalModel model =
        Load(CorpusPath(line.substr(0, 3), line.size() > 4 ? line.substr(4) : ""));
    for (const auto& [query, expected] : file.sections)
      EXPECT_EQ(testing::PetalFact(model, warnings_, query), file.Expected(query)) << query;
  }
}

}  // namespace
}  // namespace tarn::modelfile
