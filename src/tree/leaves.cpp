#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <optional>
#include <vector>

#include "foundations/block_resource.h"
#include "tree/growth.h"

namespace vh {

namespace {

constexpr Ext kPi = 3.141592653589793L;
constexpr int kMaxEarClippingPasses = 10000;

// The angle of leaf column j; columns 0 and 5 both lie at angle 0 (2 pi).
double CellAngle(int j) { return static_cast<double>(static_cast<Ext>(j) * 2 * kPi / 5); }

Vector3 Lift(const Vector2& p) { return {p.x, 0.0f, p.y}; }

// The leaves of one branch and the memory of their lists, made and freed in
// one piece: a large tree has a hundred thousand leaves. Each leaf handed
// out shares the ownership of the whole group.
struct LeafGroup {
  LeafGroup(std::size_t count, std::size_t bytes) : memory(bytes), leaves(count) {}

  BlockResource memory;                        // outlives the leaves below
  std::vector<std::optional<Submesh>> leaves;  // made in place, numbered by the generation
};

// The block a group needs for its leaves' lists and names.
std::size_t LeafGroupBytes(std::size_t count, const Submesh& shape, const TreeParameters& params) {
  const std::size_t names = params.leafTextureFile.size() + 1 + params.materialPrefix.size() + 2;
  return count * (BlockResource::PieceBytes(shape.vertices.size(), sizeof(Vertex), alignof(Vertex)) +
                  BlockResource::PieceBytes(shape.triangles.size(), sizeof(Triangle), alignof(Triangle)) +
                  BlockResource::PieceBytes(names, 1, 1));
}

// X and Y lie strictly on the same side of the line U-W (points on the line
// count as outside).
bool SameSide(const Vector3& x, const Vector3& y, const Vector3& u, const Vector3& w) {
  const Vector3 edge = w - u;
  return Dot(Cross(edge, x - u), Cross(edge, y - u)) > 0.0001f;
}

bool InsideTriangle(const Vector3& x, const Vector3& k, const Vector3& m, const Vector3& q) {
  return SameSide(x, k, m, q) && SameSide(x, m, k, q) && SameSide(x, q, k, m);
}

// Ear clipping of the closed outline P (last point = copy of the first).
// Appends the ears to `triangles`; a self-crossing outline may keep some
// ears unclipped, and the pass limit ends the search.
void ClipEars(const std::vector<Vector2>& points, std::pmr::vector<Triangle>& triangles) {
  const int n = static_cast<int>(points.size());
  float area = 0.0f;  // signed, positive for a clockwise outline (x right, y up)
  for (int j = 1; j < n; ++j) {
    area = static_cast<float>(area + 0.5L * (static_cast<Ext>(points[j - 1].y) * points[j].x -
                                             static_cast<Ext>(points[j].y) * points[j - 1].x));
  }

  std::vector<bool> removed(n, false);
  int remaining = n;
  for (int pass = 0; remaining > 3 && pass < kMaxEarClippingPasses; ++pass) {
    int a = 0, b = 1, c = 2;
    while (c < n) {
      if (removed[a]) {
        ++a;
        if (a == b) ++b;
        if (c <= b) ++c;
        continue;
      }
      if (removed[b]) {
        ++b;
        if (c <= b) ++c;
        continue;
      }
      if (removed[c]) {
        ++c;
        continue;
      }
      const Vector3 k = Lift(points[a]), m = Lift(points[b]), q = Lift(points[c]);
      const float e = Cross(m - k, q - k).y;
      const bool convex = (e > 0 && area > 0) || (e < 0 && area < 0);
      bool ear = convex;
      for (int other = 0; ear && other < n; ++other) {
        if ((other < a || other > c) && !removed[other] && InsideTriangle(Lift(points[other]), k, m, q)) {
          ear = false;
        }
      }
      if (!ear) {
        a = b;
        b = c;
        ++c;
        continue;
      }
      removed[b] = true;
      triangles.push_back({static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(b),
                           static_cast<std::uint32_t>(c), true});
      --remaining;
    }
  }
}

}  // namespace

std::unique_ptr<Submesh> BuildLeafTemplate(const TreeParameters& params) {
  const std::vector<Vector2>& outline = params.leafOutline;
  if (outline.size() < 3) return nullptr;

  // The closed polygon repeats point 0 at its end. Built on a copy, so the
  // stored outline never changes (a document may hold fewer coordinates
  // than points; a missing coordinate counts as (0, 0)).
  std::vector<Vector2> points = outline;
  points.push_back(outline.front());
  std::vector<Vector2> texCoords(points.size());
  for (std::size_t i = 0; i < outline.size() && i < params.leafTexCoords.size(); ++i)
    texCoords[i] = params.leafTexCoords[i];
  texCoords.back() = texCoords.front();

  auto leafTemplate = std::make_unique<Submesh>(1u);
  ClipEars(points, leafTemplate->triangles);
  leafTemplate->vertices.reserve(points.size());
  for (std::size_t k = 0; k < points.size(); ++k) {
    Vertex vertex(Lift(points[k]));
    vertex.colour = One;
    vertex.texCoord = texCoords[k];
    leafTemplate->vertices.push_back(vertex);
  }
  return leafTemplate;
}

void GrowLeaves(const GrowthContext& context, BranchJob& job) {
  if (job.leafCells.empty()) return;
  const Branch& branch = *job.branch;
  const Submesh& shape = *context.leafTemplate;
  const TreeParameters& params = context.params;
  const LevelShapes& shapes = *job.shapes;
  const std::size_t vertexCount = shape.vertices.size();

  // The turn towards the branch's side is the same for every cell. The
  // clamp keeps acos defined when rotation rounding pushes |x| past 1.
  const float sideX = std::clamp(branch.sideA.x, -1.0f, 1.0f);
  const Quaternion towardsSide = FromAxisAngle(std::acos(static_cast<Ext>(sideX)), UnitY);

  // Every cell of a row shares one frame, and every branch the same six
  // column angles: evaluate them once instead of per cell.
  static const std::array<ColumnAngle, kLeafColumns> columnAngles = [] {
    std::array<ColumnAngle, kLeafColumns> angles;
    for (int j = 0; j < kLeafColumns; ++j) angles[j] = ColumnAngle(CellAngle(j));
    return angles;
  }();
  std::array<Quaternion, kLeafColumns> turns;
  std::array<bool, kLeafColumns> turned{};
  RingFrame row;
  int rowIndex = -1;

  const std::size_t count = job.leafCells.size();
  const auto group = std::make_shared<LeafGroup>(count, LeafGroupBytes(count, shape, params));
  job.leaves.resize(count);
  const float* shades = job.shades.data();
  for (std::size_t n = 0; n < job.leafCells.size(); ++n) {
    const LeafCell cell = job.leafCells[n];
    if (cell.row != rowIndex) {
      rowIndex = cell.row;
      row = PrepareRing(branch, shapes.leafRows[rowIndex], LeafRowPosition(rowIndex),
                        shapes.leafRowBends[rowIndex]);
    }
    if (!turned[cell.column]) {
      turned[cell.column] = true;
      turns[cell.column] =
          FromAxisAngle(static_cast<float>(CellAngle(cell.column)), branch.direction) * towardsSide;
    }
    const Vector3 attachment = PointOnRing(row, columnAngles[cell.column]);
    const Quaternion& turn = turns[cell.column];

    Submesh* const leaf =
        &group->leaves[n].emplace(job.firstLeafNumber + static_cast<unsigned>(n), &group->memory);
    leaf->triangles = shape.triangles;
    leaf->vertices.resize(vertexCount);
    for (std::size_t k = 0; k < vertexCount; ++k) {
      Vertex& vertex = leaf->vertices[k];
      vertex.position = Rotate(turn, shapes.leafPoints[k]) + attachment;
      vertex.texCoord = shape.vertices[k].texCoord;
      if (params.leafTextureLoaded) {
        vertex.colour = One;
        vertex.hasTexCoord = true;
      } else {
        vertex.colour = Vector3(0.19607843f, static_cast<float>(0.5254902L - 0.3L * shades[k]), 0.15686275f);
        vertex.hasColour = true;
      }
    }
    if (!params.leafTextureLoaded) shades += vertexCount;
    for (const Triangle& t : leaf->triangles) {
      const Vector3 normal = Normalized(Cross(leaf->vertices[t.c].position - leaf->vertices[t.a].position,
                                              leaf->vertices[t.b].position - leaf->vertices[t.a].position));
      leaf->vertices[t.a].normal = normal;
      leaf->vertices[t.b].normal = normal;
      leaf->vertices[t.c].normal = normal;
    }
    leaf->strip = false;
    leaf->texture = kLeafMaterial;
    leaf->textureFile = params.leafTextureFile;
    leaf->materialName.reserve(params.materialPrefix.size() + 1);  // grows no more below
    leaf->materialName = params.materialPrefix;
    leaf->materialName += '1';
    job.leaves[n] = std::shared_ptr<Submesh>(group, leaf);
  }
}

}  // namespace vh
