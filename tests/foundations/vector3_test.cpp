#include <gtest/gtest.h>

#include <cmath>

#include "foundations/vector3.h"

namespace vh {
namespace {

void ExpectNear(const Vector3& actual, const Vector3& expected, float tolerance = 1e-6f) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

TEST(Vector3, NormalizeLeavesTinyVectorsUnchanged) {
  Vector3 zero;
  EXPECT_EQ(Normalize(zero), 0.0f);
  EXPECT_EQ(zero, Vector3(0, 0, 0));

  Vector3 tiny(1e-7f, 0, 0);
  EXPECT_FLOAT_EQ(Normalize(tiny), 1e-7f);
  EXPECT_EQ(tiny, Vector3(1e-7f, 0, 0));

  Vector3 v(3, 0, 4);
  EXPECT_FLOAT_EQ(Normalize(v), 5.0f);
  ExpectNear(v, {0.6f, 0, 0.8f});
}

TEST(Vector3, PerpendicularFallsBackToUnitYAndIsNotNormalised) {
  EXPECT_EQ(Perpendicular({1, 0, 0}), Vector3(0, 0, 1));
  EXPECT_EQ(Perpendicular({0, 1, 0}), Vector3(0, 0, -1));
  EXPECT_EQ(Perpendicular({0, 2, 0}), Vector3(0, 0, -2));
}

TEST(Vector3, CrossAndDotFollowTheRightHandRule) {
  EXPECT_EQ(Cross(UnitX, UnitY), UnitZ);
  EXPECT_EQ(Cross(UnitY, UnitX), Vector3(0, 0, -1));
  EXPECT_EQ(Dot({1, 2, 3}, {4, 5, 6}), 32.0f);
}

TEST(Vector3, CrossRoundsOnceFromExtendedPrecision) {
  // a.y*b.z - a.z*b.y rounded once differs from two float products here.
  const Vector3 a(0, 16777217.0f, 1.0f), b(0, 3.0f, 16777215.0f);
  const long double exact = static_cast<long double>(a.y) * b.z - static_cast<long double>(a.z) * b.y;
  EXPECT_EQ(Cross(a, b).x, static_cast<float>(exact));
}

// (1 + 2^-23) * 1.5 - 2^-60 = 1.5 + 2^-23 + 2^-24 - 2^-60 lies just below the
// midpoint between the floats 1.5 + 2^-23 and 1.5 + 2^-22. Extended precision
// holds it exactly and rounds down; a double would round it to the midpoint
// first and then, ties to even, up to 1.5 + 2^-22. Each component in turn.
TEST(Vector3, CrossOfOperandsOfVeryDifferentMagnitudeRoundsLikeExtendedPrecision) {
  const float big = 1.0f + 0x1p-23f, tiny = 0x1p-60f;
  const float expected = 1.5f + 0x1p-23f;
  EXPECT_EQ(Cross({0, big, tiny}, {0, 1, 1.5f}), Vector3(expected, 0, 0));
  EXPECT_EQ(Cross({tiny, 0, big}, {1.5f, 0, 1}), Vector3(0, expected, 0));
  EXPECT_EQ(Cross({big, tiny, 0}, {1, 1.5f, 0}), Vector3(0, 0, expected));
  // The same difference with the signs of both products exchanged.
  EXPECT_EQ(Cross({0, tiny, big}, {0, 1.5f, 1}), Vector3(-expected, 0, 0));
}

TEST(Quaternion, QuarterTurnAboutYTakesXToMinusZ) {
  const Quaternion q = FromAxisAngle(3.141592653589793L / 2, UnitY);
  ExpectNear(Rotate(q, UnitX), {0, 0, -1});
}

TEST(Quaternion, ProductAppliesRightFactorFirst) {
  const Quaternion aboutY = FromAxisAngle(3.141592653589793L / 2, UnitY);
  const Quaternion aboutX = FromAxisAngle(3.141592653589793L / 2, UnitX);
  const Vector3 v(0, 0, 1);
  ExpectNear(Rotate(aboutY * aboutX, v), Rotate(aboutY, Rotate(aboutX, v)));
  // Rotating z about x gives -y; about y, -y stays.
  ExpectNear(Rotate(aboutY * aboutX, v), {0, -1, 0});
}

TEST(Vector3, DivisionMultipliesByTheFloatReciprocal) {
  const Vector3 v(1, 2, 3);
  const float inverse = static_cast<float>(1.0L / 3.0f);
  EXPECT_EQ(v / 3.0f, Vector3(1 * inverse, 2 * inverse, 3 * inverse));
}

}  // namespace
}  // namespace vh
