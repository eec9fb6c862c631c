#include "tree/leaf_texture_mapping.h"

#include <cmath>

#include "tree/tree.h"

namespace vh {
namespace {

// The leaf editor has always turned the picture with this value of pi;
// texture coordinates in saved documents depend on it.
constexpr long double kPi = 3.1416L;

}  // namespace

LeafPlacement PlacementOf(const TreeParameters& params) {
  return {params.leafTexRotate, params.leafTexTranslateX, params.leafTexTranslateY,
          params.leafTexScale};
}

LeafPictureMapping::LeafPictureMapping(const LeafPlacement& placement, int editorWidth,
                                       int editorHeight, int pictureWidth, int pictureHeight) {
  if (pictureWidth <= 0 || pictureHeight <= 0) {
    pictureWidth = editorWidth;
    pictureHeight = editorHeight;
  }
  if (pictureWidth <= 0 || pictureHeight <= 0 || editorHeight <= 0) {
    degenerate_ = true;
    return;
  }
  const long double theta = static_cast<long double>(placement.rotate) * kPi / 180.0L;
  cos_ = std::cos(theta);
  sin_ = std::sin(theta);
  centreX_ = static_cast<long double>(static_cast<float>(editorWidth) * 0.5f);
  centreY_ = static_cast<long double>(static_cast<float>(editorHeight) * 0.5f);
  // At 100 % the picture's height spans the editor's height.
  scale_ = static_cast<long double>(placement.scale) * 0.01L *
           (static_cast<long double>(pictureHeight) / static_cast<long double>(editorHeight));
  translateX_ = placement.translateX;
  translateY_ = placement.translateY;
  width_ = pictureWidth;
  height_ = pictureHeight;
}

void LeafPictureMapping::PicturePoint(int x, int y, long double& column, long double& row) const {
  if (degenerate_) {
    column = 0.0L;
    row = 0.0L;
    return;
  }
  const long double dx = static_cast<long double>(x) - translateX_ - centreX_;
  const long double dy = static_cast<long double>(y) - translateY_ - centreY_;
  column = (centreX_ + cos_ * dx - sin_ * dy) * scale_;
  row = (centreY_ + sin_ * dx + cos_ * dy) * scale_;
}

Vector2 LeafPictureMapping::TexCoord(int x, int y) const {
  if (degenerate_) return {0.0f, 0.0f};
  long double column = 0.0L;
  long double row = 0.0L;
  PicturePoint(x, y, column, row);
  return {static_cast<float>(column / width_), static_cast<float>(row / height_)};
}

}  // namespace vh
