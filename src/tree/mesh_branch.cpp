// Branch meshing (rings of vertices around the surface, two triangles per
// cell) and the weld of a branch's base onto its parent.
#include <algorithm>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "tree/growth.h"

namespace vh {

void GrowLeaves(const GrowthContext& context, BranchJob& job);

namespace {

const Vector3 kBarkColour{0.5f, 0.3f, 0.1f};

// The offsets of one ring's columns at one frame. A loop of its own: each
// column is one long chain of extended-precision steps, and the processor
// runs the chains of consecutive columns side by side only in a small loop
// (measured: meshing took a fifth longer with the five points of a vertex
// and its vector arithmetic in one loop body).
void RingOffsets(const RingFrame& frame, const std::vector<ColumnAngles>& columns,
                 const ColumnAngle ColumnAngles::*angle, RingOffset* out) {
  if (SpreadsAreSmall(frame)) {
    for (const ColumnAngles& column : columns)
      *out++ = OffsetOnRing<SpreadRange::kSmall>(frame, column.*angle);
  } else {
    for (const ColumnAngles& column : columns) *out++ = OffsetOnRing(frame, column.*angle);
  }
}

// Fills rings [firstRing, endRing) of the branch's vertex list, which holds
// every ring already.
void MeshRings(const GrowthContext& context, const LevelShapes& shapes, Branch& branch, int firstRing,
               int endRing) {
  const int qH = branch.record.qualityHeight;
  const int qA = branch.record.qualityAngle;
  const bool textured = context.params.barkTextureLoaded;
  const int uScale = context.params.uScale, vScale = context.params.vScale;
  const std::size_t columns = static_cast<std::size_t>(qA) + 1;
  // The points a vertex and its normal need: itself, its neighbours around
  // the ring and the points just below and above it.
  std::vector<RingOffset> offsets(5 * columns);
  RingOffset* const centreOffsets = offsets.data();
  RingOffset* const leftOffsets = centreOffsets + columns;
  RingOffset* const rightOffsets = leftOffsets + columns;
  RingOffset* const downOffsets = rightOffsets + columns;
  RingOffset* const upOffsets = downOffsets + columns;
  // Per column, the surface's directions around and along the branch.
  std::vector<Vector3> aroundSurface(columns), alongSurface(columns);
  for (int i = firstRing; i < endRing; ++i) {
    const RingShapes& ring = shapes.rings[i];
    const RingFrame centre = PrepareRing(branch, ring.centre, RingPosition(i, qH), ring.bend);
    const RingFrame below = PrepareRing(branch, ring.below, BelowRingPosition(i, qH), ring.bendBelow);
    const RingFrame above = PrepareRing(branch, ring.above, AboveRingPosition(i, qH), ring.bendAbove);
    RingOffsets(centre, shapes.columns, &ColumnAngles::centre, centreOffsets);
    RingOffsets(centre, shapes.columns, &ColumnAngles::left, leftOffsets);
    RingOffsets(centre, shapes.columns, &ColumnAngles::right, rightOffsets);
    RingOffsets(below, shapes.columns, &ColumnAngles::centre, downOffsets);
    RingOffsets(above, shapes.columns, &ColumnAngles::centre, upOffsets);
    const float ringV =
        static_cast<float>(static_cast<Ext>(static_cast<float>(static_cast<Ext>(i) / qH + 1)) *
                           branch.length * 0.01L * vScale * 0.1L);
    Vertex* const ringVertices = branch.vertices.data() + static_cast<std::size_t>(i) * columns;
    Vertex* vertex = ringVertices;
    for (int j = 0; j <= qA; ++j, ++vertex) {
      vertex->position = PointAtOffset(centre, centreOffsets[j]);
      if (textured) {
        vertex->colour = One;
        const float around = static_cast<float>(static_cast<Ext>(j) / qA + 1);
        vertex->texCoord = Vector2(static_cast<float>(uScale * static_cast<Ext>(around) * 0.1L), ringV);
        vertex->hasTexCoord = true;
      } else {
        vertex->colour = kBarkColour;
        vertex->hasColour = true;
      }
      aroundSurface[j] = PointAtOffset(centre, rightOffsets[j]) - PointAtOffset(centre, leftOffsets[j]);
      alongSurface[j] = PointAtOffset(above, upOffsets[j]) - PointAtOffset(below, downOffsets[j]);
    }
    // The normals in a pass of their own, for the same reason as the offsets.
    for (std::size_t j = 0; j < columns; ++j)
      ringVertices[j].normal = Normalized(Cross(aroundSurface[j], alongSurface[j]));
  }
}

// Gives a branch its base ring alone, for a weld.
void MeshBaseRing(const GrowthContext& context, const LevelShapes& shapes, Branch& branch) {
  branch.vertices.resize(static_cast<std::size_t>(branch.record.qualityAngle) + 1);
  MeshRings(context, shapes, branch, 0, 1);
}

// Two triangles per cell, clockwise seen from outside, ordered so that the
// whole list also draws as one triangle strip.
void BuildTriangles(Branch& branch) {
  const std::uint32_t stride = static_cast<std::uint32_t>(branch.record.qualityAngle);
  const std::uint32_t cells = static_cast<std::uint32_t>(branch.record.qualityHeight) * (stride + 1);
  branch.triangles.resize(2 * static_cast<std::size_t>(cells));
  Triangle* triangle = branch.triangles.data();
  for (std::uint32_t k = 0; k < cells; ++k) {
    *triangle++ = {k, k + stride, k + stride + 1, true};
    *triangle++ = {k + stride + 1, k + 1, k, true};
  }
}

// Float rounding of the exact distance moves it by far less than this.
double Widened(double distance) { return distance * (1.0 + 1e-5) + 1e-30; }

bool ByHeight(float ay, std::uint32_t a, float by, std::uint32_t b) { return ay < by || (ay == by && a < b); }

}  // namespace

void RunMeshChunk(const GrowthContext& context, const MeshChunk& chunk) {
  BranchJob& job = *chunk.job;
  if (job.removed) {
    MeshBaseRing(context, *job.shapes, *job.branch);
    return;
  }
  if (chunk.first) {
    if (job.unedited && job.rings) MeshBaseRing(context, *job.shapes, *job.unedited);
    GrowLeaves(context, job);
    if (job.rings) {
      BuildTriangles(*job.branch);
      // A branch meshed in one piece gets its vertices here; one split
      // over several got them when it was laid out.
      if (job.branch->vertices.empty()) job.branch->vertices.resize(RingVertexCount(job.branch->record));
    }
  }
  if (chunk.ringBegin < chunk.ringEnd)
    MeshRings(context, *job.shapes, *job.branch, chunk.ringBegin, chunk.ringEnd);
}

// The parent's vertices are kept sorted by height so that a quick
// double-precision search looks at a narrow band only; every vertex that
// could tie with the smallest distance after rounding gets the exact test,
// in list order.
NearestVertexFinder::NearestVertexFinder(const std::pmr::vector<Vertex>& vertices) : m_vertices(vertices) {
  m_byHeight.reserve(vertices.size());
  for (std::size_t i = 0; i < vertices.size(); ++i)
    m_byHeight.push_back({vertices[i].position.y, static_cast<std::uint32_t>(i)});
  std::sort(m_byHeight.begin(), m_byHeight.end(),
            [](const Entry& a, const Entry& b) { return ByHeight(a.y, a.index, b.y, b.index); });
}

void NearestVertexFinder::Refresh() {
  for (Entry& entry : m_byHeight) entry.y = m_vertices[entry.index].position.y;
  // Insertion sort: a weld moves a few vertices a short way.
  for (std::size_t i = 1; i < m_byHeight.size(); ++i) {
    const Entry entry = m_byHeight[i];
    std::size_t j = i;
    for (; j > 0 && ByHeight(entry.y, entry.index, m_byHeight[j - 1].y, m_byHeight[j - 1].index); --j)
      m_byHeight[j] = m_byHeight[j - 1];
    m_byHeight[j] = entry;
  }
}

std::optional<std::size_t> NearestVertexFinder::Find(const Vector3& c) {
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
  for (const std::uint32_t index : m_candidates) {
    const float distance = LengthSquared(c - m_vertices[index].position);
    if (distance < exactBest) {
      exactBest = distance;
      nearest = index;
    }
  }
  return nearest;
}

void WeldToParent(Branch& child, Branch& parent, NearestVertexFinder& finder) {
  WeldToParent(&child, child, parent, finder);
}

void WeldToParent(Branch* child, const Branch& unedited, Branch& parent, NearestVertexFinder& finder) {
  if (unedited.vertices.empty()) return;
  const int qA = unedited.record.qualityAngle;
  std::vector<std::pair<std::size_t, Vector3>> parentMoves;
  parentMoves.reserve(qA + 1);

  // The parent stays unchanged until every ring vertex has found its match.
  // Without edits the child is the branch the parent meets, and its ring
  // moves as it is read.
  Branch* const same = child == &unedited ? child : nullptr;
  for (int j = 0; j <= qA; ++j) {
    const Vector3 c = unedited.vertices[j].position;
    const std::optional<std::size_t> nearest = finder.Find(c);
    if (!nearest) continue;
    const Vector3 p = parent.vertices[*nearest].position;
    if (same) same->vertices[j].position = 0.2f * c + 0.8f * p;
    parentMoves.emplace_back(*nearest, 0.8f * c + 0.2f * p);
  }
  if (child && !same && !child->vertices.empty()) {
    for (int j = 0; j <= qA; ++j) {
      Vertex& ringVertex = child->vertices[j];
      const Vector3 c = ringVertex.position;
      if (const std::optional<std::size_t> nearest = finder.Find(c))
        ringVertex.position = 0.2f * c + 0.8f * parent.vertices[*nearest].position;
    }
  }
  if (child && !child->vertices.empty()) child->vertices[qA].position = child->vertices[0].position;
  if (parentMoves.empty()) return;
  for (const auto& [index, position] : parentMoves) parent.vertices[index].position = position;
  finder.Refresh();
  // The parent may already have been drawn while the generation called
  // back: its drawing must follow the moved vertices.
  ++parent.revision;
}

}  // namespace vh
