// The eye and the ground the view shows: while the ground is drawn, an eye
// below it would see nothing but the ground's underside. Plain arithmetic on
// the camera record.
#pragma once

#include "view/camera.h"

namespace vh {

// Keeps the eye at least `clearance` above the horizontal plane y =
// `groundY`, so that a ground drawn there never hides what stands on it.
// An eye lower than that is turned up about its orbit target (the point
// `focusDistance` ahead), on the bearing it looks along, until it stands at
// that height; when even the top of the orbit is too low, the eye (and so
// its target) is lifted straight up. A turned eye ends upright (`right`
// level). Returns whether the camera moved.
bool KeepEyeAbove(Camera& camera, float groundY, float clearance);

}  // namespace vh
