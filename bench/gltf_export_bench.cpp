// glTF export and level-of-detail chain of the large leafy tree (about 1.6
// million vertices): export throughput in MB/s of output (the target is
// 1 GB/s; the file is flushed to disk like every export), the file built in
// memory and the writing of a built file apart (the export overlaps the
// two, so it takes less than their sum), and the time to build the chain
// without drawing any billboard picture (the target is under 1 s). Counters
// give the sizes and each level's triangles.
//
// The export uses up to three threads: the CPU column is the whole
// process's time, all threads together, to compare with the wall time.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>

#include "bench_trees.h"
#include "billboard/lod_chain.h"
#include "fileio/gltf_export.h"
#include "foundations/atomic_file.h"
#include "tree/tree.h"

namespace {

using vh::bench::FileSize;

std::string BenchPath() { return (std::filesystem::temp_directory_path() / "vh_gltf_bench.glb").string(); }

void BM_ExportGLB(benchmark::State& state) {
  const vh::Tree& tree = vh::bench::GrownLargeTree();
  const std::string path = BenchPath();
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
BENCHMARK(BM_ExportGLB)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->MinTime(2.0);

// The file built in memory: geometry planned and filled, pictures, JSON.
void BM_BuildGLBInMemory(benchmark::State& state) {
  const vh::Tree& tree = vh::bench::GrownLargeTree();
  std::uint64_t bytes = 0;
  for (auto _ : state) {
    vh::GlbFile glb(vh::SingleMeshScene(tree), BenchPath());
    glb.Fill();
    bytes += glb.Size();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_BuildGLBInMemory)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->MinTime(2.0);

// A built file written: the bytes into the page cache, the flush to disk
// (fsync, which every export does before it replaces the previous file)
// and the rename over the previous file, the last two also as counters.
void BM_WriteGLB(benchmark::State& state) {
  vh::GlbFile glb(vh::SingleMeshScene(vh::bench::GrownLargeTree()), BenchPath());
  glb.Fill();
  using Clock = std::chrono::steady_clock;
  double flushSeconds = 0.0, replaceSeconds = 0.0;
  for (auto _ : state) {
    vh::AtomicFile file(BenchPath());
    glb.WriteTo(file);
    const Clock::time_point written = Clock::now();
    file.Finish();
    const Clock::time_point flushed = Clock::now();
    file.Publish();
    flushSeconds += std::chrono::duration<double>(flushed - written).count();
    replaceSeconds += std::chrono::duration<double>(Clock::now() - flushed).count();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(glb.Size() * state.iterations()));
  state.counters["flush ms"] = benchmark::Counter(flushSeconds * 1e3, benchmark::Counter::kAvgIterations);
  state.counters["replace ms"] = benchmark::Counter(replaceSeconds * 1e3, benchmark::Counter::kAvgIterations);
  std::filesystem::remove(BenchPath());
}
BENCHMARK(BM_WriteGLB)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->MinTime(2.0);

// The two reduced levels alone: what the chain costs besides its cards.
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

// The whole chain with blank pictures: the reduced levels and the cards
// (their layout and the atlas), without drawing.
void BM_LodChainWithoutPictures(benchmark::State& state) {
  const vh::Tree& tree = vh::bench::GrownLargeTree();
  vh::LodChain chain;
  for (auto _ : state) {
    chain = vh::BuildLodChain(tree, {}, {});
    benchmark::DoNotOptimize(chain.levels.data());
  }
  for (std::size_t i = 0; i < chain.levels.size(); ++i)
    state.counters["LOD" + std::to_string(i) + " triangles"] =
        static_cast<double>(chain.levels[i].mesh->PolygonCount());
}
BENCHMARK(BM_LodChainWithoutPictures)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace
