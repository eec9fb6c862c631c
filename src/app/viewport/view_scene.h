// What the 3-D view keeps to draw the document: the camera, the tree's
// buffers and the pacing of its frames (the level of detail while the
// camera moves, full detail drawn progressively once it rests), the display
// lists that offscreen pictures draw with in the same context, the ground
// plane and whether it is shown, the look, and the tree posed in the wind. Kept by the
// Viewport, drawn by its TreeView.
#pragma once

#include <functional>
#include <memory>
#include <utility>

#include "tree/mesh.h"
#include "view/buffered_scene.h"
#include "view/camera.h"
#include "view/draw_list_cache.h"
#include "view/frame_pacing.h"
#include "view/look.h"
#include "view/realistic_renderer.h"
#include "view/swaying_tree.h"

struct ViewScene {
  // `piecesReady` is called from the buffers' worker when prepared geometry
  // waits to be uploaded on the window's thread.
  explicit ViewScene(std::function<void()> piecesReady) : buffers(std::move(piecesReady)) {}

  vh::Camera camera;
  vh::BufferedScene buffers;          // of the view's context; released or forgotten with it
  vh::RefinementSchedule refinement;  // when full detail follows the last input
  vh::DrawListCache drawLists;        // offscreen pictures drawn in the view's context; forgotten with it
  std::unique_ptr<vh::MeshObject> groundPlane;
  bool showPlane = true;  // "Show plane"
  // The look frames are drawn in, and the shaders of the realistic one in
  // the view's context (checked when the context is made; released or
  // forgotten with it).
  vh::Look look = vh::Look::kClassic;
  vh::RealisticRenderer realistic;
  // The tree in the wind while the document's wind is on (WindPlayer): the
  // tree, or for a large tree the level the view draws while the camera
  // moves, posed for every frame; and the whole large tree posed at the
  // moment a still frame shows (the preview paused, a screenshot).
  std::unique_ptr<vh::SwayingTree> swaying;
  std::unique_ptr<vh::SwayingTree> swayingWhole;
};
