// The wheel's travel: a share of the distance per notch, rolling in and out
// returns to the start, and the scene's centre from its bounding box.
#include <cmath>
#include <memory>

#include <gtest/gtest.h>

#include "view/wheel_zoom.h"

namespace {

using vh::Vector3;

TEST(WheelZoom, EachNotchInCoversTheSameShareOfTheDistance) {
  EXPECT_FLOAT_EQ(vh::WheelTravel(100.0f, 1.0f), 15.0f);
  EXPECT_FLOAT_EQ(vh::WheelTravel(1000.0f, 1.0f), 150.0f) << "ten times as far, ten times the step";
  EXPECT_NEAR(vh::WheelTravel(100.0f, 2.0f), 100.0f - 100.0f * 0.85f * 0.85f, 1e-4f);
  EXPECT_FLOAT_EQ(vh::WheelTravel(100.0f, 0.0f), 0.0f);
}

TEST(WheelZoom, RollingOutUndoesRollingIn) {
  for (float notches : {1.0f, 0.25f, 3.0f}) {
    const float in = vh::WheelTravel(200.0f, notches);
    const float out = vh::WheelTravel(200.0f - in, -notches);
    EXPECT_NEAR(in + out, 0.0f, 1e-3f) << notches;
    EXPECT_LT(out, 0.0f);
  }
}

TEST(WheelZoom, CloseToTheCentreTheStepStaysUseful) {
  const float step = vh::WheelTravel(0.0f, 1.0f);
  EXPECT_FLOAT_EQ(step, vh::kWheelMinimumDistance * vh::kWheelNotchShare);
  EXPECT_GT(step, 0.0f);
}

TEST(WheelZoom, MovesTheEyeAlongTheViewingDirection) {
  vh::Camera camera;
  camera.position = {0.0f, 50.0f, 200.0f};
  camera.forward = {0.0f, 0.0f, -1.0f};
  vh::WheelZoom(camera, {0.0f, 50.0f, 0.0f}, 1.0f);
  EXPECT_FLOAT_EQ(camera.position.x, 0.0f);
  EXPECT_FLOAT_EQ(camera.position.y, 50.0f);
  EXPECT_FLOAT_EQ(camera.position.z, 170.0f);
  vh::WheelZoom(camera, {0.0f, 50.0f, 0.0f}, -1.0f);
  EXPECT_NEAR(camera.position.z, 200.0f, 1e-3f);
}

TEST(WheelZoom, TheCentreIsTheMiddleOfTheBoundingBox) {
  vh::MeshObject mesh;
  EXPECT_EQ(vh::BoundsCentre(mesh, {1.0f, 2.0f, 3.0f}), (Vector3{1.0f, 2.0f, 3.0f})) << "empty: the fallback";
  auto a = std::make_shared<vh::Submesh>();
  a->vertices.emplace_back(Vector3{-4.0f, 0.0f, 2.0f});
  a->vertices.emplace_back(Vector3{2.0f, 10.0f, 2.0f});
  auto b = std::make_shared<vh::Submesh>();
  b->vertices.emplace_back(Vector3{0.0f, 30.0f, -6.0f});
  mesh.submeshes = {a, b};
  EXPECT_EQ(vh::BoundsCentre(mesh, {}), (Vector3{-1.0f, 15.0f, -2.0f}));
}

}  // namespace
