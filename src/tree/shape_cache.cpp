#include "tree/shape_cache.h"

namespace vh {

namespace {

constexpr Ext kPi = 3.141592653589793L;
constexpr int kLeafRows = 10;

}  // namespace

double RingPosition(int i, int qH) { return static_cast<double>(static_cast<Ext>(i) / qH); }
double BelowRingPosition(int i, int qH) { return i == 0 ? 0.0 : static_cast<double>((i - 0.8L) / qH); }
double AboveRingPosition(int i, int qH) { return static_cast<double>((i + 0.8L) / qH); }

const LevelShapes& ShapeCache::For(const LevelParameters& level, int index) {
  LevelShapes& shapes = levels[index];
  if (shapes.ready) return shapes;
  const int qH = level.qualityHeight;
  const int qA = level.qualityAngle;
  shapes.rings.resize(qH + 1);
  for (int i = 0; i <= qH; ++i) {
    shapes.rings[i].centre = PrepareRingShape(level, RingPosition(i, qH));
    shapes.rings[i].below = PrepareRingShape(level, BelowRingPosition(i, qH));
    shapes.rings[i].above = PrepareRingShape(level, AboveRingPosition(i, qH));
  }
  shapes.columns.resize(qA + 1);
  for (int j = 0; j <= qA; ++j) {
    shapes.columns[j].centre = ColumnAngle(static_cast<double>(static_cast<Ext>(j) * 2 * kPi / qA));
    shapes.columns[j].left = ColumnAngle(static_cast<double>((j - 0.2L) * 2 * kPi / qA));
    shapes.columns[j].right = ColumnAngle(static_cast<double>((j + 0.2L) * 2 * kPi / qA));
  }
  shapes.leafRows.resize(kLeafRows);
  for (int i = 0; i < kLeafRows; ++i) shapes.leafRows[i] = PrepareRingShape(level, static_cast<double>(static_cast<Ext>(i) / 9));
  shapes.ready = true;
  return shapes;
}

}  // namespace vh
