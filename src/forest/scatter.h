// Trunks scattered on a rectangle of ground with a minimum distance between
// any two (Poisson-disc sampling by dart throwing: each candidate point is
// drawn uniformly and kept when no kept point lies closer than the spacing;
// a hashed grid of cells half a spacing wide finds the neighbours).
// Dart throwing rather than Bridson's growth from a seed point keeps every
// point independent of the order of the grid, and a given count needs no
// more points than asked for.
#pragma once

#include <functional>

#include "foundations/random.h"

namespace vh {

struct ScatterArea {
  double width = 0.0, depth = 0.0;  // x by z, centred on the origin
  long long count = 0;              // points wanted
  double spacing = 0.0;             // the least distance between two points (0: any)
};

// The most points of spacing s that can lie on a w x d rectangle: the
// densest packing of discs of diameter s on the rectangle grown by s/2 on
// every side. Counts above it can never be placed.
double MostPointsThatFit(const ScatterArea& area);

// Draws points until `area.count` are placed, calling `placed(x, z)` for
// each as it is kept (the callback may draw from `random` too: the draws
// are part of the file format, candidate x then z, then what `placed`
// draws). Returns the number placed: fewer than asked when the ground
// filled up before (dart throwing jams at about 55 % of the densest
// packing); gives up after 200 candidates per point asked for.
long long Scatter(const ScatterArea& area, MersenneTwister& random,
                  const std::function<void(double x, double z)>& placed);

}  // namespace vh
