#include "view/ground_plane.h"

#include <cstdint>

namespace vh {

std::unique_ptr<MeshObject> BuildGroundPlane() {
  constexpr int kSide = 9;  // vertices per row
  auto plane = std::make_unique<MeshObject>();
  auto submesh = std::make_shared<Submesh>();
  submesh->vertices.reserve(kSide * kSide);
  for (int i = 0; i < kSide; ++i) {
    for (int j = 0; j < kSide; ++j) {
      Vertex v;
      v.position = {static_cast<float>(400.0L * i * (5.0L / 9.0L) - 1000.0L), kGroundHeight,
                    static_cast<float>(400.0L * j * (5.0L / 9.0L) - 1000.0L)};
      v.colour = {0.2f, 0.45f, 0.1f};
      v.alpha = 1.0f;
      v.normal = {0.0f, 1.0f, 0.0f};
      v.hasColour = true;
      v.hasTexCoord = false;
      submesh->vertices.push_back(v);
    }
  }
  submesh->triangles.reserve(2 * (kSide - 1) * (kSide - 1));
  for (std::uint32_t k = 0; k + 1 < kSide; ++k) {
    for (std::uint32_t l = 0; l + 1 < kSide; ++l) {
      const std::uint32_t here = kSide * k + l;
      const std::uint32_t below = kSide * (k + 1) + l;
      submesh->triangles.push_back({here, below + 1, here + 1, true});
      submesh->triangles.push_back({below + 1, here, below, true});
    }
  }
  submesh->strip = false;
  plane->submeshes.push_back(std::move(submesh));
  return plane;
}

}  // namespace vh
