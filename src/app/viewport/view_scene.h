// What the 3-D view keeps to draw the document: the camera, the display
// lists of its GL context, the ground plane and whether it is shown. Kept
// by the Viewport, drawn by its TreeView.
#pragma once

#include <memory>

#include "tree/mesh.h"
#include "view/camera.h"
#include "view/draw_list_cache.h"

struct ViewScene {
  vh::Camera camera;
  vh::DrawListCache drawLists;  // of the view's context; forgotten with it
  std::unique_ptr<vh::MeshObject> groundPlane;
  bool showPlane = true;  // "Show plane"
};
