// Billboard-cloud build time for a leafy tree of about 200 000 triangles at
// the default precision (50) and billboard count (10). The renderer answers
// blank pictures at once, so the figure is clustering, packing and the
// output textures, without GL drawing.
#include <benchmark/benchmark.h>

#include "billboard/atlas.h"
#include "billboard/billboard_cloud.h"
#include "billboard/coverage.h"
#include "billboard/plane_scoring.h"
#include "tree/tree.h"

namespace {

// Four levels of five children, coarse bark, a six-point leaf (four
// triangles) on every leaf cell.
vh::TreeParameters LeafyTreeParameters() {
  vh::TreeParameters params(3);
  for (vh::LevelParameters& level : params.levels) {
    level.nbChildrenMin = level.nbChildrenMax = 5;
    level.qualityAngle = 5;
    level.qualityHeight = 6;
    level.leafDensity = 101;
  }
  params.noLeavesOnTrunk = true;
  params.leafOutline = {{0, -40}, {15, -25}, {20, -5}, {0, 30}, {-20, -5}, {-15, -25}};
  params.leafTexCoords = {{0.5f, 0.0f}, {0.9f, 0.2f}, {1.0f, 0.4f}, {0.5f, 1.0f}, {0.0f, 0.4f}, {0.1f, 0.2f}};
  return params;
}

vh::Tree& LeafyTree() {
  static vh::Tree* tree = [] {
    return new vh::Tree(vh::Generate(LeafyTreeParameters()));  // lives as long as the program
  }();
  return *tree;
}

void BuildCloud(benchmark::State& state, vh::BillboardMode mode) {
  vh::Tree& tree = LeafyTree();
  vh::BillboardSettings settings;  // precision 50, 10 billboards, quality 7, 2048 textures
  settings.mode = mode;
  const vh::BillboardRenderer blank = [](const vh::Vector3&, const vh::Vector3&, const vh::Vector3&,
                                         int side) { return vh::KeyColourImage(side, side); };
  std::size_t billboards = 0;
  for (auto _ : state) {
    vh::BillboardPicker picker;  // the first run of a program
    const vh::BillboardCloud cloud = vh::CreateBillboardCloud(tree, settings, picker, blank, {});
    billboards = cloud.mesh->submeshes.size();
    benchmark::DoNotOptimize(cloud.colourTexture.pixels.data());
  }
  std::uint64_t leafTriangles = 0;
  for (const auto& submesh : tree.submeshes) {
    if (submesh->texture == vh::kLeafMaterial) leafTriangles += submesh->triangles.size();
  }
  state.counters["triangles"] = static_cast<double>(tree.PolygonCount());
  state.counters["leafTriangles"] = static_cast<double>(leafTriangles);
  state.counters["cloudSubmeshes"] = static_cast<double>(billboards);
}

void BM_BillboardCloudLeaves(benchmark::State& state) {
  BuildCloud(state, vh::BillboardMode::kGeometryForBranches);
}
void BM_BillboardCloudWholeTree(benchmark::State& state) {
  BuildCloud(state, vh::BillboardMode::kBillboardsForAll);
}

// One billboard's worth of scoring (50 candidates over every triangle of the
// tree): the plain reference loop against the scorer the builder uses.
std::vector<vh::CandidatePlane> FiftyCandidates(const vh::TriangleCoverage& coverage) {
  vh::BillboardPicker picker;
  std::vector<vh::CandidatePlane> candidates;
  for (int i = 0; i < 50; ++i) candidates.push_back(picker.Pick(LeafyTree(), coverage));
  return candidates;
}

void BM_ScoreFiftyCandidatesReference(benchmark::State& state) {
  const vh::TriangleCoverage coverage(LeafyTree());
  const auto candidates = FiftyCandidates(coverage);
  for (auto _ : state) {
    for (const vh::CandidatePlane& candidate : candidates) {
      benchmark::DoNotOptimize(vh::ScorePlaneReference(LeafyTree(), coverage, candidate, 10.0f, false));
    }
  }
}

void BM_ScoreFiftyCandidatesFast(benchmark::State& state) {
  const vh::TriangleCoverage coverage(LeafyTree());
  const auto candidates = FiftyCandidates(coverage);
  const auto threads = static_cast<unsigned>(state.range(0));
  for (auto _ : state) {
    const vh::UncoveredTriangles snapshot(LeafyTree(), coverage);
    benchmark::DoNotOptimize(snapshot.ScoreAll(candidates, 10.0f, false, threads).data());
  }
}

}  // namespace

BENCHMARK(BM_ScoreFiftyCandidatesReference)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ScoreFiftyCandidatesFast)->Unit(benchmark::kMillisecond)->Arg(1)->Arg(2)->Iterations(5);
BENCHMARK(BM_BillboardCloudLeaves)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BillboardCloudWholeTree)->Unit(benchmark::kMillisecond)->Iterations(3);
