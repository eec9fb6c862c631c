#include "bark_pictures.h"

#include <cmath>
#include <functional>

#include "painting.h"

namespace {

using paint::Colour;

constexpr float kPi = 3.14159265f;

// Paints every pixel with `shade`, given the pixel's position in picture
// units (0..1, both directions tile), plus a fine grain.
vh::Image PaintTile(int size, std::uint32_t seed, const std::function<Colour(float u, float v)>& shade) {
  paint::Canvas canvas(size, size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(size);
      const float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(size);
      const float grain = 0.92f + 0.16f * paint::Hash01(x, y, seed);
      canvas.At(x, y) = paint::Scale(shade(u, v), grain);
    }
  }
  return canvas.ToImage();
}

// Tileable fractal noise with `cellsU` x `cellsV` cells over the picture.
float Noise(float u, float v, int cellsU, int cellsV, int octaves, std::uint32_t seed) {
  return paint::PeriodicFbm(u * static_cast<float>(cellsU), v * static_cast<float>(cellsV), cellsU, cellsV,
                            octaves, seed);
}

// Vertical ridges, `count` across the picture, wandering sideways by
// `warp` ridges: 0 in a furrow, 1 on a ridge's crest.
float Ridges(float u, float v, int count, float warp, std::uint32_t seed) {
  const float wander = (Noise(u, v, 3, 2, 3, seed) - 0.5f) * 2.0f * warp;
  return std::abs(std::sin(kPi * (u * static_cast<float>(count) + wander)));
}

// 1 on the boundaries between cellular plates, 0 inside them.
float Cracks(float u, float v, int cellsU, int cellsV, float width, std::uint32_t seed) {
  const paint::Cells c = paint::PeriodicCells(u * static_cast<float>(cellsU), v * static_cast<float>(cellsV),
                                              cellsU, cellsV, seed);
  return 1.0f - paint::SmoothStep(0.0f, width, c.second - c.nearest);
}

Colour Oak(float u, float v) {
  const float ridge = paint::SmoothStep(0.05f, 0.8f, Ridges(u, v, 7, 0.9f, 11));
  const float crack = Cracks(u, v, 7, 3, 0.12f, 12) * (1.0f - ridge * 0.5f);
  const float tone = Noise(u, v, 6, 6, 4, 13);
  Colour c = paint::Mix(paint::Rgb(46, 38, 30), paint::Rgb(128, 120, 104), ridge);
  c = paint::Mix(c, paint::Rgb(150, 146, 128), paint::SmoothStep(0.55f, 0.8f, tone) * ridge * 0.6f);
  return paint::Mix(c, paint::Rgb(36, 30, 24), crack * 0.8f);
}

Colour Birch(float u, float v) {
  Colour c = paint::Mix(paint::Rgb(236, 232, 220), paint::Rgb(196, 192, 180), Noise(u, v, 4, 8, 4, 21));
  // Lenticels: short dark dashes across the stem.
  const paint::Cells dash = paint::PeriodicCells(u * 5.0f, v * 24.0f, 5, 24, 22);
  const float lenticel =
      (1.0f - paint::SmoothStep(0.18f, 0.3f, dash.nearest)) * (dash.id < 0.55f ? 1.0f : 0.0f);
  c = paint::Mix(c, paint::Rgb(70, 62, 58), lenticel * 0.85f);
  // Black patches with ragged rims, a warm tint where bark peels.
  const float patch = Noise(u, v, 4, 6, 5, 23);
  c = paint::Mix(c, paint::Rgb(214, 176, 150), paint::SmoothStep(0.58f, 0.62f, patch) * 0.35f);
  return paint::Mix(c, paint::Rgb(28, 26, 26), paint::SmoothStep(0.66f, 0.70f, patch));
}

Colour Conifer(float u, float v) {
  const paint::Cells plate = paint::PeriodicCells(u * 6.0f, v * 4.0f, 6, 4, 31);
  const float crack = 1.0f - paint::SmoothStep(0.0f, 0.14f, plate.second - plate.nearest);
  Colour c = paint::Mix(paint::Rgb(120, 62, 40), paint::Rgb(170, 96, 62), plate.id);
  c = paint::Mix(c, paint::Rgb(92, 70, 60), paint::SmoothStep(0.5f, 0.9f, Noise(u, v, 8, 8, 3, 32)) * 0.6f);
  // Each plate is lit a little from above.
  c = paint::Scale(c, 0.85f + 0.3f * paint::Clamp01(plate.nearest));
  return paint::Mix(c, paint::Rgb(40, 22, 18), crack);
}

Colour Willow(float u, float v) {
  const float wander = (Noise(u, v, 2, 2, 3, 41) - 0.5f) * 1.2f;
  const float a = std::abs(std::sin(kPi * (u * 5.0f + v * 2.0f + wander)));
  const float b = std::abs(std::sin(kPi * (u * 5.0f - v * 2.0f + wander)));
  const float ridge = paint::SmoothStep(0.0f, 0.6f, std::max(a, b) * std::min(a, b) * 2.5f);
  Colour c = paint::Mix(paint::Rgb(52, 48, 40), paint::Rgb(132, 126, 110), ridge);
  return paint::Mix(c, paint::Rgb(110, 112, 96), Noise(u, v, 8, 8, 3, 42) * 0.4f);
}

Colour Palm(float u, float v) {
  // Rings of leaf scars, slightly wavy, with fibres along the trunk.
  const float ringPosition = v * 6.0f + (Noise(u, v, 4, 1, 2, 51) - 0.5f) * 0.3f;
  const float ring = paint::Fract(ringPosition);
  const float scar = 1.0f - paint::SmoothStep(0.0f, 0.12f, std::min(ring, 1.0f - ring));
  const float fibre = Noise(u, v, 48, 3, 2, 52);
  Colour c = paint::Mix(paint::Rgb(150, 128, 96), paint::Rgb(190, 170, 130), fibre);
  c = paint::Scale(c, 0.8f + 0.35f * ring);  // each band darkens towards the next scar
  return paint::Mix(c, paint::Rgb(70, 56, 42), scar * 0.85f);
}

Colour Shrub(float u, float v) {
  const float streak = Noise(u, v, 16, 2, 3, 61);
  Colour c = paint::Mix(paint::Rgb(86, 74, 62), paint::Rgb(126, 112, 96), streak);
  return paint::Mix(c, paint::Rgb(64, 54, 46),
                    paint::SmoothStep(0.6f, 0.75f, Noise(u, v, 6, 12, 3, 62)) * 0.5f);
}

Colour Sapling(float u, float v) {
  Colour c = paint::Mix(paint::Rgb(104, 104, 70), paint::Rgb(132, 126, 86), Noise(u, v, 4, 4, 4, 71));
  const paint::Cells dot = paint::PeriodicCells(u * 10.0f, v * 14.0f, 10, 14, 72);
  const float lenticel = (1.0f - paint::SmoothStep(0.1f, 0.2f, dot.nearest)) * (dot.id < 0.6f ? 1.0f : 0.0f);
  return paint::Mix(c, paint::Rgb(196, 188, 150), lenticel * 0.8f);
}

Colour DeadWood(float u, float v) {
  const float grain = Noise(u, v, 40, 2, 3, 81);
  Colour c = paint::Mix(paint::Rgb(150, 146, 138), paint::Rgb(206, 202, 192), grain);
  c = paint::Mix(c, paint::Rgb(120, 112, 100),
                 paint::SmoothStep(0.55f, 0.8f, Noise(u, v, 3, 4, 4, 82)) * 0.5f);
  // Splits: thin dark gaps along the grain, wandering a little.
  const float split = Ridges(u, v, 5, 0.35f, 83);
  c = paint::Mix(c, paint::Rgb(44, 40, 36), 1.0f - paint::SmoothStep(0.0f, 0.1f, split));
  return c;
}

}  // namespace

vh::Image PaintBark(Bark kind, int size) {
  switch (kind) {
    case Bark::kOak:
      return PaintTile(size, 1, Oak);
    case Bark::kBirch:
      return PaintTile(size, 2, Birch);
    case Bark::kConifer:
      return PaintTile(size, 3, Conifer);
    case Bark::kWillow:
      return PaintTile(size, 4, Willow);
    case Bark::kPalm:
      return PaintTile(size, 5, Palm);
    case Bark::kShrub:
      return PaintTile(size, 6, Shrub);
    case Bark::kSapling:
      return PaintTile(size, 7, Sapling);
    case Bark::kDeadWood:
      return PaintTile(size, 8, DeadWood);
  }
  return {};
}
