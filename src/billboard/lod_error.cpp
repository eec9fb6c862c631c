#include "billboard/lod_error.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "billboard/atlas.h"

namespace vh {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr float kMargin = 0.01f;

bool Drawn(const Image& picture, int x, int y) { return !IsKeyColour(picture.At(x, y)); }

// Pixels of the reference's outline next to one outside it (or at the
// picture's border).
double EdgePixels(const Image& picture) {
  double edge = 0;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      if (!Drawn(picture, x, y)) continue;
      const bool inside = x > 0 && y > 0 && x + 1 < picture.width && y + 1 < picture.height &&
                          Drawn(picture, x - 1, y) && Drawn(picture, x + 1, y) && Drawn(picture, x, y - 1) &&
                          Drawn(picture, x, y + 1);
      edge += inside ? 0 : 1;
    }
  return edge;
}

void CheckSize(const Image& picture, const PictureFrame& frame) {
  if (picture.width != frame.width || picture.height != frame.height)
    throw std::runtime_error("A picture of " + std::to_string(picture.width) + " x " +
                             std::to_string(picture.height) + " pixels does not fit its frame of " +
                             std::to_string(frame.width) + " x " + std::to_string(frame.height));
}

}  // namespace

std::vector<PictureFrame> MeasuringFrames(const MeshObject& tree, int count, int height) {
  Vector3 low{1e30f, 1e30f, 1e30f}, high{-1e30f, -1e30f, -1e30f};
  bool any = false;
  for (const auto& submesh : tree.submeshes)
    for (const Vertex& v : submesh->vertices) {
      low = {std::min(low.x, v.position.x), std::min(low.y, v.position.y), std::min(low.z, v.position.z)};
      high = {std::max(high.x, v.position.x), std::max(high.y, v.position.y), std::max(high.z, v.position.z)};
      any = true;
    }
  std::vector<PictureFrame> frames;
  if (!any) return frames;
  const Vector3 centre = (low + high) * 0.5f;
  const float margin = kMargin * std::max({high.x - low.x, high.y - low.y, high.z - low.z, 1e-6f});
  const float bottom = low.y - margin, top = high.y + margin;
  const double pixel = static_cast<double>(top - bottom) / height;
  for (int k = 0; k < count; ++k) {
    const double angle = kPi * (k + 0.5) / count;
    const Vector3 d{static_cast<float>(std::cos(angle)), 0.0f, static_cast<float>(std::sin(angle))};
    float from = 1e30f, to = -1e30f;
    for (const auto& submesh : tree.submeshes)
      for (const Vertex& v : submesh->vertices) {
        const float along = Dot(v.position - centre, d);
        from = std::min(from, along);
        to = std::max(to, along);
      }
    from -= margin;
    to += margin;
    const Vector3 foot{centre.x, 0.0f, centre.z}, up{0.0f, 1.0f, 0.0f};
    PictureFrame frame;
    frame.v0 = foot + d * to + up * bottom;
    frame.v1 = foot + d * to + up * top;
    frame.v2 = foot + d * from + up * top;
    frame.height = height;
    frame.width = std::max(1, static_cast<int>(std::lround((to - from) / pixel)));
    frames.push_back(frame);
  }
  return frames;
}

double OutlineError(const std::vector<Image>& reference, const std::vector<Image>& level,
                    const std::vector<PictureFrame>& frames) {
  if (reference.size() != frames.size() || level.size() != frames.size())
    throw std::runtime_error("Outline error: " + std::to_string(reference.size()) + " and " +
                             std::to_string(level.size()) + " pictures for " + std::to_string(frames.size()) +
                             " frames");
  if (frames.empty()) return 0.0;
  double sum = 0.0;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    CheckSize(reference[i], frames[i]);
    CheckSize(level[i], frames[i]);
    double differing = 0;
    for (int y = 0; y < frames[i].height; ++y)
      for (int x = 0; x < frames[i].width; ++x)
        differing += Drawn(reference[i], x, y) != Drawn(level[i], x, y) ? 1 : 0;
    double edge = EdgePixels(reference[i]);
    if (edge == 0) edge = std::max(differing, 1.0);
    const double pixel =
        std::sqrt(static_cast<double>(LengthSquared(frames[i].v1 - frames[i].v0))) / frames[i].height;
    sum += differing / edge * pixel;
  }
  return sum / static_cast<double>(frames.size());
}

Image CardsThroughFrame(const CardLayout& layout, const std::vector<Image>& pictures,
                        const PictureFrame& frame) {
  Image seen = KeyColourImage(frame.width, frame.height);
  const Vector3 look = FrameNormal(frame);
  struct Card {
    Vector3 corner, across, down, normal;  // top-left corner, to the top-right one, to the bottom-left one
    double acrossLength2, downLength2;
    const Image* picture;
  };
  std::vector<Card> cards;
  for (std::size_t i = 0; i < layout.cards.size() && i < pictures.size(); ++i) {
    const PictureFrame& card = layout.cards[i];
    const Vector3 across = card.v1 - card.v2, down = card.v0 - card.v1;
    cards.push_back(
        {card.v2, across, down, FrameNormal(card), LengthSquared(across), LengthSquared(down), &pictures[i]});
  }
  for (int y = 0; y < frame.height; ++y)
    for (int x = 0; x < frame.width; ++x) {
      const Vector3 point = FramePoint(frame, (x + 0.5) / frame.width, (y + 0.5) / frame.height);
      for (const Card& card : cards) {
        const double facing = Dot(look, card.normal);
        if (std::fabs(facing) < 1e-6 || card.picture->Empty()) continue;  // seen edge on
        const double t = Dot(card.corner - point, card.normal) / facing;
        const Vector3 hit = point + look * static_cast<float>(t);
        const double u = Dot(hit - card.corner, card.across) / card.acrossLength2;
        const double v = Dot(hit - card.corner, card.down) / card.downLength2;
        if (u < 0 || u >= 1 || v < 0 || v >= 1) continue;
        const std::uint8_t* texel = card.picture->At(static_cast<int>(u * card.picture->width),
                                                     static_cast<int>(v * card.picture->height));
        if (IsKeyColour(texel)) continue;
        std::uint8_t* to = seen.At(x, y);
        to[0] = texel[0];
        to[1] = texel[1];
        to[2] = texel[2];
        break;
      }
    }
  return seen;
}

}  // namespace vh
