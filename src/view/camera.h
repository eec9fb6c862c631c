// The viewer's camera and the motions the view controls apply to it. Plain
// arithmetic on the camera record; nothing here touches GL (ApplyCamera in
// viewer.h turns the record into matrices).
#pragma once

#include "foundations/vector3.h"

namespace vh {

struct Camera {
  Vector3 right{1.0f, 0.0f, 0.0f};
  Vector3 up{0.0f, 1.0f, 0.0f};
  Vector3 forward{0.0f, 0.0f, -1.0f};
  Vector3 position{0.0f, 0.0f, 15.0f};
  float focusDistance = 15.0f;  // eye to orbit target, along forward
  float fieldOfView = 60.0f;    // vertical, degrees
  int viewportWidth = 0;        // pixels, set by the owner
  int viewportHeight = 0;
  Vector3 worldUp{0.0f, 1.0f, 0.0f};  // orbiting keeps `right` perpendicular to it

  // The construction defaults with the three axes normalised.
  Camera();
};

// Where the main window places the eye at start-up and on "Reset viewpoint".
inline constexpr Vector3 kHomePosition{0.0f, 50.0f, 200.0f};
// The fixed point the rotation buttons turn the eye around.
inline constexpr Vector3 kRotationPivot{0.0f, 50.0f, 0.0f};

enum class CameraAxis { kRight, kUp, kForward };

// The camera's current axis of that name.
Vector3 AxisOf(const Camera& camera, CameraAxis axis);

// Turns the eye around the orbit target `focusDistance` ahead of it: `a`
// radians about `up`, `b` radians about `right` (positive b tilts the eye
// down over the target). `right` is kept perpendicular to `worldUp`; a
// camera looking straight along worldUp ends with a zero `right`, which is
// not repaired.
void Orbit(Camera& camera, float a, float b);

// Rotates the three axes by `theta` radians about the camera's current
// `axis` and puts the eye back on the line through kRotationPivot along
// `forward`, at its former distance from the pivot. `focusDistance` stays.
void RotateAboutPivot(Camera& camera, CameraAxis axis, float theta);

// position += amount × the camera's current `axis`.
void MoveCamera(Camera& camera, CameraAxis axis, float amount);

// Width over height for the projection. A zero or negative height (a window
// shrunk to nothing) counts as one pixel, so the ratio stays finite.
double AspectRatio(const Camera& camera);

// The line of sight through a pixel of the view, for picking: from the eye
// through the centre of the pixel in column `x` and row `y` counted from
// the top left (a mouse position in the view's pixels), as the perspective
// of ApplyCamera (viewer.h) shows it. `direction` is of unit length.
struct ViewRay {
  Vector3 origin;
  Vector3 direction;
};
ViewRay RayThroughPixel(const Camera& camera, double x, double y);

}  // namespace vh
