// The presets' leaf pictures, painted under the leaf's own outline so that
// the editor shows the picture exactly filling the drawn leaf.
#pragma once

#include <cstdint>

#include "foundations/image.h"
#include "leaf_outline.h"
#include "painting.h"

struct LeafStyle {
  enum class Kind {
    kBlade,  // a broad blade with a midrib and side veins
    kSprig,  // a twig set with needles or leaflets on both sides
  };
  Kind kind = Kind::kBlade;
  paint::Colour blade;      // the blade (or the needles)
  paint::Colour bladeDark;  // its mottling
  paint::Colour rim;        // towards the blade's edge (or the needles' tips)
  paint::Colour vein;       // midrib and veins (or the twig)
  float mottle = 0.3f;      // how much of bladeDark shows
  int veinPairs = 7;
  float veinSlope = 0.6f;    // side veins climb this much of the length per width
  float veinWidth = 0.008f;  // picture units
  float midribWidth = 0.016f;
  int needles = 30;  // per side of a sprig
  float needleLength = 0.2f;
  float needleWidth = 0.012f;
  float needleAngle = 0.8f;  // radians between needle and twig
  std::uint32_t seed = 1;
};

// A square picture of `size` pixels for `leaf` painted in `style`.
vh::Image PaintLeaf(const LeafStyle& style, const PlacedLeaf& leaf, int size);
