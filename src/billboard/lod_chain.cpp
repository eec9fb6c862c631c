#include "billboard/lod_chain.h"

#include "billboard/billboard_files.h"
#include "billboard/lod_reduction.h"

namespace vh {
namespace {

// Where each level gives way, as a fraction of the screen's height, and
// the thinnest branch a level keeps. A branch is dropped when, at the
// largest size its level is shown (the coverage of the level before), it
// would be thinner than a pixel of a 1080-line screen.
constexpr double kFullCoverage = 0.5;
constexpr double kFirstReductionCoverage = 0.25;
constexpr double kSecondReductionCoverage = 0.12;
constexpr double kLeafCloudCoverage = 0.05;
constexpr double kWholeCloudCoverage = 0.015;
constexpr double kScreenLines = 1080.0;

LodLevel Level(std::string description, std::unique_ptr<MeshObject> mesh, double coverage) {
  LodLevel level;
  level.description = std::move(description);
  level.mesh = std::move(mesh);
  level.screenCoverage = coverage;
  return level;
}

bool HasLeaves(const MeshObject& mesh) {
  for (const auto& submesh : mesh.submeshes)
    if (submesh->texture == kLeafMaterial && !submesh->triangles.empty()) return true;
  return false;
}

// Builds one cloud over `source`; false when cancelled.
bool AddCloud(LodChain& chain, MeshObject& source, BillboardSettings settings, BillboardMode mode,
              BillboardPicker& picker, const LodRendererFactory& renderer, const BillboardProgress& progress,
              std::string description, double coverage) {
  settings.mode = mode;
  BillboardCloud cloud =
      CreateBillboardCloud(source, settings, picker, renderer ? renderer(source) : BillboardRenderer(), progress);
  if (cloud.mesh == nullptr) return false;
  for (const auto& submesh : cloud.mesh->submeshes)
    if (submesh->texture == kBillboardMaterial) submesh->materialName = kBillboardMaterialName;
  LodLevel& level = chain.levels.emplace_back(Level(std::move(description), std::move(cloud.mesh), coverage));
  level.billboardColour = std::move(cloud.colourTexture);
  level.billboardTransparency = std::move(cloud.transparency);
  return true;
}

}  // namespace

LodChain BuildGeometryLevels(const MeshObject& tree) {
  LodChain chain;
  auto full = std::make_unique<MeshObject>();
  full->submeshes = tree.submeshes;
  chain.levels.push_back(Level("full tree", std::move(full), kFullCoverage));
  const LodReduction first{0.40, 1.0 / (kFullCoverage * kScreenLines), 0.5};
  const LodReduction second{0.15, 1.0 / (kFirstReductionCoverage * kScreenLines), 0.25};
  chain.levels.push_back(Level("reduced geometry", ReduceTree(tree, first), kFirstReductionCoverage));
  chain.levels.push_back(Level("coarse geometry", ReduceTree(tree, second), kSecondReductionCoverage));
  return chain;
}

LodChain BuildLodChain(const MeshObject& tree, const BillboardSettings& settings, BillboardPicker& picker,
                       const LodRendererFactory& renderer, const BillboardProgress& progress) {
  LodChain chain = BuildGeometryLevels(tree);
  MeshObject& coarse = *chain.levels.back().mesh;
  if (HasLeaves(coarse) &&
      !AddCloud(chain, coarse, settings, BillboardMode::kGeometryForBranches, picker, renderer, progress,
                "leaf billboards over coarse branches", kLeafCloudCoverage))
    return {};
  if (!AddCloud(chain, coarse, settings, BillboardMode::kBillboardsForAll, picker, renderer, progress,
                "billboards", kWholeCloudCoverage))
    return {};
  return chain;
}

ExportScene ChainScene(const LodChain& chain, const MaterialPictures& treePictures, double scale) {
  ExportScene scene;
  scene.scale = scale;
  for (const LodLevel& level : chain.levels) {
    MaterialPictures pictures = treePictures;
    if (!level.billboardColour.Empty()) {
      pictures.billboardColour = &level.billboardColour;
      pictures.billboardTransparency = &level.billboardTransparency;
    }
    scene.levels.push_back(ExportLevel{level.mesh.get(), pictures, level.screenCoverage});
  }
  return scene;
}

}  // namespace vh
