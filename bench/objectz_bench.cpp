// Time of a whole Object-Z document for diagrams of n classes and 2n
// associations; it should grow linearly with n.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "host/memory_host.hpp"
#include "objectz/generator.hpp"

namespace {

using namespace tarn;

// n classes with two attributes and one operation each; association k joins
// class k mod n to class (7k + 3) mod n, every other one navigable both ways.
void BuildDiagram(host::MemoryModel& model, int n) {
  auto& diagram = model.root.diagrams.emplace_back();
  for (int i = 0; i < n; ++i) {
    auto& added = model.classes.emplace_back();
    added.name = "C" + std::to_string(i);
    auto& count = added.attributes.emplace_back();
    count.name = "count";
    count.type = "\\nat";
    count.initial = "0";
    auto& items = added.attributes.emplace_back();
    items.name = "items";
    items.type = "\\power ITEM" + std::to_string(i % 100);
    auto& operation = added.operations.emplace_back();
    operation.name = "step";
    operation.pre = "count < 10";
    operation.post = "count' = count + 1";
    diagram.classes.push_back(&added);
  }
  for (int k = 0; k < 2 * n; ++k) {
    auto& association = model.associations.emplace_back();
    association.first.supplier = &model.classes[static_cast<std::size_t>(k % n)];
    association.first.name = "a" + std::to_string(k);
    association.first.multiplicity = "1";
    association.first.navigable = k % 2 == 0;
    association.second.supplier = &model.classes[static_cast<std::size_t>((7 * k + 3) % n)];
    association.second.name = "b" + std::to_string(k);
    association.second.multiplicity = "0..n";
    association.second.navigable = true;
    association.tags.Set("TypeOfRoleB", "\\power");
    diagram.associations.push_back(&association);
  }
}

void BM_Generate(benchmark::State& state) {
  host::MemoryApplication app;
  BuildDiagram(app.model, static_cast<int>(state.range(0)));
  const auto path = (std::filesystem::temp_directory_path() /
                     ("tarn-objectz-bench-" + std::to_string(::getpid()) + ".tex"))
                        .string();
  for (auto _ : state) {
    objectz::Generator generator;
    generator.Generate(app, path);
  }
  std::filesystem::remove(path);
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_Generate)->Arg(1250)->Arg(2500)->Arg(5000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
