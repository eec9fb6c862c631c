#include "tree/branch_pick.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vh {

namespace {

struct Bounds {
  Vector3 low{std::numeric_limits<float>::infinity(), std::numeric_limits<float>::infinity(),
              std::numeric_limits<float>::infinity()};
  Vector3 high = -low;
};

Bounds BoundsOf(const Submesh& submesh) {
  Bounds b;
  for (const Vertex& v : submesh.vertices) {
    const Vector3& p = v.position;
    b.low = {std::min(b.low.x, p.x), std::min(b.low.y, p.y), std::min(b.low.z, p.z)};
    b.high = {std::max(b.high.x, p.x), std::max(b.high.y, p.y), std::max(b.high.z, p.z)};
  }
  return b;
}

// Where the ray enters the box (slab test); none when it misses it or
// enters it beyond `limit`.
bool EntersBefore(const Bounds& box, const Vector3& origin, const Vector3& direction, float limit) {
  float enter = 0.0f, leave = limit;
  const float o[3] = {origin.x, origin.y, origin.z};
  const float d[3] = {direction.x, direction.y, direction.z};
  const float low[3] = {box.low.x, box.low.y, box.low.z};
  const float high[3] = {box.high.x, box.high.y, box.high.z};
  for (int axis = 0; axis < 3; ++axis) {
    if (d[axis] == 0.0f) {
      if (o[axis] < low[axis] || o[axis] > high[axis]) return false;
      continue;
    }
    const float inverse = 1.0f / d[axis];
    float near = (low[axis] - o[axis]) * inverse;
    float far = (high[axis] - o[axis]) * inverse;
    if (near > far) std::swap(near, far);
    enter = std::max(enter, near);
    leave = std::min(leave, far);
    if (enter > leave) return false;
  }
  return true;
}

// Möller and Trumbore, "Fast, minimum storage ray/triangle intersection"
// (1997), from both sides: the distance along the ray, or none.
std::optional<float> Crossing(const Vector3& origin, const Vector3& direction, const Vector3& a,
                              const Vector3& b, const Vector3& c) {
  const Vector3 edge1 = b - a, edge2 = c - a;
  const Vector3 p = Cross(direction, edge2);
  const float determinant = Dot(edge1, p);
  if (std::fabs(determinant) < 1e-12f) return std::nullopt;  // parallel, or a sliver
  const float inverse = 1.0f / determinant;
  const Vector3 s = origin - a;
  const float u = Dot(s, p) * inverse;
  if (u < 0.0f || u > 1.0f) return std::nullopt;
  const Vector3 q = Cross(s, edge1);
  const float v = Dot(direction, q) * inverse;
  if (v < 0.0f || u + v > 1.0f) return std::nullopt;
  const float t = Dot(edge2, q) * inverse;
  if (!(t >= 0.0f)) return std::nullopt;
  return t;
}

}  // namespace

std::optional<BranchPick> PickBranch(const MeshObject& tree, const Vector3& origin,
                                     const Vector3& direction) {
  float best = std::numeric_limits<float>::infinity();
  std::optional<std::size_t> hit;
  for (std::size_t i = 0; i < tree.submeshes.size(); ++i) {
    const Submesh& submesh = *tree.submeshes[i];
    if (submesh.triangles.empty() || !EntersBefore(BoundsOf(submesh), origin, direction, best)) continue;
    const auto& vertices = submesh.vertices;
    for (const Triangle& triangle : submesh.triangles) {
      if (!triangle.visible) continue;
      if (std::max({triangle.a, triangle.b, triangle.c}) >= vertices.size()) continue;
      const std::optional<float> t = Crossing(origin, direction, vertices[triangle.a].position,
                                              vertices[triangle.b].position, vertices[triangle.c].position);
      if (t && *t < best) {
        best = *t;
        hit = i;
      }
    }
  }
  if (!hit) return std::nullopt;
  const BranchPlaces places = FindBranchPlaces(tree);
  const int branch = places.branchOf[*hit];
  if (branch < 0) return std::nullopt;
  return BranchPick{places.paths[static_cast<std::size_t>(branch)], *hit, best};
}

}  // namespace vh
