// Parameter sets shared by the benchmarks.
#pragma once

#include "tree/tree.h"

namespace vh::bench {

// A leafy tree of about 1.6 million vertices: five levels of seven children,
// finely tessellated, with kite-shaped leaves on half of the cells.
inline TreeParameters LargeTreeParameters() {
  TreeParameters params(3);
  for (LevelParameters& level : params.levels) {
    level.nbChildrenMin = level.nbChildrenMax = 7;
    level.qualityAngle = 16;
    level.qualityHeight = 24;
    level.leafDensity = 51;
  }
  params.noLeavesOnTrunk = true;
  params.leafOutline = {{0, -40}, {20, -10}, {0, 30}, {-20, -10}};
  params.leafTexCoords = {{0.5f, 0.0f}, {1.0f, 0.4f}, {0.5f, 1.0f}, {0.0f, 0.4f}};
  return params;
}

}  // namespace vh::bench
