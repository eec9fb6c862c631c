#include "leaf_outline.h"

#include <cmath>

#include "tree/leaf_texture_mapping.h"

PlacedLeaf PlaceLeaf(const LeafProfile& profile, int pictureSize, float margin) {
  PlacedLeaf leaf;
  // Picture units per editor pixel: the leaf's length spans the picture's
  // height less the margins.
  const float k = (1.0f - 2.0f * margin) / profile.length;
  const float cx = static_cast<float>(kEditorWidth / 2);
  const float cy = static_cast<float>(kEditorHeight / 2);
  // With no rotation the mapping is u = (X - translateX) * scale / (100 *
  // editor height): the stem (the editor's centre) lands at (0.5, 1 - margin).
  vh::LeafPlacement placement;
  placement.scale = static_cast<int>(std::lround(100.0f * kEditorHeight * k));
  const float kRounded = static_cast<float>(placement.scale) / (100.0f * kEditorHeight);
  placement.translateX = static_cast<int>(std::lround(cx - 0.5f / kRounded));
  placement.translateY = static_cast<int>(std::lround(cy - (1.0f - margin) / kRounded));
  leaf.translateX = placement.translateX;
  leaf.translateY = placement.translateY;
  leaf.scale = placement.scale;

  // Up the right side from the stem to the tip, then down the left side.
  const int n = profile.pointsPerSide;
  std::vector<vh::Vector2> points;
  for (int side : {1, -1}) {
    for (int i = 0; i <= n; ++i) {
      const int step = side > 0 ? i : n - i;
      if (side < 0 && (step == n || step == 0)) continue;  // tip and stem once
      const float a = static_cast<float>(step) / static_cast<float>(n);
      float w = profile.halfWidth(a);
      if (step % 2 == 1) w *= 1.0f + profile.teeth;
      points.push_back({std::round(side * w * profile.length), std::round(-a * profile.length)});
    }
  }
  // What the editor computes for the picture (RecomputeTexCoords).
  const vh::LeafPictureMapping mapping(placement, kEditorWidth, kEditorHeight, pictureSize, pictureSize);
  for (const vh::Vector2& p : points) {
    leaf.outline.push_back(p);
    const int x = static_cast<int>(cx + p.x);
    const int y = static_cast<int>(cy + p.y);
    leaf.texCoords.push_back(mapping.TexCoord(x, y));
  }
  leaf.stem = mapping.TexCoord(static_cast<int>(cx), static_cast<int>(cy));
  leaf.tip = mapping.TexCoord(static_cast<int>(cx), static_cast<int>(cy - profile.length));
  return leaf;
}
