#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

#include "tree/branch.h"
#include "tree/tree.h"

namespace vh {

namespace {

constexpr Ext kPi = 3.141592653589793L;
const Vector3 kBarkColour{0.5f, 0.3f, 0.1f};

// The three frames a ring needs: its own, and the ones just below and above
// it from which the vertex normals are taken.
struct RingFrames {
  RingFrame centre, below, above;
};

RingFrames PrepareRingFrames(Branch& branch, const LevelParameters& level, int i) {
  const int qH = level.qualityHeight;
  const double g = BendWeight(level, static_cast<double>((i + 1.0L) / qH));
  const double gBelow = BendWeight(level, static_cast<double>((i + 1 - 0.8L) / qH));
  const double gAbove = BendWeight(level, static_cast<double>((i + 1 + 0.8L) / qH));
  RingFrames frames;
  frames.centre = PrepareRing(branch, static_cast<double>(static_cast<Ext>(i) / qH), g);
  frames.below = i == 0 ? PrepareRing(branch, 0.0, g)
                        : PrepareRing(branch, static_cast<double>((i - 0.8L) / qH), gBelow);
  frames.above = PrepareRing(branch, static_cast<double>((i + 0.8L) / qH), gAbove);
  return frames;
}

// The angles of one column and of its two neighbours 0.2 steps away.
struct ColumnAngles {
  ColumnAngle centre, left, right;
  ColumnAngles(int j, int qA)
      : centre(static_cast<double>(static_cast<Ext>(j) * 2 * kPi / qA)),
        left(static_cast<double>((j - 0.2L) * 2 * kPi / qA)),
        right(static_cast<double>((j + 0.2L) * 2 * kPi / qA)) {}
};

}  // namespace

void Tree::MeshBranch(Branch& branch) {
  if (pump) pump();
  if (cancelRequested) return;
  if (leafTemplate) GrowLeaves(branch);
  if (cancelRequested) return;

  LevelParameters& level = params.levels[branch.level];
  const int qH = level.qualityHeight;
  const int qA = level.qualityAngle;
  const std::uint64_t vertexCount = static_cast<std::uint64_t>(qH + 1) * static_cast<std::uint64_t>(qA + 1);
  if (!ReserveGeometry(vertexCount)) return;

  // The angle terms are the same on every ring: compute them once.
  std::vector<ColumnAngles> columns;
  columns.reserve(qA + 1);
  for (int j = 0; j <= qA; ++j) columns.emplace_back(j, qA);

  branch.vertices.reserve(vertexCount);
  for (int i = 0; i <= qH; ++i) {
    const RingFrames frames = PrepareRingFrames(branch, level, i);
    const float ringV = static_cast<float>(static_cast<Ext>(static_cast<float>(static_cast<Ext>(i) / qH + 1)) *
                                           branch.length * 0.01L * params.vScale * 0.1L);
    for (int j = 0; j <= qA; ++j) {
      const ColumnAngles& column = columns[j];
      Vertex vertex(PointOnRing(frames.centre, column.centre));
      if (params.barkTextureLoaded) {
        vertex.colour = One;
        const float around = static_cast<float>(static_cast<Ext>(j) / qA + 1);
        vertex.texCoord = Vector2(static_cast<float>(params.uScale * static_cast<Ext>(around) * 0.1L), ringV);
        vertex.hasTexCoord = true;
      } else {
        vertex.colour = kBarkColour;
        vertex.hasColour = true;
      }
      const Vector3 left = PointOnRing(frames.centre, column.left);
      const Vector3 right = PointOnRing(frames.centre, column.right);
      const Vector3 below = PointOnRing(frames.below, column.centre);
      const Vector3 above = PointOnRing(frames.above, column.centre);
      vertex.normal = Normalized(Cross(right - left, above - below));
      branch.vertices.push_back(vertex);
    }
  }

  // Two triangles per cell, clockwise seen from outside, ordered so that the
  // whole list also draws as one triangle strip.
  const std::uint32_t stride = static_cast<std::uint32_t>(qA);
  const std::uint32_t cells = static_cast<std::uint32_t>(qH) * (stride + 1);
  branch.triangles.reserve(2 * static_cast<std::size_t>(cells));
  for (std::uint32_t k = 0; k < cells; ++k) {
    branch.triangles.push_back({k, k + stride, k + stride + 1, true});
    branch.triangles.push_back({k + stride + 1, k + 1, k, true});
  }
}

void Tree::WeldToParent(Branch& child, Branch& parent) {
  if (cancelRequested || child.vertices.empty()) return;
  const int qA = params.levels[child.level].qualityAngle;
  std::vector<std::pair<std::size_t, Vector3>> parentMoves;
  parentMoves.reserve(qA + 1);

  // The nearest parent vertex is decided by the exact squared distance (the
  // program's extended-precision rule, rounded to float; the earliest wins
  // among equals). A quick double-precision pass over all parent vertices
  // finds the few that can be nearest; only those get the exact test.
  const std::size_t count = parent.vertices.size();
  std::vector<float> px(count), py(count), pz(count);
  for (std::size_t p = 0; p < count; ++p) {
    px[p] = parent.vertices[p].position.x;
    py[p] = parent.vertices[p].position.y;
    pz[p] = parent.vertices[p].position.z;
  }
  std::vector<double> approximate(count);

  for (int j = 0; j <= qA; ++j) {
    Vertex& ringVertex = child.vertices[j];
    const Vector3 c = ringVertex.position;
    double nearestApproximate = std::numeric_limits<double>::infinity();
    for (std::size_t p = 0; p < count; ++p) {
      const double dx = c.x - px[p], dy = c.y - py[p], dz = c.z - pz[p];
      approximate[p] = dx * dx + dy * dy + dz * dz;
      nearestApproximate = std::min(nearestApproximate, approximate[p]);
    }
    // Wide enough to hold every vertex whose exact float distance can equal
    // the smallest one.
    const double candidateLimit = nearestApproximate * (1.0 + 1e-5) + 1e-30;
    float best = 1e7f;
    std::size_t nearest = std::numeric_limits<std::size_t>::max();
    for (std::size_t p = 0; p < count; ++p) {
      if (approximate[p] > candidateLimit) continue;
      const float distance = LengthSquared(c - parent.vertices[p].position);
      if (distance < best) {
        best = distance;
        nearest = p;
      }
    }
    if (nearest == std::numeric_limits<std::size_t>::max()) continue;
    const Vector3 p = parent.vertices[nearest].position;
    ringVertex.position = 0.2f * c + 0.8f * p;
    parentMoves.emplace_back(nearest, 0.8f * c + 0.2f * p);
  }
  child.vertices[qA].position = child.vertices[0].position;
  for (const auto& [index, position] : parentMoves) parent.vertices[index].position = position;
}

}  // namespace vh
