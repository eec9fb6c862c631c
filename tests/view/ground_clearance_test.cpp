// The eye kept above the shown ground.
#include <cmath>

#include <gtest/gtest.h>

#include "view/ground_clearance.h"

namespace {

using vh::Camera;
using vh::Vector3;

void ExpectNear(const Vector3& a, const Vector3& b, float tolerance, const char* what) {
  EXPECT_NEAR(a.x, b.x, tolerance) << what;
  EXPECT_NEAR(a.y, b.y, tolerance) << what;
  EXPECT_NEAR(a.z, b.z, tolerance) << what;
}

// An eye below the clearance is turned up about its target on its
// bearing, upright; one whose whole orbit is too low is lifted; one high
// enough stays.
TEST(GroundClearance, TurnsTheEyeUpAboutItsTarget) {
  const struct {
    const char* what;
    Vector3 target;
    Vector3 from;  // target to eye, before
    float distance;
    bool moves;
    Vector3 eye;  // after
  } cases[] = {
      {"above", {0, 50, 0}, {0, 0, 100}, 100, false, {0, 50, 100}},
      {"below, turned up", {0, 50, 0}, {0, -80, 60}, 100, true, {0, 2, std::sqrt(100.0f * 100 - 48 * 48)}},
      {"straight below", {0, 50, 0}, {0, -100, 0}, 100, true, {0, 2, std::sqrt(100.0f * 100 - 48 * 48)}},
      {"whole orbit too low", {30, -60, 0}, {0, -9, 12}, 15, true, {30, 2, 12}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Camera camera;
    camera.focusDistance = c.distance;
    camera.forward = vh::Normalized(-c.from);
    camera.right = vh::Normalized(vh::Cross(camera.forward, camera.up));
    if (vh::LengthSquared(camera.right) < 0.5f) camera.right = {1, 0, 0};
    camera.up = vh::Normalized(vh::Cross(camera.right, camera.forward));
    camera.position = c.target + c.distance / std::sqrt(vh::LengthSquared(c.from)) * c.from;
    const Vector3 forward = camera.forward;
    EXPECT_EQ(vh::KeepEyeAbove(camera, 0.0f, 2.0f), c.moves);
    ExpectNear(camera.position, c.eye, 1e-3f, "eye");
    if (!c.moves) ExpectNear(camera.forward, forward, 0, "forward");
    if (c.moves && c.target.y > 0) {
      ExpectNear(camera.position + c.distance * camera.forward, c.target, 1e-3f, "target");
      EXPECT_NEAR(camera.right.y, 0.0f, 1e-6f) << "upright";
      EXPECT_GT(camera.up.y, 0.0f);
      EXPECT_NEAR(vh::Dot(camera.forward, camera.up), 0.0f, 1e-5f);
      EXPECT_NEAR(vh::Dot(camera.forward, camera.right), 0.0f, 1e-5f);
    }
  }
}

}  // namespace
