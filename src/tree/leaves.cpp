#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "tree/branch.h"
#include "tree/shape_cache.h"
#include "tree/tree.h"

namespace vh {

namespace {

constexpr Ext kPi = 3.141592653589793L;
constexpr int kMaxEarClippingPasses = 10000;
constexpr int kLeafRows = 10;
constexpr int kLeafColumns = 6;

// The angle of leaf column j; columns 0 and 5 both lie at angle 0 (2 pi).
double CellAngle(int j) { return static_cast<double>(static_cast<Ext>(j) * 2 * kPi / 5); }

Vector3 Lift(const Vector2& p) { return {p.x, 0.0f, p.y}; }

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
void ClipEars(const std::vector<Vector2>& points, std::vector<Triangle>& triangles) {
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

void Tree::BuildLeafTemplate() {
  leafTemplate.reset();
  const std::vector<Vector2>& outline = params.leafOutline;
  if (!showLeaves || outline.size() < 3) return;

  // The closed polygon repeats point 0 at its end. Built on a copy, so the
  // stored outline never changes (a document may hold fewer coordinates
  // than points; a missing coordinate counts as (0, 0)).
  std::vector<Vector2> points = outline;
  points.push_back(outline.front());
  std::vector<Vector2> texCoords(points.size());
  for (std::size_t i = 0; i < outline.size() && i < params.leafTexCoords.size(); ++i) texCoords[i] = params.leafTexCoords[i];
  texCoords.back() = texCoords.front();

  leafTemplate = std::make_unique<Submesh>();
  ClipEars(points, leafTemplate->triangles);
  leafTemplate->vertices.reserve(points.size());
  for (std::size_t k = 0; k < points.size(); ++k) {
    Vertex vertex(Lift(points[k]));
    vertex.colour = One;
    vertex.texCoord = texCoords[k];
    leafTemplate->vertices.push_back(vertex);
  }
}

void Tree::GrowLeaves(Branch& branch) {
  const Submesh& shape = *leafTemplate;
  const LevelParameters& level = params.levels[branch.level];
  const std::size_t vertexCount = shape.vertices.size();
  const float scale = static_cast<float>(level.leafScaling * 0.001L);
  const Ext probability = (level.leafDensity - 1) * 0.01L;
  const bool skipTrunk = params.noLeavesOnTrunk && branch.level == 0;

  // The turn towards the branch's side is the same for every cell. The
  // clamp keeps acos defined when rotation rounding pushes |x| past 1.
  const float sideX = std::clamp(branch.sideA.x, -1.0f, 1.0f);
  const Quaternion towardsSide = FromAxisAngle(std::acos(static_cast<Ext>(sideX)), UnitY);

  // Every cell of a row shares one frame, and every branch the same six
  // column angles: evaluate them once instead of per cell.
  static const std::array<ColumnAngle, kLeafColumns> columnAngles = [] {
    std::array<ColumnAngle, kLeafColumns> angles{ColumnAngle(0), ColumnAngle(0), ColumnAngle(0),
                                                 ColumnAngle(0), ColumnAngle(0), ColumnAngle(0)};
    for (int j = 0; j < kLeafColumns; ++j) angles[j] = ColumnAngle(CellAngle(j));
    return angles;
  }();
  std::array<Quaternion, kLeafColumns> turns;
  for (int j = 0; j < kLeafColumns; ++j)
    turns[j] = FromAxisAngle(static_cast<float>(CellAngle(j)), branch.direction) * towardsSide;

  if (!m_shapes) m_shapes = std::make_unique<ShapeCache>();
  const std::vector<RingShape>& rowShapes = m_shapes->For(params.levels[branch.level], branch.level).leafRows;
  std::vector<float> shades(vertexCount);
  for (int i = 0; i < kLeafRows; ++i) {
    const double g = BendWeight(level, static_cast<double>((i + 1.0L) / 9));
    const RingFrame row = PrepareRing(branch, rowShapes[i], static_cast<double>(static_cast<Ext>(i) / 9), g);
    for (int j = 0; j < kLeafColumns; ++j) {
      const Vector3 attachment = PointOnRing(row, columnAngles[j]);
      for (float& shade : shades) shade = static_cast<float>(leafRandom.NextReal());
      const double draw = leafRandom.NextReal();
      if (!(probability > draw) || skipTrunk) continue;
      if (!ReserveGeometry(vertexCount)) return;

      auto leaf = std::make_shared<Submesh>();
      leaf->triangles = shape.triangles;
      const Quaternion& turn = turns[j];
      leaf->vertices.reserve(vertexCount);
      for (std::size_t k = 0; k < vertexCount; ++k) {
        const Vertex& source = shape.vertices[k];
        Vector3 p = source.position * scale;
        // Bend: the mid-line hangs one unit below the attachment point and
        // the sides curve down with the square of their distance from it.
        p.y = static_cast<float>(-std::exp((static_cast<Ext>(p.x) * p.x + static_cast<Ext>(p.y) * p.y) *
                                           params.leafBending * 0.0005L));
        Vertex vertex(Rotate(turn, p) + attachment);
        vertex.texCoord = source.texCoord;
        if (params.leafTextureLoaded) {
          vertex.colour = One;
          vertex.hasTexCoord = true;
        } else {
          vertex.colour = Vector3(0.19607843f, static_cast<float>(0.5254902L - 0.3L * shades[k]), 0.15686275f);
          vertex.hasColour = true;
        }
        leaf->vertices.push_back(vertex);
      }
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
      leaf->materialName = params.materialPrefix + "1";
      ++leafCount;
      submeshes.push_back(std::move(leaf));
    }
  }
}

}  // namespace vh
