// The Rose corpus arranged as the models expect it: every file under its
// original name, units beside the models that refer to them, one folder per
// source repository. Built once per test run in a temporary folder.
#pragma once

#include <string>
#include <vector>

namespace tarn::modelfile::testing {

struct CorpusFile {
  std::string id;        // C01..C40
  std::string corpus;    // the file's name in the corpus folder
  std::string folder;    // the folder of its repository in the fixture
  std::string original;  // its name in that repository
};

const std::vector<CorpusFile>& CorpusFiles();

// The folder holding the corpus; "" when it is not there (the tests skip).
std::string CorpusSource();

// The fixture path of corpus file `id`, building the fixture on first use.
std::string CorpusPath(const std::string& id);

// The path of a copy of corpus file `id` whose tagged values of `tool` are
// moved to the tool "Tarn", so that the host reads them.
std::string CorpusPathAsTarn(const std::string& id, const std::string& tool);

}  // namespace tarn::modelfile::testing
