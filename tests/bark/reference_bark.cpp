#include "reference_bark.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "bark/bark_tiler.h"

namespace vh::test {
namespace {

// One pass over the line line[0], line[step], ... of n values.
void SmoothLineOnce(double* line, std::size_t step, int n, std::vector<double>& scratch) {
  const auto at = [&](int i) -> double& { return line[static_cast<std::size_t>(i) * step]; };
  scratch[0] = 0.7 * at(0) + 0.3 * at(1);
  for (int i = n - 2; i >= 1; --i) {
    scratch[static_cast<std::size_t>(i)] = 0.5 * at(i) + 0.25 * at(i + 1) + 0.25 * at(i - 1);
  }
  scratch[static_cast<std::size_t>(n - 1)] = 0.3 * at(n - 2) + 0.7 * at(n - 1);
  for (int i = 0; i < n; ++i) at(i) = scratch[static_cast<std::size_t>(i)];
}

}  // namespace

void ReferenceSmoothRows(std::vector<double>& values, int width, int height, int passes) {
  std::vector<double> scratch(static_cast<std::size_t>(width));
  for (int y = 0; y < height; ++y) {
    for (int pass = 0; pass < passes; ++pass) {
      SmoothLineOnce(values.data() + static_cast<std::size_t>(y) * width, 1, width, scratch);
    }
  }
}

void ReferenceSmoothColumns(std::vector<double>& values, int width, int height, int passes) {
  std::vector<double> scratch(static_cast<std::size_t>(height));
  for (int x = 0; x < width; ++x) {
    for (int pass = 0; pass < passes; ++pass) {
      SmoothLineOnce(values.data() + x, static_cast<std::size_t>(width), height, scratch);
    }
  }
}

void ReferenceRemoveShading(Image& picture, int strength) {
  // Every expression in extended precision; only the luminance array and
  // its smoothing are double.
  using Extended = long double;
  const int w = picture.width;
  const int h = picture.height;
  std::vector<double> l(static_cast<std::size_t>(w) * h);
  const auto L = [&](int x, int y) -> double& { return l[static_cast<std::size_t>(y) * w + x]; };
  Extended mean = 0;
  std::vector<double> scratch(static_cast<std::size_t>(std::max(w, h)));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const std::uint8_t* p = picture.At(x, y);
      L(x, y) = static_cast<double>(0.299 * Extended(p[0]) + 0.587 * Extended(p[1]) + 0.114 * Extended(p[2]));
      mean += L(x, y);
    }
    for (int pass = 0; pass < 16 * w * strength / 100; ++pass) SmoothLineOnce(&L(0, y), 1, w, scratch);
  }
  for (int x = 0; x < w; ++x) {
    // The counting loop of the description, in extended precision.
    for (int pass = 0; pass < static_cast<Extended>(h) * 0.1 * strength * 0.01; ++pass) {
      SmoothLineOnce(&L(x, 0), static_cast<std::size_t>(w), h, scratch);
    }
  }
  mean = mean / (static_cast<Extended>(w) * h);
  Extended e = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (L(x, y) < kDarkLuminance) continue;
      const Extended f = 255 / Extended{L(x, y)};
      const std::uint8_t* p = picture.At(x, y);
      const long long r = static_cast<long long>(p[0] * f);
      const long long g = static_cast<long long>(p[1] * f);
      const long long b = static_cast<long long>(p[2] * f);
      e += 0.299 * Extended(r) + 0.587 * Extended(g) + 0.114 * Extended(b);
    }
  }
  e = e / (static_cast<Extended>(w) * h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = picture.At(x, y);
      if (L(x, y) < kDarkLuminance) {
        p[0] = p[1] = p[2] = 0;
        continue;
      }
      if (e == 0) continue;
      const Extended v = (255 * mean / e) / L(x, y);
      for (int c = 0; c < 3; ++c)
        p[c] = static_cast<std::uint8_t>(std::min(255LL, static_cast<long long>(p[c] * v)));
    }
  }
}

}  // namespace vh::test
