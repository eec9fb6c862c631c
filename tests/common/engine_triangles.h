// What the engine exports (glTF and the level-of-detail chain) write of a
// mesh, counted apart from the writer: triangles with an area, leaves that
// repeat an earlier one counted once.
#pragma once

#include <set>
#include <vector>

#include "tree/mesh.h"

namespace vh::test {

inline long EngineTriangles(const MeshObject& mesh) {
  long count = 0;
  std::set<std::vector<float>> leaves;
  for (const auto& submesh : mesh.submeshes) {
    if (submesh->texture == kLeafMaterial) {
      std::vector<float> key;
      for (const Vertex& v : submesh->vertices)
        key.insert(key.end(), {v.position.x, v.position.y, v.position.z});
      if (!leaves.insert(key).second) continue;
    }
    for (const Triangle& t : submesh->triangles) {
      const Vector3& a = submesh->vertices[t.a].position;
      count += LengthSquared(
                   Cross(submesh->vertices[t.b].position - a, submesh->vertices[t.c].position - a)) > 0.0f;
    }
  }
  return count;
}

}  // namespace vh::test
