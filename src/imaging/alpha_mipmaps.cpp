#include "imaging/alpha_mipmaps.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace vh {
namespace {

bool PowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

// The next level: alpha-weighted colour and plain mean alpha of each 2 x 2
// block (a side of 1 stays 1).
Image HalfSize(const Image& level) {
  const int w = std::max(1, level.width / 2), h = std::max(1, level.height / 2);
  const int stepX = level.width > 1 ? 2 : 1, stepY = level.height > 1 ? 2 : 1;
  Image half(w, h, 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::array<double, 3> weighted{}, plain{};
      double alpha = 0.0;
      int count = 0;
      for (int dy = 0; dy < stepY; ++dy)
        for (int dx = 0; dx < stepX; ++dx) {
          const std::uint8_t* p = level.At(x * stepX + dx, y * stepY + dy);
          for (int c = 0; c < 3; ++c) {
            weighted[c] += static_cast<double>(p[c]) * p[3];
            plain[c] += p[c];
          }
          alpha += p[3];
          ++count;
        }
      std::uint8_t* to = half.At(x, y);
      for (int c = 0; c < 3; ++c)
        to[c] = static_cast<std::uint8_t>(std::lround(alpha > 0.0 ? weighted[c] / alpha : plain[c] / count));
      to[3] = static_cast<std::uint8_t>(std::lround(alpha / count));
    }
  return half;
}

// Scales the level's alpha so that about `share` of its texels exceed
// `threshold`: the smallest scale reaching the share, found by bisection on
// the histogram of alpha.
void KeepCoverage(Image& level, double share, std::uint8_t threshold) {
  std::array<double, 256> histogram{};
  const std::size_t texels = level.pixels.size() / 4;
  for (std::size_t i = 0; i < texels; ++i) ++histogram[level.pixels[4 * i + 3]];
  const auto coverage = [&](double scale) {
    double above = 0.0;
    for (int a = 0; a < 256; ++a)
      if (a * scale > threshold) above += histogram[static_cast<std::size_t>(a)];
    return above / static_cast<double>(texels);
  };
  double low = 0.0, high = 256.0;
  for (int step = 0; step < 24; ++step) {
    const double middle = 0.5 * (low + high);
    (coverage(middle) < share ? low : high) = middle;
  }
  // Rounded up: a texel the scale lifts just past the threshold must stay
  // past it as a byte.
  for (std::size_t i = 0; i < texels; ++i) {
    std::uint8_t& alpha = level.pixels[4 * i + 3];
    alpha = static_cast<std::uint8_t>(std::min(255.0, std::ceil(alpha * high)));
  }
}

}  // namespace

double AlphaCoverage(const Image& rgba, std::uint8_t threshold) {
  if (rgba.Empty() || rgba.channels != 4) return 0.0;
  double above = 0.0;
  const std::size_t texels = rgba.pixels.size() / 4;
  for (std::size_t i = 0; i < texels; ++i) above += rgba.pixels[4 * i + 3] > threshold ? 1.0 : 0.0;
  return above / static_cast<double>(texels);
}

std::vector<Image> CoverageKeepingMipmaps(const Image& rgba, std::uint8_t threshold) {
  std::vector<Image> levels{rgba};
  if (rgba.channels != 4 || !PowerOfTwo(rgba.width) || !PowerOfTwo(rgba.height)) return levels;
  const double share = AlphaCoverage(rgba, threshold);
  while (levels.back().width > 1 || levels.back().height > 1) {
    Image next = HalfSize(levels.back());
    KeepCoverage(next, share, threshold);
    levels.push_back(std::move(next));
  }
  return levels;
}

}  // namespace vh
