// Silhouettes of a mesh drawn with the viewer's own frame in a headless
// OpenGL context, for the benchmarks that measure how closely a
// simplification stands in for its tree.
#pragma once

#include <GL/gl.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "tree/mesh.h"
#include "view/draw_list_cache.h"
#include "view/headless_gl.h"
#include "view/viewer.h"

namespace vh::bench {

inline constexpr int kViewSide = 256;
inline constexpr int kViewpoints = 8;

// The one context of the program, made on first use with the view's state.
inline HeadlessGl& Context() {
  static HeadlessGl* gl = [] {
    auto* made = new HeadlessGl;  // lives as long as the program
    InitViewState();
    return made;
  }();
  return *gl;
}

// The display lists of that context.
inline DrawListCache& Lists() {
  static DrawListCache lists;
  return lists;
}

// Silhouette masks of `contents` from 8 viewpoints around `tree` (every
// 45 degrees, 15 degrees above the horizon, perspective 60 degrees, the
// whole tree in view), one after the other. A pixel belongs to the
// silhouette when it is not the white background.
inline std::vector<bool> Silhouettes(const MeshObject& tree, FrameContents contents) {
  Vector3 low{1e30f, 1e30f, 1e30f}, high{-1e30f, -1e30f, -1e30f};
  for (const auto& submesh : tree.submeshes)
    for (const Vertex& v : submesh->vertices) {
      low = {std::fmin(low.x, v.position.x), std::fmin(low.y, v.position.y), std::fmin(low.z, v.position.z)};
      high = {std::fmax(high.x, v.position.x), std::fmax(high.y, v.position.y), std::fmax(high.z, v.position.z)};
    }
  const Vector3 centre = (low + high) * 0.5f;
  const float radius = std::sqrt(LengthSquared(high - low)) * 0.5f;
  const float distance = radius / std::sin(0.5f) * 1.05f;  // the whole tree fits the 60-degree view

  Context().BindFramebuffer(kViewSide, kViewSide);
  std::vector<bool> masks;
  std::vector<std::uint8_t> pixels(kViewSide * kViewSide * 4);
  for (int view = 0; view < kViewpoints; ++view) {
    const float azimuth = static_cast<float>(view) * 0.78539816f;
    const float elevation = 0.26179939f;
    const Vector3 direction{std::cos(elevation) * std::sin(azimuth), std::sin(elevation),
                            std::cos(elevation) * std::cos(azimuth)};
    Camera camera;
    camera.viewportWidth = camera.viewportHeight = kViewSide;
    camera.position = centre + direction * distance;
    camera.forward = direction * -1.0f;
    camera.up = {0.0f, 1.0f, 0.0f};
    camera.focusDistance = distance;
    RenderFrame(camera, contents, Lists());
    glReadPixels(0, 0, kViewSide, kViewSide, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    for (std::size_t i = 0; i < pixels.size(); i += 4)
      masks.push_back(!(pixels[i] == 255 && pixels[i + 1] == 255 && pixels[i + 2] == 255));
  }
  return masks;
}

// How two sets of silhouettes differ: pixels where exactly one covers it
// over the pixels either covers (0 identical, 1 disjoint), and the parts
// only the reference or only the other covers, over the reference's area.
struct SilhouetteDifference {
  double difference = 0.0;
  double missing = 0.0;
  double extra = 0.0;
};

inline SilhouetteDifference CompareSilhouettes(const std::vector<bool>& reference, const std::vector<bool>& other) {
  double either = 0, referenceOnly = 0, otherOnly = 0, area = 0;
  for (std::size_t i = 0; i < reference.size() && i < other.size(); ++i) {
    either += reference[i] || other[i];
    referenceOnly += reference[i] && !other[i];
    otherOnly += other[i] && !reference[i];
    area += reference[i];
  }
  SilhouetteDifference result;
  if (either > 0) result.difference = (referenceOnly + otherOnly) / either;
  if (area > 0) {
    result.missing = referenceOnly / area;
    result.extra = otherOnly / area;
  }
  return result;
}

}  // namespace vh::bench
