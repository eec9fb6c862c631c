// glTF export and level-of-detail chain of the large leafy tree (about 1.6
// million vertices): export throughput in MB/s of output (the target is
// 1 GB/s; the file is flushed to disk like every export), and the time to
// build the chain without drawing any billboard picture (the target is
// under 1 s). Counters give the sizes and each level's triangles.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "billboard/lod_chain.h"
#include "bench_trees.h"
#include "fileio/gltf_export.h"
#include "tree/tree.h"

namespace {

using vh::bench::FileSize;

void BM_ExportGLB(benchmark::State& state) {
  const vh::Tree& tree = vh::bench::GrownLargeTree();
  const std::string path = (std::filesystem::temp_directory_path() / "vh_gltf_bench.glb").string();
  std::uintmax_t bytes = 0;
  for (auto _ : state) {
    vh::ExportGLB(vh::SingleMeshScene(tree), path);
    bytes += FileSize(path);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
  state.counters["vertices"] = static_cast<double>(tree.VertexCount());
  state.counters["file MB"] = static_cast<double>(FileSize(path)) / 1e6;
  std::filesystem::remove(path);
}
BENCHMARK(BM_ExportGLB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// The two reduced levels alone: what the chain costs besides its clouds.
void BM_LodGeometryLevels(benchmark::State& state) {
  const vh::Tree& tree = vh::bench::GrownLargeTree();
  vh::LodChain chain;
  for (auto _ : state) {
    chain = vh::BuildGeometryLevels(tree);
    benchmark::DoNotOptimize(chain.levels.data());
  }
  for (std::size_t i = 0; i < chain.levels.size(); ++i)
    state.counters["LOD" + std::to_string(i) + " triangles"] =
        static_cast<double>(chain.levels[i].mesh->PolygonCount());
}
BENCHMARK(BM_LodGeometryLevels)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole chain with blank pictures: the reduced levels and both clouds
// (plane search and atlas packing), without drawing.
void BM_LodChainWithoutPictures(benchmark::State& state) {
  const vh::Tree& tree = vh::bench::GrownLargeTree();
  vh::LodChain chain;
  for (auto _ : state) {
    vh::BillboardPicker picker;
    chain = vh::BuildLodChain(tree, vh::BillboardSettings{}, picker, {});
    benchmark::DoNotOptimize(chain.levels.data());
  }
  for (std::size_t i = 0; i < chain.levels.size(); ++i)
    state.counters["LOD" + std::to_string(i) + " triangles"] =
        static_cast<double>(chain.levels[i].mesh->PolygonCount());
}
BENCHMARK(BM_LodChainWithoutPictures)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace
