// How closely a billboard cloud stands in for its tree, and what building
// it costs with real pictures drawn in a headless OpenGL context.
//
// The tree (tests/data/billboard_tree.vhm: the default tree with leaves) is
// drawn from 8 viewpoints around it, every 45 degrees at 15 degrees above
// the horizon, with the viewer's own frame (perspective, 60 degrees), once
// as the tree and once as its cloud. A pixel belongs to a silhouette when
// something was drawn there (views_around.h). Counters:
//   silhouette_diff  pixels where exactly one silhouette covers it, over the
//                    pixels either covers (0 = identical, 1 = disjoint);
//   missing, extra   pixels only the tree / only the cloud covers, over the
//                    tree's silhouette;
//   billboards       billboards made.
// Argument 0: the billboard count; argument 1: the mode (0 keeps branches as
// geometry, 1 replaces the whole tree).
#include <benchmark/benchmark.h>

#include "billboard/billboard_cloud.h"
#include "fileio/document.h"
#include "headless_context.h"
#include "tree/tree.h"
#include "view/billboard_renderer.h"
#include "view/billboard_texture.h"
#include "view/headless_gl.h"
#include "view/viewer.h"

namespace {

using vh::bench::Context;

void BM_BillboardQuality(benchmark::State& state) {
  static vh::Tree* tree = [] {
    return new vh::Tree(vh::Generate(
        vh::ReadDocumentFile(VH_BENCH_DIR "/../tests/data/billboard_tree.vhm", vh::TreeParameters())));
  }();
  vh::HeadlessGl& gl = Context();
  vh::BillboardSettings settings;
  settings.billboardCount = static_cast<int>(state.range(0));
  settings.mode = static_cast<vh::BillboardMode>(state.range(1));
  const vh::BillboardRenderer render = [&](const vh::Vector3& v0, const vh::Vector3& v1,
                                           const vh::Vector3& v2, int side) {
    gl.BindFramebuffer(side, side);
    return vh::RenderBillboardPicture(vh::bench::Lists(), *tree, {}, v0, v1, v2, side);
  };
  vh::BillboardCloud cloud;
  for (auto _ : state) {
    vh::BillboardPicker picker;  // every iteration draws the first-run sequence
    cloud = vh::CreateBillboardCloud(*tree, settings, picker, render, {});
    benchmark::DoNotOptimize(cloud.mesh.get());
  }
  vh::UploadBillboardTexture(cloud.colourTexture);

  vh::FrameContents treeFrame;
  treeFrame.tree = tree;
  treeFrame.showPlane = false;
  vh::FrameContents cloudFrame = treeFrame;
  cloudFrame.billboard = cloud.mesh.get();
  const vh::ViewsDifference difference =
      vh::CompareViews(vh::bench::ViewsOf(*tree, treeFrame), vh::bench::ViewsOf(*tree, cloudFrame));
  std::size_t billboards = 0;
  for (const auto& submesh : cloud.mesh->submeshes) billboards += submesh->texture == vh::kBillboardMaterial;
  state.counters["silhouette_diff"] = difference.silhouette;
  state.counters["missing"] = difference.missing;
  state.counters["extra"] = difference.extra;
  state.counters["billboards"] = static_cast<double>(billboards);
}
BENCHMARK(BM_BillboardQuality)
    ->ArgsProduct({{10, 30, 100}, {1, 0}})
    ->ArgNames({"count", "mode"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
