// A preset's leaf: a half-width profile along the midrib, turned into what
// the leaf editor holds: the outline in editor pixels (the stem at the
// editor's centre, where a leaf is fixed to its branch, the tip upward),
// the texture coordinate of every point, and the picture placement sliders
// under which the editor shows the leaf picture exactly under the outline
// (in the editor of a window of the default size).
#pragma once

#include <functional>
#include <vector>

#include "foundations/vector3.h"

// The leaf editor's size in a main window of the default size.
inline constexpr int kEditorWidth = 300;
inline constexpr int kEditorHeight = 394;

struct LeafProfile {
  float length = 100.0f;  // editor pixels from stem to tip
  // Half the blade's width at `a` (0 at the stem, 1 at the tip), as a share
  // of the length; 0 at both ends.
  std::function<float(float a)> halfWidth;
  int pointsPerSide = 10;
  // Every other point of a side is pushed out by this share of the local
  // half-width (a toothed edge).
  float teeth = 0.0f;
};

struct PlacedLeaf {
  std::vector<vh::Vector2> outline;    // editor pixels, whole numbers
  std::vector<vh::Vector2> texCoords;  // one per point: where it lies on the picture
  vh::Vector2 stem;                    // picture coordinates of the stem and the tip
  vh::Vector2 tip;
  int translateX = 0;
  int translateY = 0;
  int scale = 150;
};

// The leaf of `profile` on a square picture of `pictureSize` pixels, with
// `margin` (a share of the picture) left above the tip and below the stem.
PlacedLeaf PlaceLeaf(const LeafProfile& profile, int pictureSize, float margin = 0.06f);
