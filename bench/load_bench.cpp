// Load time of each model-file reader on the synthetic models of 100, 1,000
// and 10,000 classes, from a file to the filled in-memory host; the rate is
// the model file's bytes per second.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "modelfile/native/native_reader.hpp"
#include "modelfile/petal/petal_reader.hpp"
#include "modelfile/xmi/xmi_reader.hpp"
#include "native_text.hpp"
#include "petal_text.hpp"
#include "synthetic_model.hpp"
#include "xmi_text.hpp"

namespace {

namespace fs = std::filesystem;
using namespace tarn;

struct ModelFiles {
  std::string native;
  std::string petal;
  std::string xmi;  // with its .notation beside it
};

// A folder of this run's model files, removed at exit.
class ModelFolder {
 public:
  ModelFolder()
      : path_(fs::temp_directory_path() / ("tarn-load-bench-" + std::to_string(::getpid()))) {
    fs::create_directories(path_);
  }
  ~ModelFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }

  // The model files of `classes` classes, written on first use.
  const ModelFiles& FilesFor(int classes) {
    const auto known = files_.find(classes);
    if (known != files_.end()) return known->second;
    host::MemoryModel model;
    bench::BuildSyntheticModel(model, classes);
    const std::string stem = (path_ / ("model-" + std::to_string(classes))).string();
    ModelFiles& files = files_[classes];
    files.native = Write(stem + ".yaml", bench::NativeModelText(model));
    files.petal = Write(stem + ".mdl", bench::PetalModelText(model));
    const auto xmi = bench::XmiModelText(model, "model-" + std::to_string(classes) + ".uml");
    files.xmi = Write(stem + ".uml", xmi.model);
    Write(stem + ".notation", xmi.notation);
    return files;
  }

 private:
  static std::string Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  fs::path path_;
  std::map<int, ModelFiles> files_;
};

ModelFolder& Folder() {
  static ModelFolder folder;
  return folder;
}

// Whether the loaded model is the one written: all classes and twice as many
// associations on its first diagram.
bool LoadedWhole(const host::MemoryModel& model, int classes) {
  return !(model.root.diagrams.empty() ||
           model.root.diagrams.front().classes.size() != static_cast<std::size_t>(classes) ||
           model.root.diagrams.front().associations.size() !=
               2 * static_cast<std::size_t>(classes));
}

constexpr const char* kNotWhole = "the model read back is not the model written";

void Finish(benchmark::State& state, const std::string& path, int classes) {
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(path)));
  state.counters["MB"] = static_cast<double>(fs::file_size(path)) / 1e6;
  state.SetComplexityN(classes);
}

void BM_LoadNative(benchmark::State& state) {
  const int classes = static_cast<int>(state.range(0));
  const std::string& path = Folder().FilesFor(classes).native;
  if (!LoadedWhole(modelfile::LoadNativeModel(path)->model, classes))
    state.SkipWithError(kNotWhole);
  for (auto _ : state) {
    auto app = modelfile::LoadNativeModel(path);
    state.PauseTiming();
    app.reset();  // freeing the model is no part of loading it
    state.ResumeTiming();
  }
  Finish(state, path, classes);
}

void BM_LoadPetal(benchmark::State& state) {
  const int classes = static_cast<int>(state.range(0));
  const std::string& path = Folder().FilesFor(classes).petal;
  std::string warnings;
  const auto warn = [&](const std::string& warning) { warnings += warning + "\n"; };
  if (!LoadedWhole(modelfile::LoadPetalModel(path, {}, warn).app->model, classes))
    state.SkipWithError(kNotWhole);
  else if (!warnings.empty())
    state.SkipWithError(warnings.c_str());
  for (auto _ : state) {
    auto loaded = modelfile::LoadPetalModel(path, {}, warn);
    state.PauseTiming();
    loaded = {};
    state.ResumeTiming();
  }
  Finish(state, path, classes);
}

void BM_LoadXmi(benchmark::State& state) {
  const int classes = static_cast<int>(state.range(0));
  const std::string& path = Folder().FilesFor(classes).xmi;
  std::string warnings;
  const auto warn = [&](const std::string& warning) { warnings += warning + "\n"; };
  if (!LoadedWhole(modelfile::LoadXmiModel(path, {}, warn).app->model, classes))
    state.SkipWithError(kNotWhole);
  else if (!warnings.empty())
    state.SkipWithError(warnings.c_str());
  for (auto _ : state) {
    auto loaded = modelfile::LoadXmiModel(path, {}, warn);
    state.PauseTiming();
    loaded = {};
    state.ResumeTiming();
  }
  // The rate counts the model file and its .notation.
  const std::string notation = path.substr(0, path.size() - 4) + ".notation";
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(fs::file_size(path) + fs::file_size(notation)));
  state.counters["MB"] = static_cast<double>(fs::file_size(path) + fs::file_size(notation)) / 1e6;
  state.SetComplexityN(classes);
}

// The largest XMI file of the corpus, when the corpus lies beside the sources.
void BM_LoadXmiCorpus(benchmark::State& state) {
  const std::string path = TARN_XMI_CORPUS_LARGEST;
  if (!fs::exists(path)) {
    state.SkipWithError("the XMI corpus is not beside the sources");
    return;
  }
  for (auto _ : state) {
    auto loaded = modelfile::LoadXmiModel(path, {}, [](const std::string&) {});
    state.PauseTiming();
    loaded = {};
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(path)));
  state.counters["MB"] = static_cast<double>(fs::file_size(path)) / 1e6;
}

// The three model sizes.
void Sizes(benchmark::internal::Benchmark* benchmark) {
  for (const int classes : {100, 1000, 10000}) benchmark->Arg(classes);
}

BENCHMARK(BM_LoadNative)->Apply(Sizes)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(BM_LoadPetal)->Apply(Sizes)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(BM_LoadXmi)->Apply(Sizes)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(BM_LoadXmiCorpus)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
