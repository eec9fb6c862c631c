#include "view/camera.h"

#include <cmath>

namespace vh {

Camera::Camera() {
  Normalize(right);
  Normalize(up);
  Normalize(forward);
}

Vector3 AxisOf(const Camera& camera, CameraAxis axis) {
  switch (axis) {
    case CameraAxis::kRight:
      return camera.right;
    case CameraAxis::kUp:
      return camera.up;
    case CameraAxis::kForward:
      return camera.forward;
  }
  return camera.forward;
}

void Orbit(Camera& camera, float a, float b) {
  Vector3 offset = -(camera.focusDistance * camera.forward);  // target to eye
  const Vector3 target = camera.position - offset;
  const Quaternion qa = FromAxisAngle(a, camera.up);
  const Quaternion qb = FromAxisAngle(-static_cast<Ext>(b), camera.right);
  const Quaternion q = qb * qa;
  offset = Rotate(q, offset);
  camera.position = target + offset;
  camera.forward = Normalized(-offset);

  Vector3 right = Cross(camera.forward, camera.up);
  right -= Dot(right, camera.worldUp) * camera.worldUp;
  camera.right = Normalized(right);
  camera.up = Normalized(Cross(camera.right, camera.forward));
  camera.right = Normalized(Cross(camera.forward, camera.up));
}

void RotateAboutPivot(Camera& camera, CameraAxis axis, float theta) {
  const Quaternion q = FromAxisAngle(theta, AxisOf(camera, axis));
  Vector3 fromPivot = camera.position - kRotationPivot;
  const float distance = Normalize(fromPivot);  // the length; the direction is not needed
  const Vector3 right = Rotate(q, camera.right);
  const Vector3 up = Rotate(q, camera.up);
  const Vector3 forward = Rotate(q, camera.forward);
  camera.right = right;
  camera.up = up;
  camera.forward = forward;
  camera.position = kRotationPivot - distance * camera.forward;
}

void MoveCamera(Camera& camera, CameraAxis axis, float amount) {
  camera.position += amount * AxisOf(camera, axis);
}

ViewRay RayThroughPixel(const Camera& camera, double x, double y) {
  // The frame ApplyCamera sets up: forward and up normalised, right their
  // cross product, and the screen's up what of `up` is square to forward.
  const Vector3 forward = Normalized(camera.forward);
  const Vector3 right = Normalized(Cross(forward, Normalized(camera.up)));
  const Vector3 up = Cross(right, forward);
  const double width = camera.viewportWidth > 0 ? camera.viewportWidth : 1;
  const double height = camera.viewportHeight > 0 ? camera.viewportHeight : 1;
  const double halfHeight = std::tan(camera.fieldOfView * 3.141592653589793 / 360.0);
  const double across = (2.0 * (x + 0.5) / width - 1.0) * halfHeight * AspectRatio(camera);
  const double upwards = (1.0 - 2.0 * (y + 0.5) / height) * halfHeight;
  return {camera.position,
          Normalized(forward + static_cast<float>(across) * right + static_cast<float>(upwards) * up)};
}

double AspectRatio(const Camera& camera) {
  const int height = camera.viewportHeight > 0 ? camera.viewportHeight : 1;
  return static_cast<double>(camera.viewportWidth) / height;
}

}  // namespace vh
