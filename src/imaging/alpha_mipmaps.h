// Mipmaps of a picture cut out by an alpha test. Averaging alpha from one
// level to the next turns a twig one texel wide into texels of alpha 1/2,
// 1/4, ... which the test then drops: cut-out foliage thins and vanishes
// as it recedes. Each smaller level here keeps the share of texels that
// pass the test that the full picture has, by scaling its alpha (Castaño,
// "Computing Alpha Mipmaps", 2010), and takes its colours from the opaque
// texels only, so that the colour of the transparent background never
// bleeds into the edges.
#pragma once

#include <cstdint>
#include <vector>

#include "foundations/image.h"

namespace vh {

// The levels of `rgba` (4 channels, power-of-two sides; anything else
// gives the picture alone), from the picture itself down to 1 x 1, each
// half the size of the one before (at least 1). In every level after the
// first, colour is the alpha-weighted mean of the 2 x 2 texels above it
// (their plain mean where all are transparent), and alpha their mean
// scaled so that as nearly as possible the same share of texels has alpha
// above `threshold` as in the first level.
std::vector<Image> CoverageKeepingMipmaps(const Image& rgba, std::uint8_t threshold = 127);

// The share of texels of `rgba` whose alpha is above `threshold` (0 for an
// empty picture or one without alpha).
double AlphaCoverage(const Image& rgba, std::uint8_t threshold = 127);

}  // namespace vh
