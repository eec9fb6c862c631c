// Picking: which branch of a grown tree lies under a ray (the pointer's
// line of sight), a leaf picking the branch that carries it.
#pragma once

#include <optional>

#include "foundations/vector3.h"
#include "tree/branch_places.h"
#include "tree/mesh.h"

namespace vh {

struct BranchPick {
  BranchPath branch;        // the place of the branch hit (or carrying the leaf hit)
  std::size_t submesh = 0;  // list index of the submesh hit
  float distance = 0.0f;    // along the ray, in units of |direction|
};

// The nearest visible triangle the ray origin + s direction (s >= 0)
// crosses, from either side, and the branch it belongs to; none when the
// ray meets nothing that belongs to a branch. `direction` need not be unit
// length but must not be zero. Each submesh's bounds are tested before its
// triangles, so a ray costs one pass over the vertices and the triangles
// of the few submeshes it passes through.
std::optional<BranchPick> PickBranch(const MeshObject& tree, const Vector3& origin, const Vector3& direction);

}  // namespace vh
