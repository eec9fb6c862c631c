#include "view/ground_clearance.h"

#include <algorithm>
#include <cmath>

namespace vh {

bool KeepEyeAbove(Camera& camera, float groundY, float clearance) {
  const float lowest = groundY + clearance;
  if (camera.position.y >= lowest) return false;
  const float distance = camera.focusDistance;
  const Vector3 target = camera.position + distance * camera.forward;
  if (!(distance > 0.0f) || target.y + distance <= lowest) {
    camera.position.y = lowest;
    return true;
  }
  // The bearing: where the eye looks, seen from above; an eye looking
  // straight up or down takes the one its right-hand axis implies.
  Vector3 bearing{camera.forward.x, 0.0f, camera.forward.z};
  if (LengthSquared(bearing) < 1e-8f) bearing = Cross(camera.worldUp, camera.right);
  Normalize(bearing);
  // On the orbit's sphere the eye stands `lowest` high where forward
  // climbs by this much.
  const float climb = std::clamp((target.y - lowest) / distance, -1.0f, 1.0f);
  camera.forward = std::sqrt(1.0f - climb * climb) * bearing + Vector3{0.0f, climb, 0.0f};
  camera.position = target - distance * camera.forward;
  camera.position.y = std::max(camera.position.y, lowest);  // not a rounding below it
  // Upright, as an eye standing on the ground sees it.
  camera.right = Normalized(Cross(bearing, camera.worldUp));
  camera.up = Normalized(Cross(camera.right, camera.forward));
  return true;
}

}  // namespace vh
