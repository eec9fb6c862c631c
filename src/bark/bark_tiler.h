// The bark tiler: turns a photograph of bark into a texture that repeats
// seamlessly. It crops the photograph, can flatten its uneven lighting
// (shading removal), can blend it with its mirror images so that opposite
// edges match (symmetrize) and can scale it to power-of-two sides.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>

#include "foundations/image.h"

namespace vh {

struct BarkTileOptions {
  // Crop bounds in percent of the source's width and height.
  int x0 = 0;    // 0..100
  int x1 = 100;  // 1..100
  int y0 = 0;    // 0..100
  int y1 = 100;  // 1..100
  bool shadingRemoval = false;
  int strength = 12;  // smoothing strength s of the shading removal, 1..100
  bool symmetrize = false;
  bool powerOfTwo = false;
};

// The crop of a source picture: the result's size and the rectangle of the
// source it comes from ([left, right) x [top, bottom)), which can be one
// pixel wider or narrower than the result because both are truncated from
// percentages independently.
struct BarkCrop {
  int width = 0;
  int height = 0;
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// Inputs the tiler refuses (a crop smaller than 2 x 2 pixels, percentages
// out of range, an empty source). Nothing has been computed when it is thrown.
class BarkTileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Thrown when the progress callback asked to stop; the source is unchanged
// and no result exists.
class BarkTileCancelled : public std::runtime_error {
 public:
  BarkTileCancelled() : std::runtime_error("The bark tile generation was cancelled") {}
};

// Receives the progress of the current step, 0..100, always on the caller's
// thread; returning false cancels the generation (BarkTileCancelled).
using BarkProgress = std::function<bool(int percent)>;

// The crop of a sourceWidth x sourceHeight picture:
//   width  = trunc(sourceWidth * (x1 - x0) * 0.01), height likewise;
//   left   = trunc(sourceWidth * x0 * 0.01), right = trunc(sourceWidth * x1 * 0.01),
//   top and bottom likewise with y0, y1 and sourceHeight.
// Throws BarkTileError when a percentage is outside 0..100 or the crop is
// smaller than 2 x 2 pixels (x1 <= x0 and y1 <= y0 included).
BarkCrop ComputeBarkCrop(int sourceWidth, int sourceHeight, const BarkTileOptions& options);

// The crop rectangle of `source` copied into a crop.width x crop.height RGB
// picture, stretched (nearest neighbour) when the rectangle is a pixel wider
// or narrower than the result. `crop` must come from ComputeBarkCrop for
// this source.
Image CropBarkPicture(const Image& source, const BarkCrop& crop);

// Smoothing passes of the shading removal: along each row
// 16 * width * strength / 100 (integer arithmetic, product first), along each
// column height * strength / 1000 + 1 (integer division).
int HorizontalPassCount(int width, int strength);
int VerticalPassCount(int height, int strength);

// The luminance the shading removal smooths: 0.299 red + 0.587 green +
// 0.114 blue, evaluated in extended precision and stored as a double, so
// that a grey stays its own value (254 gives 254, where a double evaluation
// gives 253.99999999999997).
double Luminance(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

// Flattens the lighting of an RGB picture of at least 2 x 2 pixels: every
// pixel is divided by the smoothed luminance of its neighbourhood, and the
// picture is scaled back to its former mean luminance, channels capped at
// 255. A pixel whose smoothed luminance is below kDarkLuminance (it lies in a
// black area, where the division means nothing) becomes black and does not
// count in the flattened mean; a picture that is black throughout stays as
// it is. Only the smoothing passes are evaluated in double; the luminance,
// the means and the flattening in extended precision. Progress runs 0..33
// (rows), 33..66 (columns), 66..100.
// Throws BarkTileError for a smaller or non-RGB picture or a strength outside
// 1..100, or BarkTileCancelled; the picture is unchanged in both cases.
void RemoveShading(Image& picture, int strength, const BarkProgress& progress = {});
constexpr double kDarkLuminance = 1e-6;

// Blends each pixel of an RGB picture of at least 2 x 2 pixels with its
// vertical and horizontal mirror images, weighted by its distance from the
// centre lines, so that opposite edges match: with wx = |x / (W - 1) - 0.5| * 2
// and wy likewise, each channel becomes
// trunc(trunc(own + wy * vertical mirror + wx * horizontal mirror) / (1 + wx + wy)),
// all evaluated in extended precision. Progress 0..100 by rows.
// Throws BarkTileError for a smaller or non-RGB picture (unchanged), or
// BarkTileCancelled (the picture is then partly blended).
void Symmetrize(Image& picture, const BarkProgress& progress = {});

// The power of two nearest to `side` (>= 1) on a logarithmic scale:
// 2 ^ round(log2 side), e.g. 300 -> 256, 362 -> 256, 363 -> 512.
int NearestPowerOfTwo(int side);

// Stretches `picture` (nearest neighbour) to NearestPowerOfTwo of each side.
// Throws PictureError if the new size exceeds the picture size limits.
void MakePowerOfTwo(Image& picture);

// The whole tiling: crop, then the enabled steps in the order shading
// removal, symmetrize, power of two. `source` has 3 or 4 channels and is not
// changed; the result is RGB. Progress restarts at 0 for every step and ends
// at 0, as a progress bar shows it. Throws BarkTileError (nothing computed)
// or BarkTileCancelled.
Image GenerateBarkTile(const Image& source, const BarkTileOptions& options,
                       const BarkProgress& progress = {});

}  // namespace vh
