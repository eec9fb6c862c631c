// Generation throughput, in generated vertices per second. The argument is
// the number of meshing threads (0: one per core, as the programs grow).
#include <benchmark/benchmark.h>

#include "bench_trees.h"
#include "tree/tree.h"

namespace {

void Grow(benchmark::State& state, const vh::TreeParameters& params) {
  vh::GenerationOptions options;
  options.workers = static_cast<int>(state.range(0));
  vh::Tree tree;
  std::uint64_t vertices = 0;
  for (auto _ : state) {
    vh::Generate(params, options, {}, tree);
    vertices += tree.VertexCount();
    benchmark::DoNotOptimize(tree.submeshes.data());
  }
  state.counters["vertices"] = static_cast<double>(tree.VertexCount());
  state.counters["vertices/s"] =
      benchmark::Counter(static_cast<double>(vertices), benchmark::Counter::kIsRate);
}

void BM_GenerateDefaultTree(benchmark::State& state) { Grow(state, vh::TreeParameters(2)); }
void BM_GenerateLargeLeafyTree(benchmark::State& state) { Grow(state, vh::bench::LargeTreeParameters()); }

}  // namespace

BENCHMARK(BM_GenerateDefaultTree)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GenerateLargeLeafyTree)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime();
