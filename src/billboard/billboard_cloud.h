// CreateBillboardCloud: replaces the leaves (or the whole tree) by a small set
// of textured squares, each lying in a plane that many tree triangles lie
// close to, after X. Décoret, F. Durand, F. Sillion and J. Dorsey,
// "Billboard Clouds for Extreme Model Simplification", SIGGRAPH 2003, with
// the greedy randomised plane search of that family of methods.
//
// Core only: the pictures are drawn by a renderer callback (the view layer
// draws the tree in a GL context), progress and cancelling go through a
// progress callback, and the caller shows the counts and uploads the texture.
#pragma once

#include <functional>
#include <memory>

#include "billboard/billboard_settings.h"
#include "billboard/candidate_picker.h"
#include "foundations/image.h"
#include "foundations/vector3.h"

namespace vh {

class MeshObject;

// Draws the picture of one billboard and returns it: side x side RGB (or
// RGBA; only red, green and blue are used), top row first, the key colour
// (50, 134, 40) wherever nothing is drawn. It is called right after the
// billboard is built, while exactly the triangles of its cluster have their
// `visible` flag set and every tree submesh has `strip` off (their revisions
// tell what changed since the last picture). v0 and v2 are opposite corners
// of the square, v1 the corner between; the view looks along
// normalize((v1 - v0) x (v2 - v0)) with up v1 - v0.
// `side` may be 0 (the cluster is smaller than a pixel): return an empty image.
using BillboardRenderer =
    std::function<Image(const Vector3& v0, const Vector3& v1, const Vector3& v2, int side)>;

// Receives the progress in percent (0..100); returning false cancels the run.
using BillboardProgress = std::function<bool(int percent)>;

struct BillboardCloud {
  // The billboards in creation order (texture 3), then in mode 0 the tree's
  // bark submeshes (texture 2), shared with the tree. Null when cancelled.
  std::unique_ptr<MeshObject> mesh;
  Image colourTexture;  // e x e RGB, e = 2^textureResolution; empty when cancelled
  Image transparency;   // e x e RGB, black where transparent, white elsewhere
};

// Builds the billboard cloud of `tree`.
//
// Clusters are found greedily: while uncovered triangles remain, `precision`
// candidate planes are drawn from `picker` around random uncovered triangles
// and scored by the projected area of the uncovered triangles lying within
// the threshold; the first best plane becomes a billboard covering them.
// In mode 0 the bark triangles (texture 2) are covered from the start and the
// bark submeshes join the cloud as geometry. The pictures are packed into one
// atlas (see atlas.h), which gives the two output textures.
//
// `render` is called once per billboard (an empty function gives blank,
// key-coloured pictures). `progress` (may be empty) is told
// 95 - 95 u / total before each billboard, u being the uncovered triangle
// count, and 100 at the end; a false answer before a billboard cancels: the
// result then has no mesh and no textures.
//
// The tree is left as it was found, even when cancelled or when a callback
// throws: every triangle visible, every strip flag as before, every submesh
// with a new revision. The picker's generator is advanced in every case. While the run
// lasts, the tree shows only the last cluster (a view redrawn from inside
// `progress` shows that); by the final report of 100 it is whole again. The
// callbacks must not change the tree's submeshes or triangles.
//
// Scoring runs on up to hardware_concurrency threads; the callbacks are
// always called on the calling thread.
//
// Throws std::runtime_error for settings outside their ranges, for a tree
// whose triangles index missing vertices, or for a picture whose pixel buffer
// does not match its size; exceptions of the callbacks pass through.
BillboardCloud CreateBillboardCloud(MeshObject& tree, const BillboardSettings& settings,
                                    BillboardPicker& picker, const BillboardRenderer& render,
                                    const BillboardProgress& progress);

}  // namespace vh
