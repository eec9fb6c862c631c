#include "view/wheel_zoom.h"

#include <algorithm>
#include <cmath>

#include "view/framing.h"

namespace vh {

Vector3 BoundsCentre(const MeshObject& mesh, const Vector3& fallback) {
  const std::optional<Box> box = MeshBounds(mesh);
  return box ? box->Centre() : fallback;
}

float WheelTravel(float distance, float notches) {
  const float d = std::max(distance, kWheelMinimumDistance);
  return d * (1.0f - std::pow(1.0f - kWheelNotchShare, notches));
}

void WheelZoom(Camera& camera, const Vector3& centre, float notches) {
  const Vector3 offset = centre - camera.position;
  const float distance = std::sqrt(offset.x * offset.x + offset.y * offset.y + offset.z * offset.z);
  camera.position += WheelTravel(distance, notches) * camera.forward;
}

}  // namespace vh
