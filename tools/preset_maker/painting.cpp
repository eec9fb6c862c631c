#include "painting.h"

#include <algorithm>
#include <cmath>

namespace paint {

Colour Mix(const Colour& a, const Colour& b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour Scale(const Colour& c, float k) { return {c.r * k, c.g * k, c.b * k}; }

Colour Rgb(int r, int g, int b) {
  return {static_cast<float>(r) / 255.0f, static_cast<float>(g) / 255.0f, static_cast<float>(b) / 255.0f};
}

float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

float SmoothStep(float edge0, float edge1, float x) {
  const float t = Clamp01((x - edge0) / (edge1 - edge0));
  return t * t * (3.0f - 2.0f * t);
}

float Fract(float x) { return x - std::floor(x); }

namespace {

int Wrap(int v, int period) {
  const int m = v % period;
  return m < 0 ? m + period : m;
}

std::uint32_t Mix32(std::uint32_t h) {
  // The finaliser of MurmurHash3: every input bit reaches every output bit.
  h ^= h >> 16;
  h *= 0x85EBCA6Bu;
  h ^= h >> 13;
  h *= 0xC2B2AE35u;
  h ^= h >> 16;
  return h;
}

}  // namespace

float Hash01(int x, int y, std::uint32_t seed) {
  const std::uint32_t h = Mix32(static_cast<std::uint32_t>(x) * 0x27D4EB2Du ^
                                Mix32(static_cast<std::uint32_t>(y) * 0x165667B1u ^ seed));
  return static_cast<float>(h >> 8) / static_cast<float>(1u << 24);
}

float PeriodicNoise(float x, float y, int periodX, int periodY, std::uint32_t seed) {
  const float fx = std::floor(x);
  const float fy = std::floor(y);
  const int x0 = static_cast<int>(fx);
  const int y0 = static_cast<int>(fy);
  const float tx = SmoothStep(0.0f, 1.0f, x - fx);
  const float ty = SmoothStep(0.0f, 1.0f, y - fy);
  const auto corner = [&](int dx, int dy) {
    return Hash01(Wrap(x0 + dx, periodX), Wrap(y0 + dy, periodY), seed);
  };
  const float top = corner(0, 0) + (corner(1, 0) - corner(0, 0)) * tx;
  const float bottom = corner(0, 1) + (corner(1, 1) - corner(0, 1)) * tx;
  return top + (bottom - top) * ty;
}

float PeriodicFbm(float x, float y, int periodX, int periodY, int octaves, std::uint32_t seed) {
  float sum = 0.0f;
  float weight = 1.0f;
  float total = 0.0f;
  for (int octave = 0; octave < octaves; ++octave) {
    sum += weight * PeriodicNoise(x, y, periodX, periodY, seed + static_cast<std::uint32_t>(octave) * 101u);
    total += weight;
    weight *= 0.5f;
    x *= 2.0f;
    y *= 2.0f;
    periodX *= 2;
    periodY *= 2;
  }
  return sum / total;
}

Cells PeriodicCells(float x, float y, int periodX, int periodY, std::uint32_t seed) {
  const int cx = static_cast<int>(std::floor(x));
  const int cy = static_cast<int>(std::floor(y));
  Cells cells{1e9f, 1e9f, 0.0f};
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      const int gx = Wrap(cx + dx, periodX);
      const int gy = Wrap(cy + dy, periodY);
      const float px = static_cast<float>(cx + dx) + Hash01(gx, gy, seed);
      const float py = static_cast<float>(cy + dy) + Hash01(gx, gy, seed ^ 0x9E3779B9u);
      const float d = std::hypot(px - x, py - y);
      if (d < cells.nearest) {
        cells.second = cells.nearest;
        cells.nearest = d;
        cells.id = Hash01(gx, gy, seed ^ 0x51ED270Bu);
      } else if (d < cells.second) {
        cells.second = d;
      }
    }
  }
  return cells;
}

Canvas::Canvas(int width, int height, const Colour& fill)
    : m_width(width), m_height(height), m_pixels(static_cast<std::size_t>(width) * height, fill) {}

vh::Image Canvas::ToImage() const {
  vh::Image image(m_width, m_height, 3);
  for (int y = 0; y < m_height; ++y) {
    for (int x = 0; x < m_width; ++x) {
      const Colour& c = At(x, y);
      std::uint8_t* pixel = image.At(x, y);
      pixel[0] = static_cast<std::uint8_t>(std::lround(Clamp01(c.r) * 255.0f));
      pixel[1] = static_cast<std::uint8_t>(std::lround(Clamp01(c.g) * 255.0f));
      pixel[2] = static_cast<std::uint8_t>(std::lround(Clamp01(c.b) * 255.0f));
    }
  }
  return image;
}

}  // namespace paint
