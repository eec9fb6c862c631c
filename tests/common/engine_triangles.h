// What the engine exports (glTF and the level-of-detail chain) write of a
// mesh, counted apart from the writer: triangles with an area as written
// (positions relative to the engine origin, times 0.01 x scale, as floats),
// leaves that repeat an earlier one counted once.
#pragma once

#include <array>
#include <cstdint>
#include <set>
#include <vector>

#include "fileio/export_common.h"
#include "tree/mesh.h"

namespace vh::test {

// Whether corners `a`, `b`, `c` (written floats) span an area, computed in
// double as a reader computes it.
inline bool SpansArea(const std::array<double, 3>& a, const std::array<double, 3>& b,
                      const std::array<double, 3>& c) {
  const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  const double v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
  const double x = u[1] * v[2] - u[2] * v[1], y = u[2] * v[0] - u[0] * v[2], z = u[0] * v[1] - u[1] * v[0];
  return x * x + y * y + z * z > 0.0;
}

// Whether triangle `t` of `submesh` has an area once written relative to
// `origin` at `scale`, as a glTF export writes the positions.
inline bool HasWrittenArea(const Submesh& submesh, const Triangle& t, const Vector3& origin, double scale) {
  const double factor = 0.01 * scale;
  const auto written = [&](std::uint32_t index) {
    const Vector3 relative = submesh.vertices[index].position - origin;
    return std::array<double, 3>{static_cast<float>(relative.x * factor),
                                 static_cast<float>(relative.y * factor),
                                 static_cast<float>(relative.z * factor)};
  };
  return SpansArea(written(t.a), written(t.b), written(t.c));
}

inline long EngineTriangles(const MeshObject& mesh, double scale = 1.0) {
  const Vector3 origin = EngineOrigin(mesh);
  long count = 0;
  std::set<std::vector<float>> leaves;
  for (const auto& submesh : mesh.submeshes) {
    if (submesh->texture == kLeafMaterial) {
      std::vector<float> key;
      for (const Vertex& v : submesh->vertices)
        key.insert(key.end(), {v.position.x, v.position.y, v.position.z});
      if (!leaves.insert(key).second) continue;
    }
    for (const Triangle& t : submesh->triangles) count += HasWrittenArea(*submesh, t, origin, scale);
  }
  return count;
}

}  // namespace vh::test
