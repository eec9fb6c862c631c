// Leaves with fewer corners for the reduced levels of detail. A tree's
// leaves are copies of one outline (the leaf editor's polygon, ear-clipped
// into triangles), so the corners to keep and their triangles are worked
// out once, on one leaf, and applied to every leaf of that outline.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "tree/mesh.h"

namespace vh {

// Which corners of a leaf stay and how they are joined.
struct LeafPlan {
  std::size_t vertexCount = 0;            // of the leaves the plan fits
  std::vector<Triangle> sourceTriangles;  // the triangles those leaves have (they must match too)
  std::vector<std::uint32_t> kept;        // the corners kept, in outline order
  std::vector<Triangle> triangles;        // over indices into `kept`, turning as the leaf's own
};

// The plan keeping `corners` (at least 3) of the outline of `leaf`, whose
// vertices are its outline in order (a last vertex repeating the first is
// not a corner). Corners go one by one, the one whose removal changes the
// outline's area least first (Visvalingam's rule), so that the leaf keeps
// its shape. Asking for as many corners as the leaf has, or more, keeps
// them all.
LeafPlan PlanLeafCorners(const Submesh& leaf, std::size_t corners);

// The number of corners of the outline of `leaf`.
std::size_t LeafCorners(const Submesh& leaf);

// Whether `plan` fits `leaf`: the same number of vertices and the same
// triangles as the leaf it was made from.
bool PlanFits(const LeafPlan& plan, const Submesh& leaf);

// `leaf` with the corners of `plan` only, grown about the centre of its
// corners so that it covers its own area times `areaFactor` (>= 1 when
// leaves are also left out, so that those kept cover for them). Material,
// names and texture coordinates stay.
std::shared_ptr<Submesh> SimplifiedLeaf(const Submesh& leaf, const LeafPlan& plan, double areaFactor);

}  // namespace vh
