// What an export writes: one mesh, or a chain of levels of detail, with the
// pictures its materials use. The formats that cannot carry pictures or a
// chain (OBJ, DXF, 3DS) write the first level's mesh and nothing else.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "foundations/image.h"
#include "tree/mesh.h"
#include "tree/wind_settings.h"

namespace vh {

// The pictures of the three materials, by material number; null (or an
// empty picture) where there is none.
struct MaterialPictures {
  const Image* leaf = nullptr;  // material 1
  const Image* bark = nullptr;  // material 2
  // Materials 3 and 4 (billboards, cards): the level's atlas, RGB, and its
  // transparency, white opaque and black transparent.
  const Image* billboardColour = nullptr;
  const Image* billboardTransparency = nullptr;
};

struct ExportLevel {
  const MeshObject* mesh = nullptr;
  MaterialPictures pictures;
  // The fraction of the screen's height below which a viewer should switch
  // to the next level (the last level's: below which nothing is drawn).
  double screenCoverage = 0.0;
};

// The tree's sway in a glTF export (see docs/wind.md). The other formats
// carry no animation and ignore it.
struct WindExport {
  // A skin (a joint for the ground, the trunk and the first levels of
  // branches), a looping animation "Wind", and the _WIND and _PIVOT
  // attributes for engines' shaders. Needs a grown tree (its branches): the
  // first level, or `grownTree`. Off: the file is exactly as without wind.
  bool enabled = false;
  // The grown tree whose branches carry the joints, when the scene's first
  // level is not it (a file of a chain's lower level alone, which sways as
  // that level does in a file of the whole chain); null: the first level.
  const MeshObject* grownTree = nullptr;
  // The motion; its own `enabled` is not looked at.
  WindSettings settings;
  // Copies of the shader values in the vertex-colour (COLOR_0) and second
  // texture-coordinate (TEXCOORD_1) conventions of engines' foliage
  // shaders. Off by default: viewers take a vertex colour as a tint.
  bool engineCopies = false;
};

// The wind export of a document whose wind settings are `settings`: on,
// swaying as the document's wind does (the default wind while the
// document's is off). The tool's --wind, the Python module's wind=True and
// the desktop program's export dialog all write through this, so that they
// write the same file.
inline WindExport SwayingExport(const WindSettings& settings, bool engineCopies = false) {
  WindExport wind;
  wind.enabled = true;
  wind.settings = settings;
  wind.engineCopies = engineCopies;
  return wind;
}

struct ExportScene {
  std::vector<ExportLevel> levels;  // finest first; one for a plain export
  // Scene units times 0.01 times `scale` give the written coordinates, so
  // that scale 1 writes the numbers of the OBJ export.
  double scale = 1.0;
  // The scene point glTF writes as (0, 0, 0). Unset: EngineOrigin of the
  // first level's mesh, the centre of the trunk's base. Exports of a
  // billboard cloud set their tree's, so that a tree and its billboards
  // stand in the same place. OBJ, DXF and 3DS keep their own rule (the
  // first vertex) whatever this says.
  std::optional<Vector3> origin;
  // A chain's scene holds its finest level alone and MSFT_lod's ids reach
  // the others, so that a reader without the extension shows one tree (as
  // the extension asks). With this set, every level is put under one root
  // node in the scene instead, for tools that gather levels by their names.
  bool allLevelsInScene = false;
  // Names the nodes ("<name>", "<name>_LOD0", ...); empty: the file's name
  // without its directory and extension.
  std::string name;
  WindExport wind;
};

// A scene of one level: `mesh` with `pictures`.
inline ExportScene SingleMeshScene(const MeshObject& mesh, const MaterialPictures& pictures = {},
                                   double scale = 1.0) {
  ExportScene scene;
  scene.levels.push_back(ExportLevel{&mesh, pictures, 0.0});
  scene.scale = scale;
  return scene;
}

}  // namespace vh
