// A mesh seen from all around: the viewer's own frame drawn from several
// viewpoints and read back, and how two such sets of views differ. The
// benchmarks and tests that judge a simplification of a tree (billboards,
// levels of detail) compare its views with the tree's.
#pragma once

#include <cstdint>
#include <vector>

#include "tree/mesh.h"
#include "view/draw_list_cache.h"
#include "view/viewer.h"

namespace vh {

struct ViewsAround {
  int side = 0;                   // every view is side x side pixels
  int count = 0;                  // views, one after the other
  std::vector<std::uint8_t> rgb;  // count x side x side pixels, bottom row first
  // Per pixel, in the same order: 1 where something was drawn (its depth
  // written), 0 where the background shows. The colour cannot tell: a leaf
  // lit to full white looks like the view's white background.
  std::vector<std::uint8_t> covered;
};

// Draws `contents` with RenderFrame from `count` viewpoints around the
// bounds of `framing`: every 360 / count degrees of azimuth, starting on
// +z turned by `firstAzimuth` radians about +y, 15 degrees above the
// horizon, with the viewer's 60-degree
// perspective at a distance that fits the whole of `framing` in view. The
// background is the view's white. Assumes a current context, in the state
// InitViewState makes, with a framebuffer of at least side x side bound;
// `lists` are that context's. An empty `framing` is looked at from around
// the origin.
ViewsAround DrawViewsAround(const MeshObject& framing, const FrameContents& contents, DrawListCache& lists,
                            int side = 256, int count = 8, float firstAzimuth = 0.0f);

// How tall `framing` stands in such views, as a fraction of their height.
double FramedHeight(const MeshObject& framing);

// Whether something was drawn at a pixel (see ViewsAround::covered).
bool Covered(const ViewsAround& views, std::size_t pixel);

struct ViewsDifference {
  // Pixels exactly one of the two covers, over the pixels either covers:
  // 0 for the same silhouettes, 1 for disjoint ones.
  double silhouette = 0.0;
  // Pixels only the reference covers, and only the other covers, over the
  // reference's covered pixels.
  double missing = 0.0;
  double extra = 0.0;
  // Over the pixels both cover: the mean absolute difference of red, green
  // and blue, 0 (the same colours) to 1 (black against white).
  double colour = 0.0;
};

// How `other` differs from `reference`; both must have been drawn with the
// same side and count (otherwise every measure is 1).
ViewsDifference CompareViews(const ViewsAround& reference, const ViewsAround& other);

// The same comparison as a screen showing the views `block` times smaller
// with block x block samples per pixel would see it: each pixel covered by
// the share of its samples covered, the silhouette difference the sum of
// |reference - other| over the sum of the larger of the two, missing and
// extra the sums of what one covers more than the other over the
// reference's sum. A stand-in that puts a leaf a sample beside where the
// tree has it then errs by a fraction of a pixel, not by two pixels.
// Colour is not compared (0). A side that `block` does not divide, or
// different sizes or counts, gives 1 for every measure.
ViewsDifference CompareCoverage(const ViewsAround& reference, const ViewsAround& other, int block);

}  // namespace vh
