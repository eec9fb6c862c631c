// The ground grid drawn under the tree. Plain geometry (no GL): it is built
// like any other mesh object and drawn from the view's buffers after the
// tree.
#pragma once

#include <memory>

#include "tree/mesh.h"

namespace vh {

// The height of the ground grid (and of the foot of every tree).
inline constexpr float kGroundHeight = 0.0f;

// A new mesh object with one submesh: a 9 × 9 vertex grid in the plane
// y = kGroundHeight from −1000 to about 777.8 on x and z (spacing 2000/9), green, facing
// +y, 128 visible triangles, not a strip, untextured (so drawn without
// culling). The submesh takes the next object number like every submesh.
std::unique_ptr<MeshObject> BuildGroundPlane();

}  // namespace vh
