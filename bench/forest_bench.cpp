// Forests of conifer variants with their chains (cards drawn headless) and
// wind: the whole export on one thread and on two, each run in a child
// process of its own so that its peak memory is its own; one variant alone,
// the working set the forest's peak is measured against; and the bytes an
// instance adds to the file with GPU instancing.
//
// The default case is scaled down (10 variants, 1,000 instances); the full
// one (100 variants, 10,000 instances) runs with
//   forest_bench --benchmark_filter='/100/'
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "bench_trees.h"
#include "cli/headless_billboards.h"
#include "fileio/presets.h"
#include "forest/forest_export.h"

namespace {

std::string Description(long variants, long instances) {
  return "seed = 9\narea = 300 x 300\ncount = " + std::to_string(instances) +
         "\nspacing = 1.5\nscale = 0.8 1.25\nlod = yes\nwind = yes\nspecies = conifer\nvariants = " +
         std::to_string(variants) + "\n";
}

vh::ForestPlan Plan(long variants, long instances) {
  return vh::PlanForest(vh::ParseForestDescription(Description(variants, instances), "bench", ""),
                        vh::PresetLibrary(VH_BENCH_DIR "/../presets"));
}

std::string Output(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("vh-forest-bench-" + name)).string();
}

struct ChildRun {
  double seconds = 0.0;     // wall time
  double cpuSeconds = 0.0;  // user and system time of all its threads
  double peakMiB = 0.0;
};

// Runs `work` in a child process: its wall and processor time and its peak
// resident memory. On a machine shared with other work the processor time
// tells what the wall time cannot.
ChildRun InChild(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child == 0) {
    work();
    std::_Exit(0);
  }
  int status = 0;
  rusage usage{};
  ::wait4(child, &status, 0, &usage);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::abort();
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6; };
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
          seconds(usage.ru_utime) + seconds(usage.ru_stime), static_cast<double>(usage.ru_maxrss) / 1024.0};
}

// The whole export, planning included, on state.range(2) threads.
void BM_ForestExport(benchmark::State& state) {
  const long variants = state.range(0), instances = state.range(1);
  const int threads = static_cast<int>(state.range(2));
  const std::string path = Output("forest.glb");
  ChildRun run;
  for (auto _ : state) {
    run = InChild([&] {
      vh::ForestExportOptions options;
      options.threads = threads;
      options.chains = vh::cli::ForestCardDrawer();
      vh::ExportForest(Plan(variants, instances), path, options);
    });
    state.SetIterationTime(run.seconds);
  }
  state.counters["peak_MiB"] = run.peakMiB;
  state.counters["cpu_s"] = run.cpuSeconds;
  state.counters["file_MiB"] = static_cast<double>(vh::bench::FileSize(path)) / (1 << 20);
  std::filesystem::remove(path);
}
BENCHMARK(BM_ForestExport)
    ->Args({10, 1000, 1})
    ->Args({10, 1000, 2})
    ->Args({100, 10000, 1})
    ->Args({100, 10000, 2})
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

// One of the forest's variants grown and packed alone, planning included
// (the variants of a preset are about as large as each other).
void BM_ForestOneVariant(benchmark::State& state) {
  ChildRun run;
  for (auto _ : state) {
    run = InChild([] {
      benchmark::DoNotOptimize(vh::GrowVariantPack(Plan(10, 1000), 0, vh::cli::ForestCardDrawer()).size());
    });
    state.SetIterationTime(run.seconds);
  }
  state.counters["peak_MiB"] = run.peakMiB;
  state.counters["cpu_s"] = run.cpuSeconds;
}
BENCHMARK(BM_ForestOneVariant)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

// What an instance adds to the file: the same variants' packs written with
// 10,000 and with 1,000 instances (the variants' seeds do not depend on
// the count).
void BM_ForestBytesPerInstance(benchmark::State& state) {
  const long variants = 4;
  const vh::ForestPlan many = Plan(variants, 10000), few = Plan(variants, 1000);
  std::vector<std::string> packs;
  for (std::size_t v = 0; v < many.variants.size(); ++v) packs.push_back(vh::GrowVariantPack(many, v, {}));
  const auto write = [&packs](const vh::ForestPlan& plan, const std::string& path) {
    vh::ForestFileWriter writer(plan, path, vh::ForestInstancing::kGpu);
    for (std::size_t v = 0; v < packs.size(); ++v)
      if (writer.Wanted(v)) writer.Add(v, packs[v]);
    writer.Commit();
    return static_cast<double>(vh::bench::FileSize(path));
  };
  double perInstance = 0.0;
  for (auto _ : state)
    perInstance = (write(many, Output("many.glb")) - write(few, Output("few.glb"))) /
                  static_cast<double>(many.instances.size() - few.instances.size());
  state.counters["bytes_per_instance"] = perInstance;
  std::filesystem::remove(Output("many.glb"));
  std::filesystem::remove(Output("few.glb"));
}
BENCHMARK(BM_ForestBytesPerInstance)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
