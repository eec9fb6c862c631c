#include "view/framing.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace vh {

Vector3 Box::Centre() const {
  return {(low.x + high.x) * 0.5f, (low.y + high.y) * 0.5f, (low.z + high.z) * 0.5f};
}

float Box::LargestSide() const { return std::max({high.x - low.x, high.y - low.y, high.z - low.z}); }

std::optional<Box> MeshBounds(const MeshObject& mesh) {
  std::optional<Box> box;
  for (const auto& submesh : mesh.submeshes) {
    for (const Vertex& vertex : submesh->vertices) {
      const Vector3& p = vertex.position;
      if (!box) {
        box = Box{p, p};
        continue;
      }
      box->low = {std::min(box->low.x, p.x), std::min(box->low.y, p.y), std::min(box->low.z, p.z)};
      box->high = {std::max(box->high.x, p.x), std::max(box->high.y, p.y), std::max(box->high.z, p.z)};
    }
  }
  return box;
}

void FrameBox(Camera& camera, const Box& given) {
  Box box = given;
  if (box.LargestSide() <= 0.0f) {
    const Vector3 half{0.5f, 0.5f, 0.5f};
    box = Box{given.Centre() - half, given.Centre() + half};
  }
  const Vector3 centre = box.Centre();
  constexpr double kDegrees = 3.14159265358979323846 / 180.0;
  const double tanVertical = std::tan(camera.fieldOfView * kDegrees * 0.5) * (1.0 - kFrameMargin);
  const double tanHorizontal = tanVertical * AspectRatio(camera);
  // For each corner, the distance from the eye to the centre (along
  // `forward`) at which it just touches the edge of the view: its sideways
  // offset over the tangent, less how far the corner lies beyond the centre.
  double distance = 0.0;
  for (int corner = 0; corner < 8; ++corner) {
    const Vector3 p{(corner & 1) != 0 ? box.high.x : box.low.x, (corner & 2) != 0 ? box.high.y : box.low.y,
                    (corner & 4) != 0 ? box.high.z : box.low.z};
    const Vector3 offset = p - centre;
    const double depth = Dot(offset, camera.forward);
    const double across = std::abs(Dot(offset, camera.right));
    const double along = std::abs(Dot(offset, camera.up));
    distance = std::max({distance, across / tanHorizontal - depth, along / tanVertical - depth,
                         // and the eye in front of every corner, outside the box
                         -depth + kFrameMargin * box.LargestSide()});
  }
  camera.position = centre - static_cast<float>(distance) * camera.forward;
  camera.focusDistance = static_cast<float>(distance);
}

float MoveStep(const std::optional<Box>& box) {
  if (!box || box->LargestSide() <= 0.0f) return kReferenceMoveStep;
  return kMoveStepShare * box->LargestSide();
}

}  // namespace vh
