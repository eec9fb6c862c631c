// Hand edits on the large tree: growing it with and without 50 edits (the
// goal is at most 5 % more time with them) and picking the branch under a
// ray (the goal is at most 50 ms a pick). The argument of the growth is the
// number of meshing threads (0: one per core).
#include <benchmark/benchmark.h>

#include "bench_trees.h"
#include "tree/branch_pick.h"
#include "tree/tree.h"

namespace {

// 50 turns and length changes spread over the levels of the large tree
// (seven children a branch); no removal, which would only save work.
std::vector<vh::HandEdit> FiftyEdits() {
  std::vector<vh::HandEdit> edits;
  for (int i = 0; i < 50; ++i) {
    vh::BranchPath path = {0, i % 7};
    for (int depth = 0; depth < i % 4; ++depth) path.push_back((i * (depth + 3)) % 7);
    vh::HandEdit edit{i % 2 ? vh::HandEditKind::kTurn : vh::HandEditKind::kLength, path};
    edit.around = 5.0 + i;
    edit.away = -10.0 + i % 20;
    edit.factor = 0.7 + 0.01 * i;
    edits.push_back(edit);
  }
  return edits;
}

void Grow(benchmark::State& state, const vh::TreeParameters& params) {
  vh::GenerationOptions options;
  options.workers = static_cast<int>(state.range(0));
  vh::Tree tree;
  for (auto _ : state) {
    vh::Generate(params, options, {}, tree);
    benchmark::DoNotOptimize(tree.submeshes.data());
  }
  state.counters["vertices"] = static_cast<double>(tree.VertexCount());
  state.counters["unapplied"] = static_cast<double>(tree.unappliedEdits.size());
}

void BM_GrowLargeTreeWithoutEdits(benchmark::State& state) { Grow(state, vh::bench::LargeTreeParameters()); }

void BM_GrowLargeTreeWithFiftyEdits(benchmark::State& state) {
  vh::TreeParameters params = vh::bench::LargeTreeParameters();
  params.handEdits = FiftyEdits();
  Grow(state, params);
}

// One pick a run (argument 0 to 4): rays that meet the tree from the side
// and into the crown from above, and two that pass it by; every one tests
// the bounds of every submesh, the hits also the triangles of those they
// pass through.
void BM_PickOnLargeTree(benchmark::State& state) {
  const vh::Tree& tree = vh::bench::GrownLargeTree();
  const vh::Vector3 rays[][2] = {{{0, 20, -2000}, {0, 0, 1}},
                                 {{0, 150, -2000}, {0.02f, 0, 1}},
                                 {{40, 2000, 30}, {0, -1, 0}},
                                 {{-2000, 250, 0}, {1, 0, 0}},
                                 {{0, -50, 0}, {0, -1, 0}}};
  const auto& ray = rays[state.range(0)];
  bool hit = false;
  for (auto _ : state) hit = vh::PickBranch(tree, ray[0], ray[1]).has_value();
  state.counters["vertices"] = static_cast<double>(tree.VertexCount());
  state.counters["hit"] = hit;
}

}  // namespace

BENCHMARK(BM_GrowLargeTreeWithoutEdits)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GrowLargeTreeWithFiftyEdits)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PickOnLargeTree)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->UseRealTime();
