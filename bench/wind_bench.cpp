// Wind on the large leafy tree (about 1.6 million vertices): one pose of
// its joints (the target is under 1 ms), binding every vertex to the rig
// once, posing every vertex on the processor (positions and normals, the
// leaves fluttering), and the glTF export without and with wind (the CPU
// column of the exports is the whole process's, all threads together).
#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench_trees.h"
#include "fileio/gltf_export.h"
#include "wind/wind_motion.h"
#include "wind/wind_rig.h"
#include "wind/wind_skinning.h"

namespace {

vh::WindSettings Wind() {
  vh::WindSettings wind;
  wind.enabled = true;
  return wind;
}

const vh::WindRig& LargeRig() {
  static const vh::WindRig* rig = new vh::WindRig(vh::BuildWindRig(vh::bench::GrownLargeTree()));
  return *rig;
}

void BM_WindRig(benchmark::State& state) {
  const vh::Tree& tree = vh::bench::GrownLargeTree();
  for (auto _ : state) benchmark::DoNotOptimize(vh::BuildWindRig(tree));
  state.counters["joints"] = static_cast<double>(LargeRig().joints.size());
}
BENCHMARK(BM_WindRig)->Unit(benchmark::kMillisecond);

// One frame's pose of every joint, a frame of 30 per second later each time.
void BM_WindJointPose(benchmark::State& state) {
  const vh::WindMotion motion(LargeRig(), Wind());
  vh::WindPose pose;
  double t = 0.0;
  for (auto _ : state) {
    vh::PoseJoints(motion, t, pose);
    benchmark::DoNotOptimize(pose.offset.data());
    t += 1.0 / 30;
  }
  state.counters["joints"] = static_cast<double>(motion.JointCount());
}
BENCHMARK(BM_WindJointPose)->Unit(benchmark::kMicrosecond);

void BM_WindBindAllVertices(benchmark::State& state) {
  const vh::Tree& tree = vh::bench::GrownLargeTree();
  for (auto _ : state) benchmark::DoNotOptimize(vh::WindSkin(LargeRig(), tree).VertexCount());
  state.counters["vertices"] = static_cast<double>(tree.VertexCount());
}
BENCHMARK(BM_WindBindAllVertices)->Unit(benchmark::kMillisecond);

// Every vertex posed for one frame, on one thread.
void BM_WindSkinAllVertices(benchmark::State& state) {
  const vh::Tree& tree = vh::bench::GrownLargeTree();
  const vh::WindSkin skin(LargeRig(), tree);
  const vh::WindMotion motion(LargeRig(), Wind());
  vh::WindPose pose;
  std::vector<vh::Vector3> positions, normals;
  double t = 0.0;
  for (auto _ : state) {
    vh::PoseJoints(motion, t, pose);
    skin.Pose(tree, motion, pose, positions, &normals);
    benchmark::DoNotOptimize(positions.data());
    t += 1.0 / 30;
  }
  state.counters["vertices"] = static_cast<double>(skin.VertexCount());
}
BENCHMARK(BM_WindSkinAllVertices)->Unit(benchmark::kMillisecond);

// The export as the command-line tool makes it, to a file flushed to disk.
void ExportLarge(benchmark::State& state, bool wind) {
  const std::string path = (std::filesystem::temp_directory_path() / "vh_wind_bench.glb").string();
  vh::ExportScene scene = vh::SingleMeshScene(vh::bench::GrownLargeTree());
  scene.wind.enabled = wind;
  for (auto _ : state) vh::ExportGLB(scene, path);
  state.counters["file MB"] = static_cast<double>(vh::bench::FileSize(path)) / 1e6;
  std::filesystem::remove(path);
}

void BM_ExportWithoutWind(benchmark::State& state) { ExportLarge(state, false); }
BENCHMARK(BM_ExportWithoutWind)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->MinTime(2.0);

void BM_ExportWithWind(benchmark::State& state) { ExportLarge(state, true); }
BENCHMARK(BM_ExportWithWind)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->MinTime(2.0);

}  // namespace
