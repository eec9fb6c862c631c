// How closely a billboard cloud stands in for its tree, and what building
// it costs with real pictures drawn in a headless OpenGL context.
//
// The tree (tests/data/billboard_tree.vhm: the default tree with leaves) is
// drawn from 8 viewpoints around it, every 45 degrees at 15 degrees above
// the horizon, with the viewer's own frame (perspective, 60 degrees), once
// as the tree and once as its cloud. A pixel belongs to a silhouette when it
// is not the white background. Counters:
//   silhouette_diff  pixels where exactly one silhouette covers it, over the
//                    pixels either covers (0 = identical, 1 = disjoint);
//   missing, extra   pixels only the tree / only the cloud covers, over the
//                    tree's silhouette;
//   billboards       billboards made.
// Argument 0: the billboard count; argument 1: the mode (0 keeps branches as
// geometry, 1 replaces the whole tree).
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "billboard/billboard_cloud.h"
#include "cli/headless_gl.h"
#include "fileio/tree_document.h"
#include "tree/tree.h"
#include "view/billboard_renderer.h"
#include "view/billboard_texture.h"
#include "view/viewer.h"

namespace {

constexpr int kViewSide = 256;
constexpr int kViewpoints = 8;

vh::HeadlessGl& Context() {
  static vh::HeadlessGl* gl = [] {
    auto* made = new vh::HeadlessGl;  // lives as long as the program
    vh::InitViewState();
    return made;
  }();
  return *gl;
}

// Silhouette masks of `contents` from the 8 viewpoints, one after the other.
std::vector<bool> Silhouettes(const vh::MeshObject& tree, vh::FrameContents contents) {
  vh::Vector3 low{1e30f, 1e30f, 1e30f}, high{-1e30f, -1e30f, -1e30f};
  for (const auto& submesh : tree.submeshes)
    for (const vh::Vertex& v : submesh->vertices) {
      low = {std::fmin(low.x, v.position.x), std::fmin(low.y, v.position.y), std::fmin(low.z, v.position.z)};
      high = {std::fmax(high.x, v.position.x), std::fmax(high.y, v.position.y), std::fmax(high.z, v.position.z)};
    }
  const vh::Vector3 centre = (low + high) * 0.5f;
  const float radius = std::sqrt(vh::LengthSquared(high - low)) * 0.5f;
  const float distance = radius / std::sin(0.5f) * 1.05f;  // the whole tree fits the 60-degree view

  Context().BindFramebuffer(kViewSide, kViewSide);
  std::vector<bool> masks;
  std::vector<std::uint8_t> pixels(kViewSide * kViewSide * 4);
  for (int view = 0; view < kViewpoints; ++view) {
    const float azimuth = static_cast<float>(view) * 0.78539816f;
    const float elevation = 0.26179939f;
    const vh::Vector3 direction{std::cos(elevation) * std::sin(azimuth), std::sin(elevation),
                                std::cos(elevation) * std::cos(azimuth)};
    vh::Camera camera;
    camera.viewportWidth = camera.viewportHeight = kViewSide;
    camera.position = centre + direction * distance;
    camera.forward = direction * -1.0f;
    camera.up = {0.0f, 1.0f, 0.0f};
    camera.focusDistance = distance;
    vh::RenderFrame(camera, contents);
    glReadPixels(0, 0, kViewSide, kViewSide, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    for (std::size_t i = 0; i < pixels.size(); i += 4)
      masks.push_back(!(pixels[i] == 255 && pixels[i + 1] == 255 && pixels[i + 2] == 255));
  }
  return masks;
}

void BM_BillboardQuality(benchmark::State& state) {
  static vh::Tree* tree = [] {
    return new vh::Tree(
        vh::Generate(vh::LoadDocument(VH_BENCH_DIR "/../tests/data/billboard_tree.vhm", vh::TreeParameters())));
  }();
  vh::HeadlessGl& gl = Context();
  vh::BillboardSettings settings;
  settings.billboardCount = static_cast<int>(state.range(0));
  settings.mode = static_cast<vh::BillboardMode>(state.range(1));
  const vh::BillboardRenderer render = [&](const vh::Vector3& v0, const vh::Vector3& v1, const vh::Vector3& v2,
                                           int side) {
    gl.BindFramebuffer(side, side);
    return vh::RenderBillboardPicture(*tree, v0, v1, v2, side);
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
  const std::vector<bool> treeMask = Silhouettes(*tree, treeFrame);
  const std::vector<bool> cloudMask = Silhouettes(*tree, cloudFrame);
  double either = 0, treeOnly = 0, cloudOnly = 0, treeArea = 0;
  for (std::size_t i = 0; i < treeMask.size(); ++i) {
    either += treeMask[i] || cloudMask[i];
    treeOnly += treeMask[i] && !cloudMask[i];
    cloudOnly += cloudMask[i] && !treeMask[i];
    treeArea += treeMask[i];
  }
  std::size_t billboards = 0;
  for (const auto& submesh : cloud.mesh->submeshes) billboards += submesh->texture == vh::kBillboardMaterial;
  state.counters["silhouette_diff"] = either > 0 ? (treeOnly + cloudOnly) / either : 0.0;
  state.counters["missing"] = treeArea > 0 ? treeOnly / treeArea : 0.0;
  state.counters["extra"] = treeArea > 0 ? cloudOnly / treeArea : 0.0;
  state.counters["billboards"] = static_cast<double>(billboards);
}
BENCHMARK(BM_BillboardQuality)
    ->ArgsProduct({{10, 30, 100}, {1, 0}})
    ->ArgNames({"count", "mode"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
