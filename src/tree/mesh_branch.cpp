#include <algorithm>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "tree/branch.h"
#include "tree/shape_cache.h"
#include "tree/split_work.h"
#include "tree/tree.h"

namespace vh {

namespace {

const Vector3 kBarkColour{0.5f, 0.3f, 0.1f};

}  // namespace

void Tree::MeshBranch(Branch& branch) {
  if (pump) pump();
  if (cancelRequested) return;
  if (leafTemplate) GrowLeaves(branch);
  if (cancelRequested) return;

  const LevelParameters& level = params.levels[branch.level];
  const int qH = level.qualityHeight;
  const int qA = level.qualityAngle;
  const std::uint64_t vertexCount = static_cast<std::uint64_t>(qH + 1) * static_cast<std::uint64_t>(qA + 1);
  if (!ReserveGeometry(vertexCount)) return;

  if (!m_shapes) m_shapes = std::make_unique<ShapeCache>();
  const LevelShapes& shapes = m_shapes->For(level, branch.level);
  const bool textured = params.barkTextureLoaded;
  const int uScale = params.uScale, vScale = params.vScale;

  // Rings depend on the frames only, so large branches split them over two
  // cores; each ring writes its own slice of the vertex list.
  branch.vertices.resize(vertexCount);
  const auto meshRings = [&](int firstRing, int endRing) {
    for (int i = firstRing; i < endRing; ++i) {
      const RingShapes& ring = shapes.rings[i];
      const double g = BendWeight(level, static_cast<double>((i + 1.0L) / qH));
      const double gBelow = i == 0 ? g : BendWeight(level, static_cast<double>((i + 1 - 0.8L) / qH));
      const double gAbove = BendWeight(level, static_cast<double>((i + 1 + 0.8L) / qH));
      const RingFrame centre = PrepareRing(branch, ring.centre, RingPosition(i, qH), g);
      const RingFrame below = PrepareRing(branch, ring.below, BelowRingPosition(i, qH), gBelow);
      const RingFrame above = PrepareRing(branch, ring.above, AboveRingPosition(i, qH), gAbove);
      const float ringV = static_cast<float>(static_cast<Ext>(static_cast<float>(static_cast<Ext>(i) / qH + 1)) *
                                             branch.length * 0.01L * vScale * 0.1L);
      for (int j = 0; j <= qA; ++j) {
        const ColumnAngles& column = shapes.columns[j];
        Vertex& vertex = branch.vertices[static_cast<std::size_t>(i) * (qA + 1) + j];
        vertex.position = PointOnRing(centre, column.centre);
        if (textured) {
          vertex.colour = One;
          const float around = static_cast<float>(static_cast<Ext>(j) / qA + 1);
          vertex.texCoord = Vector2(static_cast<float>(uScale * static_cast<Ext>(around) * 0.1L), ringV);
          vertex.hasTexCoord = true;
        } else {
          vertex.colour = kBarkColour;
          vertex.hasColour = true;
        }
        const Vector3 left = PointOnRing(centre, column.left);
        const Vector3 right = PointOnRing(centre, column.right);
        const Vector3 down = PointOnRing(below, column.centre);
        const Vector3 up = PointOnRing(above, column.centre);
        vertex.normal = Normalized(Cross(right - left, up - down));
      }
    }
  };
  constexpr std::uint64_t kSplitThreshold = 200;  // smaller branches are not worth the hand-over
  if (vertexCount >= kSplitThreshold && m_splitWork) {
    m_splitWork->Run(qH + 1, meshRings);
  } else {
    meshRings(0, qH + 1);
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

namespace {

// Finds, for one point, the parent vertex at the smallest exact squared
// distance (the program's extended-precision rule rounded to float; the
// earliest in list order among equals; only distances below 1e7 count).
// Vertices are kept sorted by height so that a quick double-precision
// search looks at a narrow band only; every vertex that could tie with the
// smallest distance after rounding gets the exact test, in list order.
class NearestVertexFinder {
 public:
  explicit NearestVertexFinder(const std::vector<Vertex>& vertices) : m_vertices(vertices) {
    m_byHeight.reserve(vertices.size());
    for (std::size_t i = 0; i < vertices.size(); ++i) m_byHeight.push_back({vertices[i].position.y, i});
    std::sort(m_byHeight.begin(), m_byHeight.end(),
              [](const Entry& a, const Entry& b) { return a.y < b.y || (a.y == b.y && a.index < b.index); });
  }

  // The index of the nearest vertex, or none.
  std::optional<std::size_t> Find(const Vector3& c) {
    m_scanned.clear();
    double best = std::numeric_limits<double>::infinity();
    const auto start = std::lower_bound(m_byHeight.begin(), m_byHeight.end(), c.y,
                                        [](const Entry& e, float y) { return e.y < y; });
    const auto consider = [&](const Entry& e) {
      const double dy = static_cast<double>(e.y) - c.y;
      if (dy * dy > Widened(best)) return false;
      const Vector3& p = m_vertices[e.index].position;
      const double dx = static_cast<double>(p.x) - c.x, dz = static_cast<double>(p.z) - c.z;
      const double approximate = dx * dx + dy * dy + dz * dz;
      best = std::min(best, approximate);
      m_scanned.push_back({approximate, e.index});
      return true;
    };
    for (auto it = start; it != m_byHeight.end() && consider(*it); ++it) {
    }
    for (auto it = start; it != m_byHeight.begin() && consider(*(it - 1)); --it) {
    }

    m_candidates.clear();
    for (const Scanned& s : m_scanned)
      if (s.approximate <= Widened(best)) m_candidates.push_back(s.index);
    std::sort(m_candidates.begin(), m_candidates.end());
    float exactBest = 1e7f;
    std::optional<std::size_t> nearest;
    for (const std::size_t index : m_candidates) {
      const float distance = LengthSquared(c - m_vertices[index].position);
      if (distance < exactBest) {
        exactBest = distance;
        nearest = index;
      }
    }
    return nearest;
  }

 private:
  struct Entry {
    float y;
    std::size_t index;
  };
  struct Scanned {
    double approximate;
    std::size_t index;
  };

  // Float rounding of the exact distance moves it by far less than this.
  static double Widened(double distance) { return distance * (1.0 + 1e-5) + 1e-30; }

  const std::vector<Vertex>& m_vertices;
  std::vector<Entry> m_byHeight;
  std::vector<Scanned> m_scanned;
  std::vector<std::size_t> m_candidates;
};

}  // namespace

void Tree::WeldToParent(Branch& child, Branch& parent) {
  if (cancelRequested || child.vertices.empty()) return;
  const int qA = params.levels[child.level].qualityAngle;
  std::vector<std::pair<std::size_t, Vector3>> parentMoves;
  parentMoves.reserve(qA + 1);

  // The parent stays unchanged until every ring vertex has found its match.
  NearestVertexFinder finder(parent.vertices);
  for (int j = 0; j <= qA; ++j) {
    Vertex& ringVertex = child.vertices[j];
    const Vector3 c = ringVertex.position;
    const std::optional<std::size_t> nearest = finder.Find(c);
    if (!nearest) continue;
    const Vector3 p = parent.vertices[*nearest].position;
    ringVertex.position = 0.2f * c + 0.8f * p;
    parentMoves.emplace_back(*nearest, 0.8f * c + 0.2f * p);
  }
  child.vertices[qA].position = child.vertices[0].position;
  for (const auto& [index, position] : parentMoves) parent.vertices[index].position = position;
  // The parent may already have been drawn while the generation pumped
  // events: its drawing must follow the moved vertices.
  if (!parentMoves.empty()) ++parent.revision;
}

}  // namespace vh
