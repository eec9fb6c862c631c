#include "leaf_pictures.h"

#include <algorithm>
#include <cmath>

namespace {

using paint::Colour;

struct Point {
  float x = 0.0f, y = 0.0f;
};

float DistanceToSegment(Point p, Point a, Point b) {
  const float dx = b.x - a.x;
  const float dy = b.y - a.y;
  const float lengthSquared = dx * dx + dy * dy;
  const float t = lengthSquared > 0.0f
                      ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared, 0.0f, 1.0f)
                      : 0.0f;
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

bool Inside(Point p, const std::vector<Point>& polygon) {
  bool inside = false;
  for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    const Point& a = polygon[i];
    const Point& b = polygon[j];
    if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) inside = !inside;
  }
  return inside;
}

float DistanceToOutline(Point p, const std::vector<Point>& polygon) {
  float nearest = 1e9f;
  for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    nearest = std::min(nearest, DistanceToSegment(p, polygon[j], polygon[i]));
  }
  return nearest;
}

// The picture's point (u, v) in the leaf's own frame: `along` from the stem
// (0) to the tip (1), `across` the signed distance from the midrib in
// lengths of the leaf.
struct LeafFrame {
  Point stem, tip;
  float length = 1.0f;
  void At(Point p, float& along, float& across) const {
    const float dx = (tip.x - stem.x) / length;
    const float dy = (tip.y - stem.y) / length;
    along = ((p.x - stem.x) * dx + (p.y - stem.y) * dy) / length;
    across = ((p.x - stem.x) * dy - (p.y - stem.y) * dx) / length;
  }
};

// How strongly a line of `width` covers a point `distance` away, with a
// pixel's worth of soft edge.
float Coverage(float distance, float width, float pixel) {
  return 1.0f - paint::SmoothStep(width * 0.5f - pixel * 0.5f, width * 0.5f + pixel * 0.5f, distance);
}

Colour Blade(const LeafStyle& style, const LeafFrame& frame, const std::vector<Point>& outline, Point p,
             float pixel) {
  float along = 0.0f;
  float across = 0.0f;
  frame.At(p, along, across);
  const float mottle = paint::PeriodicFbm(p.x * 8.0f, p.y * 8.0f, 8, 8, 4, style.seed);
  Colour c =
      paint::Mix(style.blade, style.bladeDark, paint::SmoothStep(0.3f, 0.8f, mottle) * style.mottle * 2.0f);
  const float edge = DistanceToOutline(p, outline);
  const bool inside = Inside(p, outline);
  if (inside) c = paint::Mix(style.rim, c, paint::SmoothStep(0.0f, 0.05f, edge));
  // Veins fade out before the edge; the midrib runs the whole length.
  const float veinFade = inside ? paint::SmoothStep(0.005f, 0.04f, edge) : 0.0f;
  const float pairs = static_cast<float>(style.veinPairs + 1);
  const float climb = along - style.veinSlope * std::abs(across);
  if (climb > 0.02f && climb < 0.95f) {
    const float offset = std::abs(paint::Fract(climb * pairs + 0.5f) - 0.5f) / pairs;
    const float distance = offset * frame.length / std::sqrt(1.0f + style.veinSlope * style.veinSlope);
    c = paint::Mix(c, style.vein, Coverage(distance, style.veinWidth, pixel) * veinFade * 0.7f);
  }
  if (along > -0.02f && along < 1.0f) {
    const float width = style.midribWidth * (1.0f - 0.7f * std::clamp(along, 0.0f, 1.0f));
    c = paint::Mix(c, style.vein, Coverage(std::abs(across) * frame.length, width, pixel) * 0.9f);
  }
  return c;
}

struct Needle {
  Point from, to;
  float width;
  float shade;  // 0..1 variation of the needle's colour
};

std::vector<Needle> SprigNeedles(const LeafStyle& style, const LeafFrame& frame) {
  std::vector<Needle> needles;
  const float dx = (frame.tip.x - frame.stem.x) / frame.length;
  const float dy = (frame.tip.y - frame.stem.y) / frame.length;
  for (int i = 0; i < style.needles; ++i) {
    const float along = 0.08f + 0.9f * (static_cast<float>(i) + 0.5f) / static_cast<float>(style.needles);
    for (float side : {1.0f, -1.0f}) {
      const float jitter = paint::Hash01(i, side > 0 ? 1 : 2, style.seed) - 0.5f;
      const float angle = style.needleAngle * (1.0f + 0.2f * jitter);
      // Shorter towards the tip of the sprig.
      const float length =
          style.needleLength * (1.0f - 0.55f * along) * (1.0f + 0.15f * jitter) * frame.length;
      const Point base{frame.stem.x + dx * along * frame.length, frame.stem.y + dy * along * frame.length};
      const float c = std::cos(angle);
      const float s = std::sin(angle) * side;
      const Point direction{dx * c - dy * s, dy * c + dx * s};
      needles.push_back({base,
                         {base.x + direction.x * length, base.y + direction.y * length},
                         style.needleWidth,
                         paint::Hash01(i, side > 0 ? 3 : 4, style.seed)});
    }
  }
  return needles;
}

Colour Sprig(const LeafStyle& style, const LeafFrame& frame, const std::vector<Needle>& needles, Point p,
             float pixel) {
  // Between the needles the picture is the shadow of the sprig.
  Colour c = paint::Scale(style.bladeDark,
                          0.8f + 0.3f * paint::PeriodicFbm(p.x * 6.0f, p.y * 6.0f, 6, 6, 3, style.seed));
  for (const Needle& needle : needles) {
    const float distance = DistanceToSegment(p, needle.from, needle.to);
    if (distance > needle.width) continue;
    const float reach = std::hypot(p.x - needle.from.x, p.y - needle.from.y) /
                        std::max(1e-6f, std::hypot(needle.to.x - needle.from.x, needle.to.y - needle.from.y));
    const Colour colour = paint::Mix(paint::Mix(style.blade, style.bladeDark, needle.shade * style.mottle),
                                     style.rim, paint::SmoothStep(0.6f, 1.0f, reach));
    c = paint::Mix(c, colour, Coverage(distance, needle.width, pixel));
  }
  const float twig = DistanceToSegment(p, frame.stem, frame.tip);
  return paint::Mix(c, style.vein, Coverage(twig, style.midribWidth, pixel));
}

}  // namespace

vh::Image PaintLeaf(const LeafStyle& style, const PlacedLeaf& leaf, int size) {
  std::vector<Point> outline;
  for (const vh::Vector2& t : leaf.texCoords) outline.push_back({t.x, t.y});
  LeafFrame frame{{leaf.stem.x, leaf.stem.y}, {leaf.tip.x, leaf.tip.y}, 1.0f};
  frame.length = std::max(1e-6f, std::hypot(frame.tip.x - frame.stem.x, frame.tip.y - frame.stem.y));
  const std::vector<Needle> needles =
      style.kind == LeafStyle::Kind::kSprig ? SprigNeedles(style, frame) : std::vector<Needle>();
  const float pixel = 1.0f / static_cast<float>(size);
  paint::Canvas canvas(size, size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const Point p{(static_cast<float>(x) + 0.5f) * pixel, (static_cast<float>(y) + 0.5f) * pixel};
      canvas.At(x, y) = style.kind == LeafStyle::Kind::kSprig ? Sprig(style, frame, needles, p, pixel)
                                                              : Blade(style, frame, outline, p, pixel);
    }
  }
  return canvas.ToImage();
}
