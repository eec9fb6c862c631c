// What a glTF export leaves out of a mesh: triangles without area, leaves
// the generator made twice in one place, and the primitives these leave
// empty.
#pragma once

#include <vector>

#include "fileio/gltf_geometry.h"

namespace vh {

// Leaves out of `placement` its triangles without area: two corners in one
// place or three on a line, as exactly as the positions say.
void KeepTrianglesWithArea(GltfGeometry::Placement& placement);

// Empties the leaves that repeat an earlier leaf of the level exactly: a
// second copy in the same place draws nothing new.
void DropRepeatedLeaves(GltfGeometry::Placements& placements);

// Removes the primitives left without triangles (every triangle of their
// material lacked area); their placements write nothing and join the
// first primitive kept.
void DropEmptyPrimitives(std::vector<GltfPrimitive>& primitives, GltfGeometry::Placements& placements);

}  // namespace vh
