// How closely each level of the level-of-detail chain stands in for the
// full tree, on three trees: the default tree with leaves
// (tests/data/billboard_tree.vhm), the broadleaf oak and the conifer, with
// real pictures drawn in a headless OpenGL context. One benchmark per tree
// and level (arguments: tree 0..2, level); counters:
//   triangles        the level's triangles, and their share of the tree's;
//   draw_calls       materials with triangles (one primitive each in glTF);
//   silhouette_diff  pixels only one of tree and level covers, over the
//                    pixels either covers, from 8 viewpoints around the
//                    tree (every 45 degrees, 15 degrees above the horizon,
//                    the viewer's own frame at 256 x 256);
//   missing, extra   pixels only the tree / only the level covers, over the
//                    tree's covered pixels;
//   colour_diff      over the pixels both cover, the mean difference of
//                    red, green and blue (0 the same, 1 black on white);
//   error, coverage  the outline error the chain measured (scene units) and
//                    the screen share below which the level gives way;
//   shown_px, shown_diff, shown_missing, shown_extra
//                    the same comparison at the largest size the level is
//                    shown at (the tree shown_px pixels tall: the share
//                    where the level before gives way, of a 1080-line
//                    screen), which is how a viewer sees it;
//   aa_diff, aa_missing, aa_extra
//                    the 256-pixel views compared as a screen with 4 x 4
//                    samples per pixel sees them (views_around.h's
//                    CompareCoverage: a pixel counts by the share of it
//                    covered), so that a leaf drawn a sample beside where
//                    the tree has it costs a fraction of a pixel;
//   shown_aa_diff, shown_aa_missing, shown_aa_extra
//                    the same at the size the level is shown (sampled at
//                    4 x that size, views of at most 1024 samples: a tree
//                    shown in views wider than 256 pixels is compared at
//                    256).
// These add to the 256-pixel comparison, never replace it.
// At 256 pixels the silhouettes of foliage differ a lot from any view to
// the next: BM_TreeTurned compares the tree with itself turned by a
// little, the floor no stand-in seen from elsewhere than the tree's own
// viewpoints can go below (its aa_diff the floor of the smoothed one).
// BM_TreeResampled compares the tree with itself drawn larger and
// resampled, nearest texel, to 256 pixels, as a picture on a card is: the
// floor of any level drawn from pictures, wherever they stand.
// The timing is the drawing of the 8 views, which matters little; the
// label names the tree and the level.
//
// BM_LodChainWithPictures times the whole chain of the large benchmark tree
// with its pictures drawn headless: the card pictures and the outlines
// measured for each level. gltf_export_bench's BM_LodChainWithoutPictures
// is the same chain with blank pictures; the difference is the drawing.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <string>

#include "bench_trees.h"
#include "billboard/lod_chain.h"
#include "fileio/document.h"
#include "headless_context.h"
#include "tree/tree.h"
#include "view/billboard_renderer.h"
#include "view/billboard_texture.h"

namespace {

struct TreeCase {
  const char* name;
  const char* document;
};
const std::array<TreeCase, 3> kTrees = {{
    {"default", VH_BENCH_DIR "/../tests/data/billboard_tree.vhm"},
    {"broadleaf-oak", VH_BENCH_DIR "/../presets/broadleaf-oak.vhm"},
    {"conifer", VH_BENCH_DIR "/../presets/conifer.vhm"},
}};

vh::PictureRenderer HeadlessPictures(const vh::MeshObject& mesh);

// Samples per pixel, each way, of the smoothed comparisons.
constexpr int kSamples = 4;

// `mesh` alone, without the ground plane.
vh::FrameContents MeshAlone(const vh::MeshObject* mesh) {
  vh::FrameContents frame;
  frame.tree = mesh;
  frame.showPlane = false;
  return frame;
}

struct Fixture {
  vh::Tree tree;
  vh::LodChain chain;
  vh::ViewsAround treeViews;
};

Fixture& Shared(std::size_t index) {
  static std::array<Fixture*, kTrees.size()> fixtures{};
  if (fixtures[index] != nullptr) return *fixtures[index];
  auto* made = new Fixture;  // lives as long as the program
  // Untextured: the leaves and branches in their generated colours, which
  // is what the cards' pictures are compared on.
  made->tree = vh::Generate(vh::ReadDocumentFile(kTrees[index].document, vh::TreeParameters()));
  vh::bench::Context();
  made->chain = vh::BuildLodChain(made->tree, {}, HeadlessPictures);
  made->treeViews = vh::bench::ViewsOf(made->tree, MeshAlone(&made->tree));
  fixtures[index] = made;
  return *made;
}

void BM_LodLevelQuality(benchmark::State& state) {
  const auto treeIndex = static_cast<std::size_t>(state.range(0));
  Fixture& fixture = Shared(treeIndex);
  const auto index = static_cast<std::size_t>(state.range(1));
  if (index >= fixture.chain.levels.size()) {
    state.SkipWithError("the chain has fewer levels");
    return;
  }
  const vh::LodLevel& level = fixture.chain.levels[index];
  const vh::FrameContents frame = MeshAlone(level.mesh.get());
  if (!level.billboardColour.Empty()) vh::UploadCardTexture(level.billboardColour);
  vh::ViewsAround views;
  for (auto _ : state) views = vh::bench::ViewsOf(fixture.tree, frame);
  const vh::ViewsDifference difference = vh::CompareViews(fixture.treeViews, views);
  // The tree as tall as the share of the screen where this level takes over.
  const double shownShare = index == 0 ? 1.0 : fixture.chain.levels[index - 1].screenCoverage;
  const double shownPixels = shownShare * 1080.0;
  const int shownSide =
      std::clamp(static_cast<int>(std::lround(shownPixels / vh::FramedHeight(fixture.tree))), 16, 1080);
  const vh::FrameContents treeFrame = MeshAlone(&fixture.tree);
  const vh::ViewsAround treeShown = vh::bench::ViewsOf(fixture.tree, treeFrame, shownSide);
  if (!level.billboardColour.Empty()) vh::UploadCardTexture(level.billboardColour);
  const vh::ViewsDifference shown =
      vh::CompareViews(treeShown, vh::bench::ViewsOf(fixture.tree, frame, shownSide));
  // And as a screen with 4 x 4 samples per pixel sees it: at 256 pixels,
  // and at the size shown.
  const vh::ViewsDifference smoothed = vh::CompareCoverage(fixture.treeViews, views, kSamples);
  const int sampledSide = std::min(shownSide * kSamples, 1024);
  const vh::ViewsAround treeSampled = vh::bench::ViewsOf(fixture.tree, treeFrame, sampledSide);
  if (!level.billboardColour.Empty()) vh::UploadCardTexture(level.billboardColour);
  const vh::ViewsDifference shownSmoothed =
      vh::CompareCoverage(treeSampled, vh::bench::ViewsOf(fixture.tree, frame, sampledSide), kSamples);
  std::set<int> materials;
  for (const auto& submesh : level.mesh->submeshes)
    if (!submesh->triangles.empty()) materials.insert(submesh->texture);
  state.SetLabel(std::string(kTrees[treeIndex].name) + " LOD" + std::to_string(index) + " " +
                 level.description);
  state.counters["triangles"] = static_cast<double>(level.mesh->PolygonCount());
  state.counters["share"] =
      static_cast<double>(level.mesh->PolygonCount()) / static_cast<double>(fixture.tree.PolygonCount());
  state.counters["draw_calls"] = static_cast<double>(materials.size());
  state.counters["silhouette_diff"] = difference.silhouette;
  state.counters["missing"] = difference.missing;
  state.counters["extra"] = difference.extra;
  state.counters["colour_diff"] = difference.colour;
  state.counters["error"] = level.error;
  state.counters["coverage"] = level.screenCoverage;
  state.counters["shown_px"] = shownPixels;
  state.counters["shown_diff"] = shown.silhouette;
  state.counters["shown_missing"] = shown.missing;
  state.counters["shown_extra"] = shown.extra;
  state.counters["aa_diff"] = smoothed.silhouette;
  state.counters["aa_missing"] = smoothed.missing;
  state.counters["aa_extra"] = smoothed.extra;
  state.counters["shown_aa_diff"] = shownSmoothed.silhouette;
  state.counters["shown_aa_missing"] = shownSmoothed.missing;
  state.counters["shown_aa_extra"] = shownSmoothed.extra;
}
BENCHMARK(BM_LodLevelQuality)
    ->ArgsProduct({{0, 1, 2}, {0, 1, 2, 3}})
    ->ArgNames({"tree", "level"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

vh::PictureRenderer HeadlessPictures(const vh::MeshObject& mesh) {
  return [&mesh](const vh::PictureFrame& frame) {
    vh::bench::Context().BindFramebuffer(frame.width, frame.height);
    return vh::RenderLodPicture(vh::bench::Lists(), mesh, frame);
  };
}

void BM_LodChainWithPictures(benchmark::State& state) {
  const vh::Tree& tree = vh::bench::GrownLargeTree();
  vh::bench::Context();
  vh::LodChain chain;
  for (auto _ : state) {
    chain = vh::BuildLodChain(tree, {}, HeadlessPictures);
    benchmark::DoNotOptimize(chain.levels.data());
  }
  for (std::size_t i = 0; i < chain.levels.size(); ++i)
    state.counters["LOD" + std::to_string(i) + " triangles"] =
        static_cast<double>(chain.levels[i].mesh->PolygonCount());
}
BENCHMARK(BM_LodChainWithPictures)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// The tree against itself turned by a tenth of a degree times the argument,
// at 256 pixels.
void BM_TreeTurned(benchmark::State& state) {
  const auto treeIndex = static_cast<std::size_t>(state.range(0));
  Fixture& fixture = Shared(treeIndex);
  const vh::FrameContents frame = MeshAlone(&fixture.tree);
  const float turn = static_cast<float>(state.range(1)) * 0.1f * 0.017453293f;
  vh::ViewsAround views;
  for (auto _ : state) views = vh::bench::ViewsOf(fixture.tree, frame, vh::bench::kViewSide, turn);
  const vh::ViewsDifference difference = vh::CompareViews(fixture.treeViews, views);
  state.SetLabel(std::string(kTrees[treeIndex].name) + " turned by " + std::to_string(state.range(1) / 10.0) +
                 " degrees");
  state.counters["silhouette_diff"] = difference.silhouette;
  state.counters["missing"] = difference.missing;
  state.counters["extra"] = difference.extra;
  state.counters["colour_diff"] = difference.colour;
  state.counters["aa_diff"] = vh::CompareCoverage(fixture.treeViews, views, kSamples).silhouette;
}
BENCHMARK(BM_TreeTurned)
    ->ArgsProduct({{0, 1, 2}, {10, 50, 225}})
    ->ArgNames({"tree", "tenths_of_degree"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// The tree against itself drawn at the argument's side and resampled to
// 256 pixels, each pixel taking the one whose centre is nearest its own.
void BM_TreeResampled(benchmark::State& state) {
  const auto treeIndex = static_cast<std::size_t>(state.range(0));
  Fixture& fixture = Shared(treeIndex);
  const vh::FrameContents frame = MeshAlone(&fixture.tree);
  const int drawn = static_cast<int>(state.range(1));
  vh::ViewsAround large;
  for (auto _ : state) large = vh::bench::ViewsOf(fixture.tree, frame, drawn);
  vh::ViewsAround resampled = fixture.treeViews;
  const auto side = static_cast<std::size_t>(resampled.side), from = static_cast<std::size_t>(drawn);
  for (std::size_t view = 0; view < static_cast<std::size_t>(resampled.count); ++view)
    for (std::size_t y = 0; y < side; ++y)
      for (std::size_t x = 0; x < side; ++x) {
        const std::size_t fromX = (2 * x + 1) * from / (2 * side), fromY = (2 * y + 1) * from / (2 * side);
        std::copy_n(&large.rgb[((view * from + fromY) * from + fromX) * 3], 3,
                    &resampled.rgb[((view * side + y) * side + x) * 3]);
        resampled.covered[(view * side + y) * side + x] = large.covered[(view * from + fromY) * from + fromX];
      }
  const vh::ViewsDifference difference = vh::CompareViews(fixture.treeViews, resampled);
  state.SetLabel(std::string(kTrees[treeIndex].name) + " drawn at " + std::to_string(drawn) + " pixels");
  state.counters["silhouette_diff"] = difference.silhouette;
  state.counters["missing"] = difference.missing;
  state.counters["extra"] = difference.extra;
}
BENCHMARK(BM_TreeResampled)
    ->ArgsProduct({{0, 1, 2}, {420, 600}})
    ->ArgNames({"tree", "side"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
