// Shared helpers for the generation tests.
#pragma once

#include <cmath>
#include <vector>

#include "tree/tree.h"

namespace vh::testing {

// A kite-shaped leaf outline in editor units (4 points, clockwise on screen).
inline std::vector<Vector2> KiteOutline() { return {{0, -40}, {20, -10}, {0, 30}, {-20, -10}}; }

inline void GiveLeaves(Tree& tree, std::vector<Vector2> outline = KiteOutline()) {
  tree.params.leafTexCoords.assign(outline.size(), Vector2(0.5f, 0.5f));
  tree.params.leafOutline = std::move(outline);
}

// All vertex positions of every submesh, in list order.
inline std::vector<Vector3> AllPositions(const MeshObject& mesh) {
  std::vector<Vector3> positions;
  for (const auto& submesh : mesh.submeshes)
    for (const Vertex& vertex : submesh->vertices) positions.push_back(vertex.position);
  return positions;
}

inline bool AllFinite(const MeshObject& mesh) {
  for (const auto& submesh : mesh.submeshes)
    for (const Vertex& v : submesh->vertices)
      for (float c : {v.position.x, v.position.y, v.position.z, v.normal.x, v.normal.y, v.normal.z})
        if (!std::isfinite(c)) return false;
  return true;
}

}  // namespace vh::testing
