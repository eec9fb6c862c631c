// The reduced copies of a tree that the view draws while the camera moves
// or full detail is still being prepared: the reduction of the
// level-of-detail export (lod_reduction.h), at shares of a quarter of the
// triangles of the next finer level, small enough that at least one is
// drawn well within a frame's budget on a software renderer.
#pragma once

#include <cstdint>
#include <vector>

#include "billboard/lod_reduction.h"

namespace vh {

// The reductions to build for a tree of `triangles` triangles, coarsest
// first (so that something is on screen soonest). Levels above
// kMostInteractionTriangles are not built: no renderer that needs them
// for interaction could draw them in time, and they would cost memory.
// None for a tree small enough to be drawn whole within any budget.
inline constexpr std::uint64_t kFewestInteractionTriangles = 20'000;
inline constexpr std::uint64_t kMostInteractionTriangles = 1'500'000;
// The most a thinned-out leaf's area grows in these levels: a crown seen
// while it turns may show a few gaps, and a software renderer spends its
// time filling large overlapping leaves, not on their triangles.
inline constexpr double kInteractionLeafGrowth = 1.5;
std::vector<LodReduction> InteractionReductions(std::uint64_t triangles);

}  // namespace vh
