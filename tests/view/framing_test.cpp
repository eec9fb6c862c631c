// Framing what is shown: every corner of the box in sight, the box filling
// the view, from any direction and for any shape of viewport.
#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

#include "view/framing.h"

namespace {

using vh::Vector3;

// How far towards the edge of the view the farthest corner of `box` lies:
// 1 at the edge, more outside it; infinity behind the eye.
double FarthestCorner(const vh::Camera& camera, const vh::Box& box) {
  const double tanVertical = std::tan(camera.fieldOfView * 3.14159265358979 / 360.0);
  double farthest = 0.0;
  for (int corner = 0; corner < 8; ++corner) {
    const Vector3 p{(corner & 1) != 0 ? box.high.x : box.low.x, (corner & 2) != 0 ? box.high.y : box.low.y,
                    (corner & 4) != 0 ? box.high.z : box.low.z};
    const Vector3 d = p - camera.position;
    const double depth = vh::Dot(d, camera.forward);
    if (depth <= 0.05) return INFINITY;
    farthest =
        std::max({farthest, std::abs(vh::Dot(d, camera.up)) / (depth * tanVertical),
                  std::abs(vh::Dot(d, camera.right)) / (depth * tanVertical * vh::AspectRatio(camera))});
  }
  return farthest;
}

TEST(Framing, TheWholeBoxFillsTheViewFromAnyDirection) {
  const vh::Box boxes[] = {{{-20, 0, -20}, {20, 250, 20}},     // a palm: tall and narrow
                           {{-300, 0, -300}, {300, 40, 300}},  // a wide shrub
                           {{5, 5, 5}, {5, 5, 5}}};            // a single point
  const int viewports[][2] = {{800, 600}, {300, 900}};
  for (const vh::Box& box : boxes) {
    for (const auto& size : viewports) {
      for (float turn : {0.0f, 0.7f, 2.5f}) {
        vh::Camera camera;
        camera.viewportWidth = size[0];
        camera.viewportHeight = size[1];
        vh::Orbit(camera, turn, turn * 0.3f);
        vh::FrameBox(camera, box);
        const double farthest = FarthestCorner(camera, box);
        EXPECT_LE(farthest, 1.0) << "in sight, " << size[0] << "x" << size[1] << " turn " << turn;
        if (box.LargestSide() > 0.0f) {
          EXPECT_GE(farthest, 0.85) << "and filling the view";
        }
        const Vector3 target = camera.position + camera.focusDistance * camera.forward;
        EXPECT_NEAR(vh::LengthSquared(target - box.Centre()), 0.0f, 1e-3f) << "orbits about the centre";
      }
    }
  }
}

}  // namespace
