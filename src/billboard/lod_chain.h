// A level-of-detail chain for engines: the full tree, two reduced copies of
// it (see lod_reduction.h) aiming at about 40 % and 15 % of its triangles,
// then two billboard clouds built over the second copy: its leaves as
// billboards over its branches, and the whole tree as billboards.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "billboard/billboard_cloud.h"
#include "fileio/export_scene.h"
#include "foundations/image.h"
#include "tree/mesh.h"

namespace vh {

struct LodLevel {
  std::string description;  // "full tree", "reduced geometry", ...
  std::unique_ptr<MeshObject> mesh;
  // The level's billboard atlas (billboard levels only).
  Image billboardColour;
  Image billboardTransparency;
  // The fraction of the screen's height below which the next level takes over.
  double screenCoverage = 0.0;
};

struct LodChain {
  std::vector<LodLevel> levels;  // finest first
};

// The levels made of geometry alone: the tree (sharing its submeshes) and
// its two reductions. Needs no pictures and no graphics context.
LodChain BuildGeometryLevels(const MeshObject& tree);

// A renderer for the billboard pictures of clouds built over `source`
// (a mesh of the chain, which lives as long as the chain).
using LodRendererFactory = std::function<BillboardRenderer(MeshObject& source)>;

// The whole chain: the geometry levels, then the clouds over the last of
// them, with the count, precision, vertical preference and texture settings
// of `settings` (its mode is set per cloud). A tree without leaves gets no
// leaf cloud. Billboards take the material name "BBdMat". `progress` (may
// be empty) sees each cloud's progress; a false answer cancels and the
// result is then empty. Exceptions of the callbacks pass through.
LodChain BuildLodChain(const MeshObject& tree, const BillboardSettings& settings, BillboardPicker& picker,
                       const LodRendererFactory& renderer, const BillboardProgress& progress = {});

// The chain as an export scene with the tree's pictures (`treePictures`,
// for leaves and bark) and each billboard level's atlas.
ExportScene ChainScene(const LodChain& chain, const MaterialPictures& treePictures, double scale = 1.0);

}  // namespace vh
