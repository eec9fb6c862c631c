// The mouse wheel in the 3-D view: the eye moves along the viewing
// direction, as the Up and Down keys move it, by a share of its distance
// from what it looks at, so that a wheel notch feels the same close to a
// leaf and far from a tall tree.
#pragma once

#include "tree/mesh.h"
#include "view/camera.h"

namespace vh {

// The share of the distance one wheel notch travels towards the scene.
inline constexpr float kWheelNotchShare = 0.15f;
// Distances below this count as this much, so that the eye can still pass
// through the scene's centre.
inline constexpr float kWheelMinimumDistance = 2.0f;

// The centre of the bounding box of every vertex of `mesh`; `fallback` when
// it has none.
Vector3 BoundsCentre(const MeshObject& mesh, const Vector3& fallback);

// How far the eye travels along `forward` for `notches` wheel notches
// (positive: towards the scene, negative: away; fractions for fine-grained
// wheels) at `distance` from the scene's centre. Each notch in keeps
// 1 - kWheelNotchShare of the distance and each notch out undoes one notch
// in, so rolling in and back out returns to the same place.
float WheelTravel(float distance, float notches);

// Moves the camera's eye by WheelTravel along `forward`, the distance being
// the eye's from `centre`.
void WheelZoom(Camera& camera, const Vector3& centre, float notches);

}  // namespace vh
