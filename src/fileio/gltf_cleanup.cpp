#include "fileio/gltf_cleanup.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <unordered_map>

namespace vh {

using Placement = GltfGeometry::Placement;
using Placements = GltfGeometry::Placements;

void KeepTrianglesWithArea(Placement& placement, const GltfPrimitive& primitive) {
  const std::span<const Vertex> vertices = placement.arrays.vertices;
  const std::span<const Triangle> triangles = placement.arrays.triangles;
  // Judged in double from the written floats, as a reader computes it.
  const auto hasArea = [&vertices, &primitive](const Triangle& t) {
    if (t.a >= vertices.size() || t.b >= vertices.size() || t.c >= vertices.size())
      return true;  // reported later
    const std::array<float, 3> a = PositionOf(vertices[t.a], primitive);
    const std::array<float, 3> b = PositionOf(vertices[t.b], primitive);
    const std::array<float, 3> c = PositionOf(vertices[t.c], primitive);
    double u[3], v[3];
    for (std::size_t k = 0; k < 3; ++k) {
      u[k] = static_cast<double>(b[k]) - a[k];
      v[k] = static_cast<double>(c[k]) - a[k];
    }
    const double x = u[1] * v[2] - u[2] * v[1];
    const double y = u[2] * v[0] - u[0] * v[2];
    const double z = u[0] * v[1] - u[1] * v[0];
    return x * x + y * y + z * z > 0.0;
  };
  const auto firstFlat = std::find_if_not(triangles.begin(), triangles.end(), hasArea);
  if (firstFlat == triangles.end()) return;
  placement.withArea.assign(triangles.begin(), firstFlat);
  for (auto t = firstFlat; t != triangles.end(); ++t)
    if (hasArea(*t)) placement.withArea.push_back(*t);
  placement.arrays.triangles = placement.withArea;
}

void DropRepeatedLeaves(Placements& placements) {
  std::unordered_multimap<std::uint64_t, const Placement*> seen;
  for (Placement& placement : placements) {
    if (placement.arrays.submesh->texture != kLeafMaterial || placement.arrays.triangles.empty()) continue;
    std::uint64_t key = placement.arrays.vertices.size();
    for (const Vertex& v : placement.arrays.vertices)
      for (float c : {v.position.x, v.position.y, v.position.z}) {
        std::uint32_t bits;
        std::memcpy(&bits, &c, sizeof bits);
        key = (key ^ bits) * 0x100000001B3ull;
      }
    const auto same = [&placement](const Placement* earlier) {
      const auto& a = earlier->arrays;
      const auto& b = placement.arrays;
      if (a.vertices.size() != b.vertices.size() || a.triangles.size() != b.triangles.size()) return false;
      for (std::size_t i = 0; i < a.vertices.size(); ++i)
        if (!(a.vertices[i].position == b.vertices[i].position)) return false;
      for (std::size_t i = 0; i < a.triangles.size(); ++i)
        if (a.triangles[i].a != b.triangles[i].a || a.triangles[i].b != b.triangles[i].b ||
            a.triangles[i].c != b.triangles[i].c)
          return false;
      return true;
    };
    const auto [begin, end] = seen.equal_range(key);
    if (std::any_of(begin, end, [&](const auto& entry) { return same(entry.second); })) {
      placement.arrays.triangles = {};
      continue;
    }
    seen.emplace(key, &placement);
  }
}

void DropEmptyPrimitives(std::vector<GltfPrimitive>& primitives, Placements& placements) {
  std::vector<std::uint32_t> renumber(primitives.size(), 0);
  std::uint32_t kept = 0;
  for (std::size_t i = 0; i < primitives.size(); ++i) {
    renumber[i] = kept;
    if (primitives[i].indexCount > 0) primitives[kept++] = primitives[i];
  }
  if (kept == primitives.size()) return;
  primitives.resize(kept);
  for (Placement& placement : placements) {
    if (placement.topology->indices.empty())
      placement.primitive = 0;
    else
      placement.primitive = renumber[placement.primitive];
  }
}

}  // namespace vh
