#include "billboard/billboard_cloud.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "billboard/atlas.h"
#include "billboard/billboard_builder.h"
#include "billboard/coverage.h"
#include "billboard/plane_scoring.h"
#include "tree/mesh.h"

namespace vh {

namespace {

// Switches strip drawing off for the run (clusters are drawn as loose
// triangles) and, however the run ends, gives the tree back as it was:
// every triangle visible, the strip flags as found, every drawing rebuilt.
class TreeDrawingGuard {
 public:
  explicit TreeDrawingGuard(MeshObject& tree) : m_tree(tree) {
    m_strip.reserve(tree.submeshes.size());
    for (const auto& submesh : tree.submeshes) m_strip.push_back(submesh->strip);
    for (const auto& submesh : tree.submeshes) {
      submesh->strip = false;
      ++submesh->revision;
    }
  }
  ~TreeDrawingGuard() { Restore(); }
  TreeDrawingGuard(const TreeDrawingGuard&) = delete;
  TreeDrawingGuard& operator=(const TreeDrawingGuard&) = delete;

  void Restore() {
    for (std::size_t s = 0; s < m_tree.submeshes.size(); ++s) {
      Submesh& submesh = *m_tree.submeshes[s];
      for (Triangle& triangle : submesh.triangles) triangle.visible = true;
      submesh.strip = m_strip[s];
      ++submesh.revision;
    }
  }

 private:
  MeshObject& m_tree;
  std::vector<bool> m_strip;
};

void HideAll(MeshObject& tree) {
  for (const auto& submesh : tree.submeshes) {
    for (Triangle& triangle : submesh->triangles) triangle.visible = false;
  }
}

// The first candidate with the strictly greatest score; the first one when
// no score beats -1 (only NaN scores can do that), so a plane is always chosen.
std::size_t BestCandidate(const std::vector<float>& scores) {
  float best = -1.0f;
  std::size_t chosen = 0;
  for (std::size_t i = 0; i < scores.size(); ++i) {
    if (scores[i] > best) {
      best = scores[i];
      chosen = i;
    }
  }
  return chosen;
}

}  // namespace

BillboardCloud CreateBillboardCloud(MeshObject& tree, const BillboardSettings& settings,
                                    BillboardPicker& picker, const BillboardRenderer& render,
                                    const BillboardProgress& progress) {
  CheckBillboardSettings(settings);
  TriangleCoverage coverage(tree);
  auto cloud = std::make_unique<MeshObject>();
  const std::uint64_t total = coverage.Total();
  TreeDrawingGuard guard(tree);

  const bool geometryForBranches = settings.mode == BillboardMode::kGeometryForBranches;
  if (geometryForBranches) {
    for (std::size_t s = 0; s < tree.submeshes.size(); ++s) {
      if (tree.submeshes[s]->texture != kBarkMaterial) continue;
      for (std::size_t t = 0; t < coverage.TriangleCount(s); ++t) coverage.Cover(s, t);
    }
  }

  const float threshold = DistanceThreshold(settings.billboardCount);
  const unsigned threads = ScoringThreads();
  std::vector<Image> pictures;
  std::vector<Submesh*> billboards;
  std::vector<CandidatePlane> candidates;
  for (;;) {
    const std::uint64_t uncovered = coverage.Uncovered();
    if (uncovered == 0) break;
    if (progress && !progress(static_cast<int>(95 - (95 * uncovered) / total))) return BillboardCloud{};
    HideAll(tree);

    // Candidates consume the generator, so they are drawn one after the
    // other; their scores do not depend on each other and are computed in
    // parallel, then compared in drawing order.
    candidates.clear();
    for (int i = 0; i < settings.precision; ++i) candidates.push_back(picker.Pick(tree, coverage));
    const UncoveredTriangles snapshot(tree, coverage);
    const std::vector<float> scores =
        snapshot.ScoreAll(candidates, threshold, settings.favourVertical, threads);
    const CandidatePlane& best = candidates[BestCandidate(scores)];

    Billboard billboard = BuildBillboard(tree, coverage, best, threshold);
    cloud->submeshes.push_back(billboard.submesh);
    billboards.push_back(billboard.submesh.get());
    const BillboardQuad& quad = billboard.quad;
    const int side =
        BillboardImageSide(quad.corner[0], quad.corner[1], quad.corner[2], settings.textureQuality);
    pictures.push_back(render ? render(quad.corner[0], quad.corner[1], quad.corner[2], side)
                              : KeyColourImage(side, side));
  }

  BillboardCloud result;
  {
    const Image atlas = AssembleAtlas(pictures, billboards);
    BillboardTextures textures = MakeBillboardTextures(atlas, settings.textureResolution);
    result.colourTexture = std::move(textures.colour);
    result.transparency = std::move(textures.transparency);
  }
  pictures.clear();
  guard.Restore();
  if (progress) progress(100);

  if (geometryForBranches) {
    for (const auto& submesh : tree.submeshes) {
      if (submesh->texture == kBarkMaterial) cloud->submeshes.push_back(submesh);
    }
  }
  result.mesh = std::move(cloud);
  return result;
}

}  // namespace vh
