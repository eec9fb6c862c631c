// Fitting what the view shows into it: the bounding box of a mesh, the eye
// placed so that the whole box is in sight, and camera steps that grow with
// the size of what is shown. Plain arithmetic on the camera record.
#pragma once

#include <optional>

#include "tree/mesh.h"
#include "view/camera.h"

namespace vh {

// An axis-aligned box; `low` <= `high` on every axis.
struct Box {
  Vector3 low;
  Vector3 high;

  Vector3 Centre() const;
  // The longest of the three sides.
  float LargestSide() const;
};

// The box around every vertex of `mesh`; none when it has no vertex.
std::optional<Box> MeshBounds(const MeshObject& mesh);

// Share of the view's height and width left free around a framed box.
inline constexpr float kFrameMargin = 0.08f;

// Places the eye on the line through the centre of `box` along the
// camera's `forward`, far enough back that all eight corners lie inside the
// camera's field of view (and its viewport's aspect) with kFrameMargin to
// spare, and makes the centre the orbit target (`focusDistance`). The axes
// are kept. A box of no size is framed as one of side 1.
void FrameBox(Camera& camera, const Box& box);

// The camera buttons move the eye by a share of the size of what is shown:
// kMoveStepShare of the largest side of `box`. A step of the reference size
// (kReferenceMoveStep) applies when there is nothing to measure.
inline constexpr float kMoveStepShare = 0.025f;
inline constexpr float kReferenceMoveStep = 3.0f;
float MoveStep(const std::optional<Box>& box);

}  // namespace vh
