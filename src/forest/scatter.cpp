#include "forest/scatter.h"

#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace vh {
namespace {

// Candidates drawn per point asked for before the ground counts as full.
constexpr long long kCandidatesPerPoint = 200;

// The cell key of grid coordinates (each well inside 32 bits: the sides
// are bounded and cells are no smaller than a millionth of them).
std::uint64_t CellKey(std::int64_t i, std::int64_t k) {
  return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(i)) << 32) | static_cast<std::uint32_t>(k);
}

}  // namespace

double MostPointsThatFit(const ScatterArea& area) {
  if (area.spacing <= 0.0) return INFINITY;
  const double s = area.spacing;
  return (area.width + s) * (area.depth + s) / (s * s * std::sqrt(3.0) / 2.0);
}

long long Scatter(const ScatterArea& area, MersenneTwister& random,
                  const std::function<void(double x, double z)>& placed) {
  const double halfWidth = area.width / 2.0, halfDepth = area.depth / 2.0;
  const double spacing = area.spacing;
  // A cell of s / sqrt(2) holds at most one point, and any point closer
  // than s lies at most two cells away.
  const double cell = spacing / std::sqrt(2.0);
  std::unordered_map<std::uint64_t, std::uint32_t> cells;  // cell -> point
  std::vector<double> xs, zs;
  const long long budget = kCandidatesPerPoint * area.count;
  long long count = 0;
  for (long long candidate = 0; count < area.count && candidate < budget; ++candidate) {
    const double x = static_cast<double>(random.Uniform(-halfWidth, halfWidth));
    const double z = static_cast<double>(random.Uniform(-halfDepth, halfDepth));
    if (spacing > 0.0) {
      const auto i = static_cast<std::int64_t>(std::floor((x + halfWidth) / cell));
      const auto k = static_cast<std::int64_t>(std::floor((z + halfDepth) / cell));
      bool free = true;
      for (std::int64_t di = -2; di <= 2 && free; ++di)
        for (std::int64_t dk = -2; dk <= 2 && free; ++dk) {
          const auto found = cells.find(CellKey(i + di, k + dk));
          if (found == cells.end()) continue;
          const double dx = xs[found->second] - x, dz = zs[found->second] - z;
          free = dx * dx + dz * dz >= spacing * spacing;
        }
      if (!free) continue;
      cells.emplace(CellKey(i, k), static_cast<std::uint32_t>(xs.size()));
      xs.push_back(x);
      zs.push_back(z);
    }
    ++count;
    placed(x, z);
  }
  return count;
}

}  // namespace vh
