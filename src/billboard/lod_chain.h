// A level-of-detail chain for engines: the full tree, two reduced copies of
// it (see lod_reduction.h) at adjustable shares of its triangles (40 % and
// 15 % unless asked otherwise), and the tree on a star of cards around the
// first reduction's trunk (see card_level.h) for the far field.
//
// Each level carries the error its outline was measured to have against
// the tree's, and the screen size below which it stands in for the level
// before it follows from that error: a level takes over once its error
// would span less than one line of a 1080-line screen.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "billboard/billboard_cloud.h"
#include "billboard/billboard_settings.h"
#include "billboard/lod_pictures.h"
#include "fileio/export_formats.h"
#include "fileio/export_scene.h"
#include "foundations/image.h"
#include "tree/mesh.h"

namespace vh {

struct LodChainOptions {
  // The shares of the full tree's triangles the two reduced levels keep at
  // most (0 < second <= first <= 1).
  double firstShare = 0.40;
  double secondShare = 0.15;
  // The cards' atlas is 2^textureResolution pixels square (5..12).
  int textureResolution = BillboardSettings{}.textureResolution;
};

struct LodLevel {
  std::string description;  // "full tree", "reduced geometry", ...
  std::unique_ptr<MeshObject> mesh;
  // The level's atlas (the cards only).
  Image billboardColour;
  Image billboardTransparency;
  // The error of the level's outline against the tree's, in scene units
  // (see lod_error.h); 0 for the tree itself, and for levels that could not
  // be measured (without pictures).
  double error = 0.0;
  // The fraction of the screen's height below which the next level takes over.
  double screenCoverage = 0.0;
};

struct LodChain {
  std::vector<LodLevel> levels;  // finest first
};

// Throws std::invalid_argument naming what is wrong with `options`.
void CheckLodChainOptions(const LodChainOptions& options);

// The levels made of geometry alone: the tree (sharing its submeshes) and
// its two reductions. Needs no pictures and no graphics context.
LodChain BuildGeometryLevels(const MeshObject& tree, const LodChainOptions& options = {});

// The whole chain: the geometry levels, then the cards, whose pictures
// `renderer` draws (an empty factory gives key-coloured pictures and
// levels without measured errors, which then give way at fixed sizes:
// a quarter, an eighth and a twentieth of the screen). `progress` (may be
// empty) is told the percentage done; a false answer cancels and the
// result is then empty. Exceptions of the callbacks pass through.
LodChain BuildLodChain(const MeshObject& tree, const LodChainOptions& options,
                       const LodRendererFactory& renderer, const BillboardProgress& progress = {});

// Where the lower levels of a chain go.
enum class LodLayout {
  kExtensionOnly,  // one file; its scene holds LOD0 alone, MSFT_lod's ids reach the others
  kGrouped,        // one file; every level under one root node (each visible to a plain reader)
  kFilePerLevel,   // one file per level, <stem>_LOD0.<ext>, <stem>_LOD1.<ext>, ...
};

// The chain as an export scene with the tree's pictures (`treePictures`,
// for leaves and bark) and each level's atlas.
ExportScene ChainScene(const LodChain& chain, const MaterialPictures& treePictures, double scale = 1.0,
                       LodLayout layout = LodLayout::kExtensionOnly);

// The files the chain is written to at `path` with `layout`: `path` itself,
// or for kFilePerLevel <stem>_LODn plus the extension of `path` beside it.
std::vector<std::string> ChainFileNames(const std::string& path, std::size_t levels, LodLayout layout);

// Writes the chain as `format` (glTF) to ChainFileNames(path, ...). Each
// file goes through a temporary file, so a failed write leaves what was
// there; with kFilePerLevel the levels written before a failure stay.
// `wind` sways every level of every file alike.
void WriteChain(ExportFormat format, const LodChain& chain, const MaterialPictures& treePictures,
                double scale, LodLayout layout, const std::string& path, const WindExport& wind = {});

}  // namespace vh
