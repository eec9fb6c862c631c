// Camera motions: orbit, rotation about the pivot, moves and the aspect ratio.
#include <cmath>

#include <gtest/gtest.h>

#include "view/camera.h"

namespace {

using vh::Camera;
using vh::CameraAxis;
using vh::Vector3;

void ExpectNear(const Vector3& a, const Vector3& b, float tolerance, const char* what) {
  EXPECT_NEAR(a.x, b.x, tolerance) << what;
  EXPECT_NEAR(a.y, b.y, tolerance) << what;
  EXPECT_NEAR(a.z, b.z, tolerance) << what;
}

float Distance(const Vector3& a, const Vector3& b) {
  const Vector3 d = a - b;
  return std::sqrt(vh::LengthSquared(d));
}

Camera HomeCamera() {
  Camera camera;
  camera.viewportWidth = 640;
  camera.viewportHeight = 480;
  camera.position = vh::kHomePosition;
  return camera;
}

TEST(Camera, DefaultsAreTheConstructionValues) {
  const Camera camera;
  ExpectNear(camera.right, {1, 0, 0}, 0, "right");
  ExpectNear(camera.up, {0, 1, 0}, 0, "up");
  ExpectNear(camera.forward, {0, 0, -1}, 0, "forward");
  ExpectNear(camera.position, {0, 0, 15}, 0, "position");
  EXPECT_EQ(camera.focusDistance, 15.0f);
  EXPECT_EQ(camera.fieldOfView, 60.0f);
}

TEST(Camera, OrbitTurnsAboutTheTargetAheadOfTheEye) {
  Camera camera = HomeCamera();
  const Vector3 target = camera.position + camera.focusDistance * camera.forward;
  // A drag of 20 pixels to the left at 0.05 rad per pixel: a = 1 rad.
  vh::Orbit(camera, 20 * 0.05f, 0.0f);
  ExpectNear(camera.position + camera.focusDistance * camera.forward, target, 1e-4f, "target");
  EXPECT_NEAR(Distance(camera.position, target), 15.0f, 1e-4f);
  // Turned by one radian about y: the offset (0, 0, 15) becomes 15 (sin 1, 0, cos 1).
  ExpectNear(camera.position - target, {15.0f * std::sin(1.0f), 0.0f, 15.0f * std::cos(1.0f)}, 1e-4f,
             "offset");
  EXPECT_NEAR(vh::Dot(camera.right, camera.worldUp), 0.0f, 1e-6f);
  EXPECT_NEAR(vh::LengthSquared(camera.up), 1.0f, 1e-5f);
}

TEST(Camera, OrbitDownwardKeepsRightHorizontal) {
  Camera camera = HomeCamera();
  vh::Orbit(camera, 0.0f, 0.5f);
  EXPECT_NEAR(vh::Dot(camera.right, camera.worldUp), 0.0f, 1e-6f);
  EXPECT_GT(camera.position.y, 50.0f);  // positive b lifts the eye over the target
  EXPECT_NEAR(vh::Dot(camera.forward, camera.up), 0.0f, 1e-5f);
}

TEST(Camera, RotationAndItsOppositeRestoreTheAxes) {
  for (CameraAxis axis : {CameraAxis::kRight, CameraAxis::kUp, CameraAxis::kForward}) {
    Camera camera = HomeCamera();
    const Camera before = camera;
    vh::RotateAboutPivot(camera, axis, 0.1f);
    vh::RotateAboutPivot(camera, axis, -0.1f);
    ExpectNear(camera.right, before.right, 1e-5f, "right");
    ExpectNear(camera.up, before.up, 1e-5f, "up");
    ExpectNear(camera.forward, before.forward, 1e-5f, "forward");
    ExpectNear(camera.position, before.position, 1e-3f, "position");
  }
}

TEST(Camera, RotationKeepsTheEyeOnThePivotLine) {
  Camera camera = HomeCamera();
  vh::Orbit(camera, 0.7f, 0.2f);  // off the pivot line
  const float distance = Distance(camera.position, vh::kRotationPivot);
  vh::RotateAboutPivot(camera, CameraAxis::kForward, 0.1f);  // a roll
  EXPECT_NEAR(Distance(camera.position, vh::kRotationPivot), distance, 1e-3f);
  ExpectNear(camera.position, vh::kRotationPivot - distance * camera.forward, 1e-3f,
             "on the line through the pivot along forward");
  EXPECT_EQ(camera.focusDistance, 15.0f);
}

TEST(Camera, TopRotationTurnsAboutRight) {
  Camera camera = HomeCamera();
  vh::RotateAboutPivot(camera, CameraAxis::kRight, 0.1f);
  ExpectNear(camera.right, {1, 0, 0}, 1e-6f, "right unchanged");
  ExpectNear(camera.forward, {0, std::sin(0.1f), -std::cos(0.1f)}, 1e-6f, "forward");
  ExpectNear(camera.position, {0, 50 - 200 * std::sin(0.1f), 200 * std::cos(0.1f)}, 1e-3f, "eye");
}

TEST(Camera, MovesAddMultiplesOfTheAxes) {
  Camera camera = HomeCamera();
  vh::MoveCamera(camera, CameraAxis::kUp, 3.0f);
  vh::MoveCamera(camera, CameraAxis::kRight, -3.0f);
  vh::MoveCamera(camera, CameraAxis::kForward, 10.0f);
  ExpectNear(camera.position, {-3, 53, 190}, 0, "position");
}

TEST(Camera, AspectRatioSurvivesAZeroHeight) {
  Camera camera = HomeCamera();
  EXPECT_DOUBLE_EQ(vh::AspectRatio(camera), 640.0 / 480.0);
  camera.viewportHeight = 0;
  EXPECT_TRUE(std::isfinite(vh::AspectRatio(camera)));
  EXPECT_DOUBLE_EQ(vh::AspectRatio(camera), 640.0);
}

// A pick's line of sight: through the middle of the view it is the camera's
// forward axis; through a corner pixel's outer corner it runs along the
// edges of the perspective (half the field of view up, the aspect times
// that across); turned with the camera, it turns along.
TEST(Camera, RayThroughPixelFollowsThePerspective) {
  Camera camera = HomeCamera();
  const double half = std::tan(30.0 * 3.141592653589793 / 180.0);
  const struct {
    double x, y;
    Vector3 direction;
  } cases[] = {
      {319.5, 239.5, {0, 0, -1}},
      {-0.5, -0.5, vh::Normalized(Vector3{static_cast<float>(-half * 4 / 3), static_cast<float>(half), -1})},
      {639.5, 479.5,
       vh::Normalized(Vector3{static_cast<float>(half * 4 / 3), static_cast<float>(-half), -1})},
  };
  for (const auto& c : cases) {
    const vh::ViewRay ray = vh::RayThroughPixel(camera, c.x, c.y);
    ExpectNear(ray.origin, vh::kHomePosition, 0, "origin");
    ExpectNear(ray.direction, c.direction, 1e-5f, "direction");
  }
  vh::Orbit(camera, 0.7f, 0.3f);
  ExpectNear(vh::RayThroughPixel(camera, 319.5, 239.5).direction, vh::Normalized(camera.forward), 1e-5f,
             "turned");
}

}  // namespace
