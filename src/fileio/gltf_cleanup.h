// What a glTF export leaves out of a mesh: triangles without area, leaves
// the generator made twice in one place, and the primitives these leave
// empty.
#pragma once

#include <vector>

#include "fileio/gltf_geometry.h"

namespace vh {

// Leaves out of `placement` its triangles without area as written in
// `primitive`: two corners in one place or three on a line once the
// positions are scaled and rounded to floats (corners apart in the scene
// can meet there).
void KeepTrianglesWithArea(GltfGeometry::Placement& placement, const GltfPrimitive& primitive);

// Empties the leaves that repeat an earlier leaf of the level exactly: a
// second copy in the same place draws nothing new.
void DropRepeatedLeaves(GltfGeometry::Placements& placements);

// Removes the primitives left without triangles (every triangle of their
// material lacked area); their placements write nothing and join the
// first primitive kept.
void DropEmptyPrimitives(std::vector<GltfPrimitive>& primitives, GltfGeometry::Placements& placements);

}  // namespace vh
