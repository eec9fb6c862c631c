#include "billboard/leaf_simplification.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace vh {
namespace {

struct Point2 {
  double x = 0.0, y = 0.0;
};

double Cross2(const Point2& o, const Point2& a, const Point2& b) {
  return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// The outline's corners: every vertex but a last one repeating the first.
std::size_t Corners(const Submesh& leaf) {
  const std::size_t n = leaf.vertices.size();
  if (n > 1 && leaf.vertices.back().position == leaf.vertices.front().position) return n - 1;
  return n;
}

// The leaf's facing: the sum of its triangles' cross products.
Vector3 Facing(const Submesh& leaf) {
  Vector3 sum;
  for (const Triangle& t : leaf.triangles) {
    const Vector3& a = leaf.vertices[t.a].position;
    sum += Cross(leaf.vertices[t.b].position - a, leaf.vertices[t.c].position - a);
  }
  return sum;
}

double Area(const Submesh& leaf) {
  double area = 0.0;
  for (const Triangle& t : leaf.triangles) {
    const Vector3& a = leaf.vertices[t.a].position;
    area += std::sqrt(static_cast<double>(
        LengthSquared(Cross(leaf.vertices[t.b].position - a, leaf.vertices[t.c].position - a))));
  }
  return area / 2.0;
}

// Ear clipping of a simple polygon given counter-clockwise; triangles over
// positions in `polygon`, counter-clockwise too.
std::vector<Triangle> ClipEars(const std::vector<Point2>& polygon) {
  std::vector<std::uint32_t> open(polygon.size());
  std::iota(open.begin(), open.end(), 0u);
  std::vector<Triangle> triangles;
  while (open.size() > 3) {
    bool clipped = false;
    for (std::size_t i = 0; i < open.size() && !clipped; ++i) {
      const std::uint32_t a = open[(i + open.size() - 1) % open.size()], b = open[i],
                          c = open[(i + 1) % open.size()];
      if (Cross2(polygon[a], polygon[b], polygon[c]) <= 0.0) continue;  // reflex or flat
      bool ear = true;
      for (std::uint32_t other : open) {
        if (other == a || other == b || other == c) continue;
        if (Cross2(polygon[a], polygon[b], polygon[other]) >= 0 &&
            Cross2(polygon[b], polygon[c], polygon[other]) >= 0 &&
            Cross2(polygon[c], polygon[a], polygon[other]) >= 0)
          ear = false;
      }
      if (!ear) continue;
      triangles.push_back({a, b, c, true});
      open.erase(open.begin() + static_cast<std::ptrdiff_t>(i));
      clipped = true;
    }
    if (!clipped) break;  // no ear left (a self-touching outline): fan what remains
  }
  for (std::size_t i = 1; i + 1 < open.size(); ++i)
    triangles.push_back({open[0], open[i], open[i + 1], true});
  return triangles;
}

}  // namespace

std::size_t LeafCorners(const Submesh& leaf) { return Corners(leaf); }

LeafPlan PlanLeafCorners(const Submesh& leaf, std::size_t corners) {
  LeafPlan plan;
  plan.vertexCount = leaf.vertices.size();
  plan.sourceTriangles.assign(leaf.triangles.begin(), leaf.triangles.end());
  const std::size_t n = Corners(leaf);
  plan.kept.resize(n);
  std::iota(plan.kept.begin(), plan.kept.end(), 0u);
  corners = std::max<std::size_t>(corners, 3);

  const auto position = [&leaf](std::uint32_t i) { return leaf.vertices[i].position; };
  const auto weight = [&](std::size_t at) {
    const std::size_t count = plan.kept.size();
    const Vector3 previous = position(plan.kept[(at + count - 1) % count]), here = position(plan.kept[at]),
                  next = position(plan.kept[(at + 1) % count]);
    return LengthSquared(Cross(previous - here, next - here));
  };
  while (plan.kept.size() > corners) {
    std::size_t least = 0;
    float leastWeight = weight(0);
    for (std::size_t at = 1; at < plan.kept.size(); ++at) {
      const float w = weight(at);
      if (w < leastWeight) {
        leastWeight = w;
        least = at;
      }
    }
    plan.kept.erase(plan.kept.begin() + static_cast<std::ptrdiff_t>(least));
  }

  // The corners in the leaf's own plane, counter-clockwise about its facing.
  const Vector3 facing = Normalized(Facing(leaf));
  Vector3 across = position(plan.kept[1 % plan.kept.size()]) - position(plan.kept[0]);
  across = Normalized(across - facing * Dot(across, facing));
  const Vector3 up = Cross(facing, across);
  std::vector<Point2> polygon;
  for (std::uint32_t i : plan.kept) {
    const Vector3 p = position(i) - position(plan.kept[0]);
    polygon.push_back({Dot(p, across), Dot(p, up)});
  }
  double signedArea = 0.0;
  for (std::size_t i = 0; i < polygon.size(); ++i) {
    const Point2& a = polygon[i];
    const Point2& b = polygon[(i + 1) % polygon.size()];
    signedArea += a.x * b.y - b.x * a.y;
  }
  const bool reversed = signedArea < 0.0;
  if (reversed) std::reverse(polygon.begin(), polygon.end());
  plan.triangles = ClipEars(polygon);
  const auto last = static_cast<std::uint32_t>(polygon.size() - 1);
  // The triangles turn counter-clockwise about the facing, as the leaf's
  // own do (their cross products sum up to it); numbering the reversed
  // corners back does not change how they turn.
  if (reversed)
    for (Triangle& t : plan.triangles) t = {last - t.a, last - t.b, last - t.c, true};
  return plan;
}

bool PlanFits(const LeafPlan& plan, const Submesh& leaf) {
  if (leaf.vertices.size() != plan.vertexCount || leaf.triangles.size() != plan.sourceTriangles.size())
    return false;
  for (std::size_t i = 0; i < leaf.triangles.size(); ++i) {
    const Triangle& a = leaf.triangles[i];
    const Triangle& b = plan.sourceTriangles[i];
    if (a.a != b.a || a.b != b.b || a.c != b.c) return false;
  }
  return true;
}

std::shared_ptr<Submesh> SimplifiedLeaf(const Submesh& leaf, const LeafPlan& plan, double areaFactor) {
  // The same leaf, coarser: it keeps its object number, by which the wind
  // finds the branch it hangs on.
  auto simplified = std::make_shared<Submesh>(leaf.displayList);
  simplified->texture = leaf.texture;
  simplified->textureFile = leaf.textureFile;
  simplified->materialName = leaf.materialName;
  simplified->strip = false;
  for (std::uint32_t i : plan.kept) simplified->vertices.push_back(leaf.vertices[i]);
  simplified->triangles.assign(plan.triangles.begin(), plan.triangles.end());
  if (simplified->vertices.empty()) return simplified;
  const double area = Area(*simplified);
  if (!(area > 0.0)) return simplified;
  const auto growth = static_cast<float>(std::sqrt(Area(leaf) * areaFactor / area));
  Vector3 centre;
  for (const Vertex& v : simplified->vertices) centre += v.position;
  centre = centre * (1.0f / static_cast<float>(simplified->vertices.size()));
  for (Vertex& v : simplified->vertices) v.position = centre + (v.position - centre) * growth;
  return simplified;
}

}  // namespace vh
