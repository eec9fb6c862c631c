#include "view/wheel_zoom.h"

#include <algorithm>
#include <cmath>

namespace vh {

Vector3 BoundsCentre(const MeshObject& mesh, const Vector3& fallback) {
  bool any = false;
  Vector3 low;
  Vector3 high;
  for (const auto& submesh : mesh.submeshes) {
    for (const Vertex& vertex : submesh->vertices) {
      const Vector3& p = vertex.position;
      if (!any) {
        low = high = p;
        any = true;
        continue;
      }
      low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
      high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
  }
  if (!any) return fallback;
  return {(low.x + high.x) * 0.5f, (low.y + high.y) * 0.5f, (low.z + high.z) * 0.5f};
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
