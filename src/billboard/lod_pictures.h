// Pictures of a mesh for the level-of-detail chain: what it looks like
// straight through a rectangle, drawn by a callback (the view library
// draws it in a GL context; the core never calls GL).
#pragma once

#include <functional>
#include <vector>

#include "foundations/image.h"
#include "foundations/vector3.h"

namespace vh {

class MeshObject;

// A rectangle to look through: v0, v1 and v2 are three of its corners, v1
// the one between the other two. The view is orthographic along
// -normalize((v1 - v0) x (v2 - v0)), up is v1 - v0, and the picture of
// width x height pixels spans the rectangle exactly: its top row runs from
// v2 (left) to v1 (right), its bottom row lies along v3 = v0 + v2 - v1 ... v0.
//
// `keep` restricts the picture to part of the mesh: only what lies on the
// kept side of every plane is drawn, cut exactly where a triangle crosses
// one (at most kMostKeptSides planes; none draws the whole mesh).
struct KeptSide {
  Vector3 normal;  // the points p with Dot(normal, p) + offset >= 0 are kept
  float offset = 0.0f;
};
struct PictureFrame {
  Vector3 v0, v1, v2;
  int width = 0;
  int height = 0;
  std::vector<KeptSide> keep;
};
inline constexpr std::size_t kMostKeptSides = 6;

// Draws every triangle of the mesh it was made for (within the frame's kept
// sides), whichever way it faces and however far before or behind the
// rectangle it lies, in its own
// colours and pictures without any light; returns width x height RGB, top
// row first, the key colour (50, 134, 40) wherever nothing is drawn.
using PictureRenderer = std::function<Image(const PictureFrame& frame)>;

// Makes the renderer of a mesh, which outlives the renderer.
using LodRendererFactory = std::function<PictureRenderer(const MeshObject& mesh)>;

// Where the point at (u, v) of a frame lies: u runs from the left edge (0)
// to the right one (1), v from the top (0) to the bottom (1).
Vector3 FramePoint(const PictureFrame& frame, double u, double v);

// The unit normal the frame is looked at along (the view looks along its
// opposite).
Vector3 FrameNormal(const PictureFrame& frame);

}  // namespace vh
