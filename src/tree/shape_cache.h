// Frame parts that depend only on a level record, shared by every branch of
// that level during one generation: the ring shapes of the mesh rings and of
// the leaf rows, and the column angles around a branch.
#pragma once

#include <array>
#include <vector>

#include "tree/branch.h"

namespace vh {

struct RingShapes {
  RingShape centre, below, above;  // a ring and the points its normals use
};

struct ColumnAngles {
  ColumnAngle centre, left, right;  // a column and its neighbours 0.2 steps away
};

struct LevelShapes {
  bool ready = false;
  std::vector<RingShapes> rings;     // qualityHeight + 1
  std::vector<ColumnAngles> columns; // qualityAngle + 1
  std::vector<RingShape> leafRows;   // 10
};

struct ShapeCache {
  std::array<LevelShapes, kLevelCount> levels;
  // The shapes of `level`, computed on first use in this generation.
  const LevelShapes& For(const LevelParameters& level, int index);
};

// Relative positions of ring i and of the points below and above it.
double RingPosition(int i, int qH);
double BelowRingPosition(int i, int qH);
double AboveRingPosition(int i, int qH);

}  // namespace vh
