// Scattering trunks: the count asked for, on the area, never closer than
// the spacing, and the same points for the same seed.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "forest/scatter.h"

namespace vh {
namespace {

struct Point {
  double x, z;
};

std::vector<Point> ScatterPoints(const ScatterArea& area, int seed) {
  MersenneTwister random(seed);
  std::vector<Point> points;
  const long long placed = Scatter(area, random, [&](double x, double z) { points.push_back({x, z}); });
  EXPECT_EQ(placed, static_cast<long long>(points.size()));
  return points;
}

TEST(Scatter, KeepsTheSpacingOnTheAreaForEveryCount) {
  for (const ScatterArea area : {ScatterArea{40, 30, 300, 1.5}, ScatterArea{10, 10, 40, 1.0},
                                 ScatterArea{5, 80, 60, 0.9}, ScatterArea{20, 20, 500, 0.0}}) {
    const std::vector<Point> points = ScatterPoints(area, 7);
    ASSERT_EQ(points.size(), static_cast<std::size_t>(area.count));
    double closest = INFINITY;
    for (std::size_t i = 0; i < points.size(); ++i) {
      EXPECT_LE(std::fabs(points[i].x), area.width / 2);
      EXPECT_LE(std::fabs(points[i].z), area.depth / 2);
      for (std::size_t j = i + 1; j < points.size(); ++j)
        closest = std::min(closest, std::hypot(points[i].x - points[j].x, points[i].z - points[j].z));
    }
    EXPECT_GE(closest, area.spacing) << area.width << " x " << area.depth;
    if (area.spacing == 0.0) {
      EXPECT_LT(closest, 0.5);  // uniform points crowd somewhere
    }
  }
}

TEST(Scatter, SameSeedSamePointsOtherSeedOthers) {
  const ScatterArea area{20, 20, 50, 1.0};
  const std::vector<Point> a = ScatterPoints(area, 3), b = ScatterPoints(area, 3), c = ScatterPoints(area, 4);
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].x, b[i].x);
    EXPECT_EQ(a[i].z, b[i].z);
  }
  EXPECT_NE(a[0].x, c[0].x);
}

TEST(Scatter, AFullAreaStopsShortAndSaysSo) {
  // 10 x 10 at spacing 2 packs at most about 41; dart throwing jams far below 40.
  const ScatterArea area{10, 10, 40, 2.0};
  EXPECT_LT(static_cast<double>(area.count), MostPointsThatFit(area));
  const std::vector<Point> points = ScatterPoints(area, 1);
  EXPECT_LT(points.size(), 40u);
  EXPECT_GT(points.size(), 15u);
}

}  // namespace
}  // namespace vh
