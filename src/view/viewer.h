// One frame of the tree viewer: the fixed GL state, the camera matrices and
// what a frame draws. Assumes a current OpenGL 1.1 context; presenting the
// frame (swapping buffers) is the caller's, since the context's owner knows
// its surface.
#pragma once

#include "tree/mesh.h"
#include "view/camera.h"
#include "view/draw_list_cache.h"

namespace vh {

class SwayingTree;

// Which meshes of a frame are drawn as lines. Each has its own switch: the
// desktop program's "Wireframe" box reaches the tree, the ground plane and
// the billboard cloud at different moments.
struct WireframeParts {
  bool tree = false;
  bool groundPlane = false;
  bool billboard = false;
};

// What one frame shows. Null meshes are skipped.
struct FrameContents {
  const MeshObject* tree = nullptr;
  const MeshObject* groundPlane = nullptr;
  const MeshObject* billboard = nullptr;  // non-null: billboard mode, the tree is not drawn
  bool showPlane = true;
  WireframeParts wireframe;
  // The tree in the wind, drawn from buffers in the tree's place as posed
  // last (BufferedScene; the display lists draw the tree at rest): the
  // tree or the level posed for every frame while the wind plays, and
  // the whole tree posed at the moment shown while it stands still (the
  // preview paused, a screenshot), when that is not `swaying` itself.
  const SwayingTree* swaying = nullptr;
  const SwayingTree* swayingWhole = nullptr;
};

// The initial GL state of the view: depth test, clockwise front faces, no
// culling, one directional light with colour-tracking material, white
// clear colour, smooth shading. Call once after the context is made.
void InitViewState();

// Viewport, projection and view matrix from the camera. Normalises `up` and
// `forward` and recomputes `right` = forward × up, hence the mutable camera.
void ApplyCamera(Camera& camera);

// The start of every frame: clears the buffers, applies the camera, sets
// the material and light 0's position in world coordinates. Leaves the
// model-view matrix selected.
void BeginFrame(Camera& camera);
// The same without clearing: for the later slices of a frame drawn in
// several steps, since other drawing may have changed the state between.
void ApplyFrameState(Camera& camera);

// Clears the buffers and draws the frame: camera, material, light position
// in world coordinates, then the tree (unless there is a billboard), the
// ground plane when shown and the billboard, through the context's display
// lists `lists`. Frees the lists of submeshes that are gone first. Leaves
// the model-view matrix selected.
void RenderFrame(Camera& camera, const FrameContents& contents, DrawListCache& lists);

}  // namespace vh

namespace vh {

// Blending for the wireframe switch. In billboard mode a wireframe view
// multiplies (so the lines stay visible over the atlas) and drops the alpha
// test; everywhere else blending is the usual alpha blend with the alpha
// test on.
void SetWireframeBlending(bool billboardMode, bool wireframe);

}  // namespace vh
