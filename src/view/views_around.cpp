#include "view/views_around.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vh {
namespace {

constexpr float kElevation = 0.26179939f;  // 15 degrees
constexpr float kHalfFieldOfView = 0.5f;   // a little under the viewer's 30 degrees, in radians
constexpr float kFramingMargin = 1.05f;
constexpr double kViewerHalfAngle = 0.52359878;  // the viewer's 60 degrees, halved

struct Framing {
  Vector3 centre;
  float distance = 1.0f;  // from the centre to the eye
  float height = 0.0f;    // of the bounds
};

Framing FramingOf(const MeshObject& framing) {
  Vector3 low{0.0f, 0.0f, 0.0f}, high{0.0f, 0.0f, 0.0f};
  bool first = true;
  for (const auto& submesh : framing.submeshes)
    for (const Vertex& v : submesh->vertices) {
      const Vector3& p = v.position;
      low = first ? p : Vector3{std::fmin(low.x, p.x), std::fmin(low.y, p.y), std::fmin(low.z, p.z)};
      high = first ? p : Vector3{std::fmax(high.x, p.x), std::fmax(high.y, p.y), std::fmax(high.z, p.z)};
      first = false;
    }
  const float radius = std::fmax(std::sqrt(LengthSquared(high - low)) * 0.5f, 1e-3f);
  // The bounding sphere fits the narrower half-angle of the view.
  return {(low + high) * 0.5f, radius / std::sin(kHalfFieldOfView) * kFramingMargin, high.y - low.y};
}

}  // namespace

double FramedHeight(const MeshObject& framing) {
  const Framing f = FramingOf(framing);
  return f.height / (2.0 * f.distance * std::tan(kViewerHalfAngle));
}

ViewsAround DrawViewsAround(const MeshObject& framing, const FrameContents& contents, DrawListCache& lists,
                            int side, int count, float firstAzimuth) {
  const Framing framed = FramingOf(framing);
  const Vector3 centre = framed.centre;
  const float distance = framed.distance;

  ViewsAround views;
  views.side = side;
  views.count = count;
  const std::size_t viewBytes = static_cast<std::size_t>(side) * static_cast<std::size_t>(side) * 3;
  const std::size_t viewPixels = static_cast<std::size_t>(side) * static_cast<std::size_t>(side);
  views.rgb.resize(viewBytes * static_cast<std::size_t>(count));
  views.covered.resize(viewPixels * static_cast<std::size_t>(count));
  std::vector<float> depth(viewPixels);
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  for (int view = 0; view < count; ++view) {
    const float azimuth = firstAzimuth + static_cast<float>(view) * 6.28318531f / static_cast<float>(count);
    const Vector3 direction{std::cos(kElevation) * std::sin(azimuth), std::sin(kElevation),
                            std::cos(kElevation) * std::cos(azimuth)};
    Camera camera;
    camera.viewportWidth = camera.viewportHeight = side;
    camera.position = centre + direction * distance;
    camera.forward = direction * -1.0f;
    camera.up = {0.0f, 1.0f, 0.0f};
    camera.focusDistance = distance;
    RenderFrame(camera, contents, lists);
    glReadPixels(0, 0, side, side, GL_RGB, GL_UNSIGNED_BYTE,
                 views.rgb.data() + viewBytes * static_cast<std::size_t>(view));
    // The frame clears depth to the far plane; anything drawn lies nearer.
    glReadPixels(0, 0, side, side, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    std::transform(
        depth.begin(), depth.end(),
        views.covered.begin() + static_cast<std::ptrdiff_t>(viewPixels * static_cast<std::size_t>(view)),
        [](float d) { return static_cast<std::uint8_t>(d < 1.0f); });
  }
  glPopClientAttrib();
  return views;
}

bool Covered(const ViewsAround& views, std::size_t pixel) { return views.covered[pixel] != 0; }

ViewsDifference CompareViews(const ViewsAround& reference, const ViewsAround& other) {
  ViewsDifference result;
  if (reference.side != other.side || reference.count != other.count ||
      reference.rgb.size() != other.rgb.size() || reference.covered.size() * 3 != reference.rgb.size() ||
      other.covered.size() * 3 != other.rgb.size()) {
    result = {1.0, 1.0, 1.0, 1.0};
    return result;
  }
  double either = 0, referenceOnly = 0, otherOnly = 0, area = 0, both = 0, colour = 0;
  const std::size_t pixels = reference.rgb.size() / 3;
  for (std::size_t i = 0; i < pixels; ++i) {
    const bool inReference = Covered(reference, i), inOther = Covered(other, i);
    either += inReference || inOther;
    referenceOnly += inReference && !inOther;
    otherOnly += inOther && !inReference;
    area += inReference;
    if (inReference && inOther) {
      ++both;
      for (int k = 0; k < 3; ++k)
        colour += std::abs(reference.rgb[3 * i + k] - other.rgb[3 * i + k]) / (3.0 * 255.0);
    }
  }
  if (either > 0) result.silhouette = (referenceOnly + otherOnly) / either;
  if (area > 0) {
    result.missing = referenceOnly / area;
    result.extra = otherOnly / area;
  }
  if (both > 0) result.colour = colour / both;
  return result;
}

ViewsDifference CompareCoverage(const ViewsAround& reference, const ViewsAround& other, int block) {
  ViewsDifference result{1.0, 1.0, 1.0, 0.0};
  if (block <= 0 || reference.side <= 0 || reference.count <= 0 || reference.side % block != 0 ||
      reference.side != other.side || reference.count != other.count)
    return result;
  const int pixels = reference.side / block;
  const auto side = static_cast<std::size_t>(reference.side);
  const std::size_t samples = static_cast<std::size_t>(reference.count) * side * side;
  if (reference.covered.size() != samples || other.covered.size() != samples) return result;
  double larger = 0, referenceMore = 0, otherMore = 0, area = 0;
  for (int view = 0; view < reference.count; ++view)
    for (int py = 0; py < pixels; ++py)
      for (int px = 0; px < pixels; ++px) {
        double a = 0, b = 0;
        for (int y = py * block; y < (py + 1) * block; ++y)
          for (int x = px * block; x < (px + 1) * block; ++x) {
            const std::size_t i =
                (static_cast<std::size_t>(view) * side + static_cast<std::size_t>(y)) * side +
                static_cast<std::size_t>(x);
            a += Covered(reference, i);
            b += Covered(other, i);
          }
        larger += std::max(a, b);
        referenceMore += std::max(0.0, a - b);
        otherMore += std::max(0.0, b - a);
        area += a;
      }
  result = {};
  if (larger > 0) result.silhouette = (referenceMore + otherMore) / larger;
  if (area > 0) {
    result.missing = referenceMore / area;
    result.extra = otherMore / area;
  }
  return result;
}

}  // namespace vh
