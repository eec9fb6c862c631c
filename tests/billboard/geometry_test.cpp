#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "billboard/billboard_geometry.h"

namespace vh {
namespace {

struct SideCase {
  float edge;  // side of an axis-aligned square, in tree units
  int quality;
  int expected;
};

// Corners of an axis-aligned square of the given side in the x-y plane,
// V0 and V2 opposite.
void Square(float side, Vector3& v0, Vector3& v1, Vector3& v2) {
  v0 = {0, 0, 0};
  v1 = {0, side, 0};
  v2 = {side, side, 0};
}

TEST(BillboardImageSide, PowerOfTwoNotBelowDensity) {
  const SideCase cases[] = {
      {100.0f, 7, 128},   // 119 pixels -> 128
      {0.5f, 7, 0},       // 0.595 pixels: m = 0, no picture
      {1.0f, 5, 0},       // 0.85
      {1.0f, 6, 1},       // 1.02 -> 1
      {10.0f, 1, 1},      // 1.7 -> 1
      {20.0f, 1, 4},      // 3.4 -> 3 -> 4
      {753.0f, 1, 128},   // 128.01 -> 128 exactly a power of two
      {100.0f, 15, 256},  // 255
      {1.0e5f, 15, kMaxBillboardImageSide},
  };
  for (const SideCase& c : cases) {
    Vector3 v0, v1, v2;
    Square(c.edge, v0, v1, v2);
    EXPECT_EQ(BillboardImageSide(v0, v1, v2, c.quality), c.expected) << c.edge << " q" << c.quality;
  }
}

TEST(BillboardImageSide, TakesTheLongerSide) {
  const Vector3 v0(0, 0, 0), v1(0, 10, 0), v2(200, 10, 0);  // |V2 - V1| = 200: 238 -> 256
  EXPECT_EQ(BillboardImageSide(v0, v1, v2, 7), 256);
  EXPECT_EQ(BillboardImageSide(v2, v1, v0, 7), 256);
}

TEST(BillboardImageSide, NonFiniteCornersGiveNoPicture) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(BillboardImageSide(Vector3(nan, 0, 0), Vector3(1, 0, 0), Vector3(nan, 0, 0), 7), 0);
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(BillboardImageSide(Vector3(inf, 0, 0), Vector3(0, 0, 0), Vector3(0, 0, 0), 7),
            kMaxBillboardImageSide);
}

TEST(BillboardGeometry, ThresholdFromBillboardCount) {
  EXPECT_EQ(DistanceThreshold(100), 1.0f);
  EXPECT_EQ(DistanceThreshold(1), 100.0f);
  EXPECT_EQ(DistanceThreshold(10), 10.0f);
  EXPECT_EQ(DistanceThreshold(3), static_cast<float>(100.0 / 3));
}

TEST(BillboardGeometry, PlaneDistanceAndProjection) {
  const CandidatePlane candidate{{0, 0, 5}, {1, 0, 5}, {0, 1, 5}, 0, 0};
  const BillboardPlane plane = MakePlane(candidate);
  EXPECT_EQ(plane.normal, Vector3(0, 0, 1));
  const Vector3 v(3, 4, 7);
  const float d = SignedDistance(plane, v);
  EXPECT_EQ(d, 2.0f);
  EXPECT_EQ(Project(plane, v, d), Vector3(3, 4, 5));
  EXPECT_TRUE(IsNear(-1.5f, 2.0f));
  EXPECT_FALSE(IsNear(2.0f, 2.0f));  // strictly closer than the threshold
  EXPECT_FALSE(IsNear(std::numeric_limits<float>::quiet_NaN(), 2.0f));
}

TEST(BillboardGeometry, ProjectedWeightIsTwiceTheProjectedArea) {
  const BillboardPlane plane = MakePlane({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 0, 0});
  const Vector3 v[3] = {{0, 0, 1}, {4, 0, -1}, {0, 3, 0.5f}};
  const float d[3] = {1, -1, 0.5f};
  EXPECT_EQ(ProjectedWeight(plane, v, d, false), 12.0f);
  // Horizontal projected triangle: |ny| = 0, so the weight is divided by 0.001.
  const BillboardPlane ground = MakePlane({{0, 0, 0}, {0, 0, 1}, {1, 0, 0}, 0, 0});
  const Vector3 w[3] = {{0, 0, 0}, {0, 0, 4}, {3, 0, 0}};
  const float zero[3] = {0, 0, 0};
  EXPECT_EQ(ProjectedWeight(ground, w, zero, false), 12.0f);
  EXPECT_EQ(ProjectedWeight(ground, w, zero, true), static_cast<float>(12.0L / (1.0L + 0.001)));
  EXPECT_EQ(ProjectedWeight(plane, v, d, true), static_cast<float>(12.0L / 0.001));
}

TEST(BillboardGeometry, QuadIsASquareOnTheBoxDiagonal) {
  const CandidatePlane candidate{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 0, 0};
  const Vector3 boxMin(-2, -1, 0), boxMax(6, 5, 0);
  const BillboardQuad quad = QuadFromBox(candidate, boxMin, boxMax);
  EXPECT_EQ(quad.corner[0], boxMin);
  EXPECT_EQ(quad.corner[2], boxMax);
  const Vector3 centre = (boxMin + boxMax) / 2.0f;
  const float radius = Length(boxMin - centre);
  EXPECT_EQ(radius, 5.0f);
  for (int k : {1, 3}) EXPECT_NEAR(Length(quad.corner[k] - centre), radius, 1e-5);
  // Diagonals perpendicular and of equal length: a square.
  EXPECT_NEAR(Dot(quad.corner[2] - quad.corner[0], quad.corner[3] - quad.corner[1]), 0.0f, 1e-4);
  EXPECT_NEAR(Length(quad.corner[3] - quad.corner[1]), 10.0f, 1e-5);
  for (const Vector3& corner : quad.corner) EXPECT_NEAR(corner.z, 0.0f, 1e-6);  // stays in the plane
}

}  // namespace
}  // namespace vh
