// The small painting kit of the preset pictures: tileable noise, colours
// and a canvas of floating-point pixels that becomes an Image at the end.
// Everything is deterministic: the same call paints the same picture on
// every machine, so the pictures can be made again from their source.
#pragma once

#include <cstdint>
#include <vector>

#include "foundations/image.h"

namespace paint {

struct Colour {
  float r = 0.0f, g = 0.0f, b = 0.0f;  // 0..1
};

// `a` blended towards `b` by t (0 = a, 1 = b; not clamped).
Colour Mix(const Colour& a, const Colour& b, float t);
// Each channel times `k`.
Colour Scale(const Colour& c, float k);
// A colour from 0..255 components.
Colour Rgb(int r, int g, int b);

float Clamp01(float v);
// Hermite step from 0 at `edge0` to 1 at `edge1`.
float SmoothStep(float edge0, float edge1, float x);
// x - floor(x).
float Fract(float x);

// Value noise on a lattice that repeats every `period` cells in x and y,
// so a picture sampled over exactly `period` cells tiles seamlessly.
// Returns 0..1, smooth between lattice points. `seed` picks the lattice.
float PeriodicNoise(float x, float y, int periodX, int periodY, std::uint32_t seed);
// Sum of `octaves` PeriodicNoise layers, each twice the frequency and half
// the weight of the one before, normalised to 0..1.
float PeriodicFbm(float x, float y, int periodX, int periodY, int octaves, std::uint32_t seed);

// Cellular noise on a repeating grid of one jittered point per cell: the
// distances from (x, y) to the nearest and second-nearest points, in cells,
// and a 0..1 value that identifies the nearest point's cell.
struct Cells {
  float nearest = 0.0f;
  float second = 0.0f;
  float id = 0.0f;
};
Cells PeriodicCells(float x, float y, int periodX, int periodY, std::uint32_t seed);

// A 0..1 hash of two integers and a seed.
float Hash01(int x, int y, std::uint32_t seed);

// A picture being painted: `width` x `height` colours, rows from the top.
class Canvas {
 public:
  Canvas(int width, int height, const Colour& fill = {});
  int Width() const { return m_width; }
  int Height() const { return m_height; }
  Colour& At(int x, int y) { return m_pixels[static_cast<std::size_t>(y) * m_width + x]; }
  const Colour& At(int x, int y) const { return m_pixels[static_cast<std::size_t>(y) * m_width + x]; }
  // The 8-bit RGB picture, channels clamped to 0..1 and rounded.
  vh::Image ToImage() const;

 private:
  int m_width;
  int m_height;
  std::vector<Colour> m_pixels;
};

}  // namespace paint
