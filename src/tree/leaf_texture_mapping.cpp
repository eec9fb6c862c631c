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
  return {params.leafTexRotate, params.leafTexTranslateX, params.leafTexTranslateY, params.leafTexScale};
}

LeafPictureMapping::LeafPictureMapping(const LeafPlacement& placement, int editorWidth, int editorHeight,
                                       int pictureWidth, int pictureHeight) {
  if (pictureWidth <= 0 || pictureHeight <= 0) {
    pictureWidth = editorWidth;
    pictureHeight = editorHeight;
  }
  if (pictureWidth <= 0 || pictureHeight <= 0 || editorHeight <= 0) {
    m_degenerate = true;
    return;
  }
  const long double theta = static_cast<long double>(placement.rotate) * kPi / 180.0L;
  m_cos = std::cos(theta);
  m_sin = std::sin(theta);
  m_centreX = static_cast<long double>(static_cast<float>(editorWidth) * 0.5f);
  m_centreY = static_cast<long double>(static_cast<float>(editorHeight) * 0.5f);
  // At 100 % the picture's height spans the editor's height.
  m_scale = static_cast<long double>(placement.scale) * 0.01L *
            (static_cast<long double>(pictureHeight) / static_cast<long double>(editorHeight));
  m_translateX = placement.translateX;
  m_translateY = placement.translateY;
  m_width = pictureWidth;
  m_height = pictureHeight;
}

void LeafPictureMapping::PicturePoint(int x, int y, long double& column, long double& row) const {
  if (m_degenerate) {
    column = 0.0L;
    row = 0.0L;
    return;
  }
  const long double dx = static_cast<long double>(x) - m_translateX - m_centreX;
  const long double dy = static_cast<long double>(y) - m_translateY - m_centreY;
  column = (m_centreX + m_cos * dx - m_sin * dy) * m_scale;
  row = (m_centreY + m_sin * dx + m_cos * dy) * m_scale;
}

Vector2 LeafPictureMapping::TexCoord(int x, int y) const {
  if (m_degenerate) return {0.0f, 0.0f};
  long double column = 0.0L;
  long double row = 0.0L;
  PicturePoint(x, y, column, row);
  return {static_cast<float>(column / m_width), static_cast<float>(row / m_height)};
}

}  // namespace vh
