// The selection highlight on the large tree, drawn in a headless context
// at the view's size: a branch of the first level with everything on it
// (argument 0), and the trunk, that is the whole tree (argument 1). The
// view's interaction budget is 40 ms a frame; selecting (gathering the
// triangles) happens once per selection, drawing every frame.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include "bench_trees.h"
#include "headless_context.h"
#include "view/selection_highlight.h"

namespace {

const vh::BranchPath kSelections[] = {{0, 3}, {0}};

void BM_SelectOnLargeTree(benchmark::State& state) {
  const vh::Tree& tree = vh::bench::GrownLargeTree();
  vh::SelectionHighlight highlight;
  for (auto _ : state) highlight.Select(tree, kSelections[state.range(0)]);
  state.counters["triangles"] = static_cast<double>(highlight.TriangleCount());
}

void BM_DrawHighlightOnLargeTree(benchmark::State& state) {
  const vh::Tree& tree = vh::bench::GrownLargeTree();
  vh::bench::Context().BindFramebuffer(800, 600);
  vh::SelectionHighlight highlight;
  highlight.Select(tree, kSelections[state.range(0)]);
  glViewport(0, 0, 800, 600);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-400, 400, -100, 500, -2000, 2000);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  for (auto _ : state) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    highlight.Draw();
    glFinish();
  }
  state.counters["triangles"] = static_cast<double>(highlight.TriangleCount());
}

}  // namespace

BENCHMARK(BM_SelectOnLargeTree)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DrawHighlightOnLargeTree)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
