// The Rose corpus arranged as the models expect it: every file under its
// original name, units beside the models that refer to them, one folder per
// source repository (petal/data/corpus_files.txt). Built once per test run
// in a temporary folder.
#pragma once

#include <string>
#include <vector>

namespace tarn::modelfile::testing {

// The folder holding the corpus; "" when it is not there (the tests skip).
std::string CorpusSource();

// The ids of the corpus files, C01..C40.
std::vector<std::string> CorpusIds();

// The fixture's folder, with a '/' at its end; built on first use.
std::string CorpusFolder();

// The fixture path of corpus file `id`; with a `tool`, the path of a copy
// whose tagged values of that tool are moved to the tool "Tarn", so that the
// host reads them.
std::string CorpusPath(const std::string& id, const std::string& tool = "");

}  // namespace tarn::modelfile::testing
