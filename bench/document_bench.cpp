// Time of each translation on the synthetic models of 100, 1,000 and 10,000
// classes, with the document built in memory: the property check of one
// class and the refinement check of one pair (parse, visit, Z/EVES text),
// and the Object-Z document of the whole diagram.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>

#include "objectz/generator.hpp"
#include "parser/z_parser.hpp"
#include "synthetic_model.hpp"
#include "visitor/z_visitor.hpp"
#include "zeves/z_generator.hpp"

namespace {

using namespace tarn;

// The synthetic model of `classes` classes, built on first use.
const host::MemoryApplication& ModelOf(int classes) {
  static std::map<int, std::unique_ptr<host::MemoryApplication>> models;
  auto& app = models[classes];
  if (!app) {
    app = std::make_unique<host::MemoryApplication>();
    bench::BuildSyntheticModel(app->model, classes);
  }
  return *app;
}

void Finish(benchmark::State& state, const std::string& document) {
  state.counters["document_kB"] = static_cast<double>(document.size()) / 1e3;
  state.SetComplexityN(state.range(0));
}

void BM_PropertyCheck(benchmark::State& state) {
  const auto& model = ModelOf(static_cast<int>(state.range(0))).model;
  const host::Class& cls = bench::ClassNamed(model, bench::kPropertyClass);
  const std::string properties = cls.TaggedValue(host::kTool, "Properties");
  std::string document;
  for (auto _ : state) {
    zmodel::ZPCClass check;
    const parser::ZParser parser;
    check.Schema = parser.ParseClass(cls);
    parser.ParseProperties(check, properties);
    visitor::ZVisitor().VisitPC(check);
    document = zeves::ZGenerator().PCSpecificationText(check);
    benchmark::DoNotOptimize(document.data());
  }
  Finish(state, document);
}

void BM_RefinementCheck(benchmark::State& state) {
  const auto& model = ModelOf(static_cast<int>(state.range(0))).model;
  const host::Association& pair = bench::AssociationNamed(model, bench::kRefinementAssociation);
  const std::string retrieve = pair.TaggedValue(host::kTool, "Retrieve");
  std::string document;
  for (auto _ : state) {
    zmodel::ZRCClass check;
    const parser::ZParser parser;
    parser.ParseAbstractClass(check, pair.FirstRole().RoleClass());
    parser.ParseConcreteClass(check, pair.SecondRole().RoleClass());
    parser.ParseRetrieve(check, retrieve);
    visitor::ZVisitor().VisitRC(check);
    document = zeves::ZGenerator().RCSpecificationText(check);
    benchmark::DoNotOptimize(document.data());
  }
  Finish(state, document);
}

void BM_ObjectZ(benchmark::State& state) {
  const auto& app = ModelOf(static_cast<int>(state.range(0)));
  std::string document;
  for (auto _ : state) {
    document = objectz::Generator().DocumentText(app);
    benchmark::DoNotOptimize(document.data());
  }
  Finish(state, document);
}

// The three model sizes.
void Sizes(benchmark::internal::Benchmark* benchmark) {
  for (const int classes : {100, 1000, 10000}) benchmark->Arg(classes);
}

BENCHMARK(BM_PropertyCheck)->Apply(Sizes)->Unit(benchmark::kMicrosecond)->Complexity(benchmark::o1);
BENCHMARK(BM_RefinementCheck)
    ->Apply(Sizes)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::o1);
BENCHMARK(BM_ObjectZ)->Apply(Sizes)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
