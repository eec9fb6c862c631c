// How closely each level of the level-of-detail chain stands in for the
// full tree (tests/data/billboard_tree.vhm, the default tree with leaves),
// with real billboard pictures drawn in a headless OpenGL context. One
// benchmark per level (argument: the level); counters:
//   triangles        the level's triangles, and their share of the tree's;
//   draw_calls       primitives in the exported glTF (one per material);
//   silhouette_diff  pixels only one of tree and level covers, over the
//                    pixels either covers, from 8 viewpoints (see
//                    silhouettes.h); missing and extra as in
//                    billboard_quality_bench.
// The timing is the drawing of the 8 views, which matters little.
#include <benchmark/benchmark.h>

#include <set>

#include "billboard/lod_chain.h"
#include "fileio/document.h"
#include "silhouettes.h"
#include "tree/tree.h"
#include "view/billboard_renderer.h"
#include "view/billboard_texture.h"

namespace {

struct Fixture {
  vh::Tree tree;
  vh::LodChain chain;
  std::vector<bool> treeMask;
};

Fixture& Shared() {
  static Fixture* fixture = [] {
    auto* made = new Fixture;
    made->tree = vh::Generate(vh::ReadDocumentFile(VH_BENCH_DIR "/../tests/data/billboard_tree.vhm", vh::TreeParameters()));
    vh::HeadlessGl& gl = vh::bench::Context();
    vh::BillboardPicker picker;
    made->chain = vh::BuildLodChain(made->tree, vh::BillboardSettings{}, picker, [&gl](vh::MeshObject& mesh) {
      return vh::BillboardRenderer([&gl, &mesh](const vh::Vector3& v0, const vh::Vector3& v1, const vh::Vector3& v2,
                                                int side) {
        if (side <= 0) return vh::Image();
        gl.BindFramebuffer(side, side);
        return vh::RenderBillboardPicture(vh::bench::Lists(), mesh, {}, v0, v1, v2, side);
      });
    });
    vh::FrameContents frame;
    frame.tree = &made->tree;
    frame.showPlane = false;
    made->treeMask = vh::bench::Silhouettes(made->tree, frame);
    return made;
  }();
  return *fixture;
}

void BM_LodLevelQuality(benchmark::State& state) {
  Fixture& fixture = Shared();
  const auto index = static_cast<std::size_t>(state.range(0));
  if (index >= fixture.chain.levels.size()) {
    state.SkipWithError("the chain has fewer levels");
    return;
  }
  const vh::LodLevel& level = fixture.chain.levels[index];
  vh::FrameContents frame;
  frame.showPlane = false;
  if (level.billboardColour.Empty()) {
    frame.tree = level.mesh.get();
  } else {
    vh::UploadBillboardTexture(level.billboardColour);
    frame.billboard = level.mesh.get();
  }
  std::vector<bool> mask;
  for (auto _ : state) mask = vh::bench::Silhouettes(fixture.tree, frame);
  const vh::bench::SilhouetteDifference difference = vh::bench::CompareSilhouettes(fixture.treeMask, mask);
  std::set<int> materials;
  for (const auto& submesh : level.mesh->submeshes)
    if (!submesh->triangles.empty()) materials.insert(submesh->texture);
  state.SetLabel(level.description);
  state.counters["triangles"] = static_cast<double>(level.mesh->PolygonCount());
  state.counters["share"] =
      static_cast<double>(level.mesh->PolygonCount()) / static_cast<double>(fixture.tree.PolygonCount());
  state.counters["draw_calls"] = static_cast<double>(materials.size());
  state.counters["silhouette_diff"] = difference.difference;
  state.counters["missing"] = difference.missing;
  state.counters["extra"] = difference.extra;
}
BENCHMARK(BM_LodLevelQuality)->DenseRange(0, 4)->ArgName("level")->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
