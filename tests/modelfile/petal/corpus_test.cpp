// Every file of the Rose corpus loads, and facts read from the files by hand
// come out of the host.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "modelfile/petal/corpus_fixture.hpp"
#include "modelfile/petal/petal_reader.hpp"

namespace tarn::modelfile {
namespace {

using testing::CorpusFiles;
using testing::CorpusPath;
using testing::CorpusSource;

#define SKIP_WITHOUT_CORPUS()                                                         \
  if (CorpusSource().empty()) GTEST_SKIP() << "Rose corpus not found at " TARN_ROSE_CORPUS

PetalModel Load(const std::string& id, std::vector<std::string>* warnings = nullptr) {
  return LoadPetalModel(CorpusPath(id), {}, [&](const std::string& warning) {
    if (warnings) warnings->push_back(warning);
  });
}

TEST(PetalCorpus, EveryFileLoads) {
  SKIP_WITHOUT_CORPUS();
  for (const auto& file : CorpusFiles()) {
    SCOPED_TRACE(file.id);
    std::vector<std::string> warnings;
    PetalModel model;
    ASSERT_NO_THROW(model = Load(file.id, &warnings));
    EXPECT_FALSE(model.app->model.root.name.empty());
  }
}

}  // namespace
}  // namespace tarn::modelfile
