// The petal reader on a model that names many units: 100,000 units that are
// missing (each a warning with its line and column), 100,000 units on disk
// (more than the kernel allows a process mappings), and the same named in
// another case than their files (each matched by listing the folder).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "modelfile/petal/petal_reader.hpp"

namespace {

namespace fs = std::filesystem;
using namespace tarn;

constexpr int kUnits = 100000;

constexpr const char* kHeader = "\n(object Petal\n    version    \t50\n    charSet    \t0)\n\n";

// A package unit named `name` whose logical models are `stubs`, each a unit
// that is not loaded: {file name, quid}.
std::string UnitText(const std::string& name, const std::vector<std::pair<std::string, std::string>>& stubs) {
  std::string text = std::string(kHeader) + "(object Class_Category \"" + name + "\"\n    quid \"Q" + name +
                     "\"\n    logical_models (list unit_reference_list\n\t(object Class \"C" + name +
                     "\" quid \"C" + name + "\")\n";
  for (const auto& [file, quid] : stubs)
    text += "\t(object Class_Category \"S" + quid + "\" is_unit TRUE is_loaded FALSE\n\t    file_name \"" + file +
            "\" quid \"Q" + quid + "\")\n";
  return text + "))\n";
}

// The files of both models, written once and removed at exit.
class UnitFolder {
 public:
  UnitFolder() : path_(fs::temp_directory_path() / ("tarn-unit-bench-" + std::to_string(::getpid()))) {
    fs::create_directories(path_ / "units");
    std::vector<std::pair<std::string, std::string>> missing, present, other_case;
    for (int i = 0; i < kUnits; ++i) {
      const std::string n = std::to_string(i);
      missing.push_back({"$CURDIR\\\\missing" + n + ".cat", "m" + n});
      present.push_back({"$CURDIR\\\\units\\\\unit" + n + ".cat", "u" + n});
      other_case.push_back({"$CURDIR\\\\units\\\\UNIT" + n + ".CAT", "u" + n});
      std::ofstream(path_ / "units" / ("unit" + n + ".cat")) << UnitText("u" + n, {});
    }
    std::ofstream(path_ / "missing.cat") << UnitText("m", missing);
    std::ofstream(path_ / "units.cat") << UnitText("p", present);
    std::ofstream(path_ / "other-case.cat") << UnitText("o", other_case);
  }
  ~UnitFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  std::string Path(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

UnitFolder& Folder() {
  static UnitFolder folder;
  return folder;
}

// Loads the model; fails the benchmark unless it gives `warnings` warnings
// and `units` packages that were loaded from units.
void Load(benchmark::State& state, const std::string& path, std::size_t warnings, std::size_t units) {
  for (auto _ : state) {
    std::size_t warned = 0;
    const auto model = modelfile::LoadPetalModel(path, {}, [&](const std::string&) { ++warned; });
    if (warned != warnings || model.app->model.classes.size() != units + 1)
      state.SkipWithError("the model did not load as it was written");
  }
}

void BM_MissingUnits(benchmark::State& state) { Load(state, Folder().Path("missing.cat"), kUnits, 0); }
void BM_Units(benchmark::State& state) { Load(state, Folder().Path("units.cat"), 0, kUnits); }
void BM_UnitNamesOfAnotherCase(benchmark::State& state) { Load(state, Folder().Path("other-case.cat"), 0, kUnits); }

BENCHMARK(BM_MissingUnits)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Units)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnitNamesOfAnotherCase)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
