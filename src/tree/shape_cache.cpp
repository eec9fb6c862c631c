#include "tree/shape_cache.h"

#include <algorithm>
#include <cmath>

namespace vh {

namespace {

constexpr Ext kPi = 3.141592653589793L;
// ln 1e6: a leaf's point hangs at most a million units below its attachment.
constexpr Ext kDeepestLeafHangExponent = 13.815510557964274L;

}  // namespace

double RingPosition(int i, int qH) { return static_cast<double>(static_cast<Ext>(i) / qH); }
double BelowRingPosition(int i, int qH) { return i == 0 ? 0.0 : static_cast<double>((i - 0.8L) / qH); }
double AboveRingPosition(int i, int qH) { return static_cast<double>((i + 0.8L) / qH); }
double LeafRowPosition(int i) { return static_cast<double>(static_cast<Ext>(i) / 9); }

const LevelShapes& ShapeCache::For(const LevelParameters& level, int index, const Submesh* leafTemplate,
                                   int leafBending) {
  LevelShapes& shapes = levels[index];
  if (shapes.ready) return shapes;
  const int qH = level.qualityHeight;
  const int qA = level.qualityAngle;
  shapes.rings.resize(qH + 1);
  for (int i = 0; i <= qH; ++i) {
    RingShapes& ring = shapes.rings[i];
    ring.centre = PrepareRingShape(level, RingPosition(i, qH));
    ring.below = PrepareRingShape(level, BelowRingPosition(i, qH));
    ring.above = PrepareRingShape(level, AboveRingPosition(i, qH));
    ring.bend = BendWeight(level, static_cast<double>((i + 1.0L) / qH));
    ring.bendBelow = i == 0 ? ring.bend : BendWeight(level, static_cast<double>((i + 1 - 0.8L) / qH));
    ring.bendAbove = BendWeight(level, static_cast<double>((i + 1 + 0.8L) / qH));
  }
  shapes.columns.resize(qA + 1);
  for (int j = 0; j <= qA; ++j) {
    shapes.columns[j].centre = ColumnAngle(static_cast<double>(static_cast<Ext>(j) * 2 * kPi / qA));
    shapes.columns[j].left = ColumnAngle(static_cast<double>((j - 0.2L) * 2 * kPi / qA));
    shapes.columns[j].right = ColumnAngle(static_cast<double>((j + 0.2L) * 2 * kPi / qA));
  }
  for (int i = 0; i < kLeafRows; ++i) {
    shapes.leafRows[i] = PrepareRingShape(level, LeafRowPosition(i));
    shapes.leafRowBends[i] = BendWeight(level, static_cast<double>((i + 1.0L) / 9));
  }
  if (leafTemplate) {
    const float scale = static_cast<float>(level.leafScaling * 0.001L);
    shapes.leafPoints.reserve(leafTemplate->vertices.size());
    for (const Vertex& source : leafTemplate->vertices) {
      Vector3 p = source.position * scale;
      // Bend: the mid-line hangs one unit below the attachment point and
      // the sides curve down with the square of their distance from it.
      // Outline points far from the mid-line would hang beyond a float's
      // range (infinite positions, NaN normals): none hangs deeper than a
      // million units, far below any leaf of a tree one would draw.
      const Ext bend = (static_cast<Ext>(p.x) * p.x + static_cast<Ext>(p.y) * p.y) * leafBending * 0.0005L;
      p.y = static_cast<float>(-std::exp(std::min(bend, kDeepestLeafHangExponent)));
      shapes.leafPoints.push_back(p);
    }
  }
  shapes.ready = true;
  return shapes;
}

}  // namespace vh
