// Export throughput in MB/s for the large leafy tree (about 1.6 million
// vertices), one benchmark per format; the target for OBJ is 100 MB/s.
// Files go to the temporary directory and include the flush to disk.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>

#include "bench_trees.h"
#include "fileio/dxf_export.h"
#include "fileio/fixed_format.h"
#include "fileio/obj_export.h"
#include "fileio/tds_export.h"
#include "tree/tree.h"

namespace {

using vh::bench::FileSize;

void Export(benchmark::State& state, void (*exporter)(const vh::MeshObject&, const std::string&),
            const char* name, bool withMaterialFile) {
  const vh::Tree& tree = vh::bench::GrownLargeTree();
  const std::string path = (std::filesystem::temp_directory_path() / name).string();
  std::uintmax_t bytes = 0;
  for (auto _ : state) {
    exporter(tree, path);
    bytes += FileSize(path) + (withMaterialFile ? FileSize(path + ".mtl") : 0);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
  state.counters["vertices"] = static_cast<double>(tree.VertexCount());
  state.counters["file MB"] = static_cast<double>(FileSize(path)) / 1e6;
  std::filesystem::remove(path);
  if (withMaterialFile) std::filesystem::remove(path + ".mtl");
}

void BM_ExportOBJ(benchmark::State& state) { Export(state, vh::ExportOBJ, "vh_export_bench.obj", true); }
void BM_ExportDXF(benchmark::State& state) { Export(state, vh::ExportDXF, "vh_export_bench.dxf", false); }
void BM_Export3DS(benchmark::State& state) { Export(state, vh::Export3DS, "vh_export_bench.3ds", false); }

// The number formatter alone against the C library's "%f".
std::vector<double> Coordinates() {
  std::mt19937 random(1);
  std::uniform_real_distribution<float> coordinate(-3.0f, 3.0f);
  std::vector<double> values(1 << 16);
  for (double& v : values) v = coordinate(random);
  return values;
}

void BM_FormatFixed6(benchmark::State& state) {
  const std::vector<double> values = Coordinates();
  char buffer[vh::kMaxFixed6Length];
  for (auto _ : state)
    for (double v : values) benchmark::DoNotOptimize(vh::FormatFixed6(buffer, v));
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * values.size()));
}

void BM_SnprintfFixed6(benchmark::State& state) {
  const std::vector<double> values = Coordinates();
  char buffer[400];
  for (auto _ : state)
    for (double v : values) benchmark::DoNotOptimize(std::snprintf(buffer, sizeof buffer, "%f", v));
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * values.size()));
}

}  // namespace

BENCHMARK(BM_ExportOBJ)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_ExportDXF)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_Export3DS)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_FormatFixed6);
BENCHMARK(BM_SnprintfFixed6);
