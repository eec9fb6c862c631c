// The one OpenGL context of a benchmark program that draws: a headless
// context made on first use, in the state the tree view starts with, and
// its display lists.
#pragma once

#include "view/draw_list_cache.h"
#include "view/headless_gl.h"
#include "view/viewer.h"
#include "view/views_around.h"

namespace vh::bench {

inline HeadlessGl& Context() {
  static HeadlessGl* gl = [] {
    auto* made = new HeadlessGl;  // lives as long as the program
    InitViewState();
    return made;
  }();
  return *gl;
}

inline DrawListCache& Lists() {
  static DrawListCache lists;
  return lists;
}

// The side of the views the quality benchmarks compare, and their number
// (every 45 degrees around the tree, 15 degrees above the horizon).
inline constexpr int kViewSide = 256;
inline constexpr int kViewpoints = 8;

// `contents` seen from around `framing` (see views_around.h).
inline ViewsAround ViewsOf(const MeshObject& framing, const FrameContents& contents, int side = kViewSide,
                           float firstAzimuth = 0.0f) {
  Context().BindFramebuffer(side, side);
  return DrawViewsAround(framing, contents, Lists(), side, kViewpoints, firstAzimuth);
}

}  // namespace vh::bench
