// Frame parts that depend only on a level record, shared by every branch of
// that level during one generation: the ring shapes and bend weights of the
// mesh rings and of the leaf rows, the column angles around a branch and
// the leaf outline as it hangs before it is turned onto a branch.
#pragma once

#include <array>
#include <vector>

#include "tree/branch.h"

namespace vh {

inline constexpr int kLeafRows = 10;
inline constexpr int kLeafColumns = 6;

struct RingShapes {
  RingShape centre, below, above;  // a ring and the points its normals use
  double bend = 0, bendBelow = 0, bendAbove = 0;
};

struct ColumnAngles {
  ColumnAngle centre, left, right;  // a column and its neighbours 0.2 steps away
};

struct LevelShapes {
  bool ready = false;
  std::vector<RingShapes> rings;      // qualityHeight + 1
  std::vector<ColumnAngles> columns;  // qualityAngle + 1
  std::array<RingShape, kLeafRows> leafRows;
  std::array<double, kLeafRows> leafRowBends{};
  // The leaf template's vertices scaled and bent, one per template vertex.
  std::vector<Vector3> leafPoints;
};

// Filled by the thread that lays out the skeleton before any branch of a
// level is handed to a meshing thread, and only read from then on.
struct ShapeCache {
  std::array<LevelShapes, kLevelCount> levels;
  // The shapes of `level`, computed on first use in this generation.
  // `leafTemplate` may be null (no leaves).
  const LevelShapes& For(const LevelParameters& level, int index, const Submesh* leafTemplate,
                         int leafBending);
};

// Relative positions of ring i and of the points below and above it.
double RingPosition(int i, int qH);
double BelowRingPosition(int i, int qH);
double AboveRingPosition(int i, int qH);
// Relative position of leaf row i.
double LeafRowPosition(int i);

}  // namespace vh
