// Trees and pictures for the glTF export tests.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "fileio/document.h"
#include "fileio/export_scene.h"
#include "foundations/image.h"
#include "tree/tree.h"

namespace vh::test {

inline const std::string kLeafyDocument = VH_TEST_DATA_DIR "/small_leafy_tree.vhm";

// A picture of the given size with a gradient, opaque unless `alpha`
// (then the left half is transparent).
inline Image GradientPicture(int width, int height, bool alpha = false) {
  Image picture(width, height, alpha ? 4 : 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = picture.At(x, y);
      p[0] = static_cast<std::uint8_t>(x * 255 / std::max(1, width - 1));
      p[1] = static_cast<std::uint8_t>(y * 255 / std::max(1, height - 1));
      p[2] = 90;
      if (alpha) p[3] = x < width / 2 ? 0 : 255;
    }
  return picture;
}

// The leafy test tree, both materials textured when `textured`.
inline void GrowLeafyTree(Tree& tree, bool textured) {
  TreeParameters params = ReadDocumentFile(kLeafyDocument, TreeParameters());
  params.leafTextureLoaded = textured;
  params.barkTextureLoaded = textured;
  Generate(params, {}, {}, tree);
}

// The leafy test tree with both materials textured, and its two pictures.
struct TexturedLeafyTree {
  TexturedLeafyTree(Image barkPicture, Image leafPicture)
      : bark(std::move(barkPicture)), leaf(std::move(leafPicture)) {
    GrowLeafyTree(tree, true);
  }
  MaterialPictures Pictures() const {
    MaterialPictures pictures;
    pictures.bark = &bark;
    pictures.leaf = &leaf;
    return pictures;
  }
  Tree tree;
  Image bark, leaf;
};

// A tree of more than 65,535 vertices: the default tree, finely
// tessellated and one level deeper.
inline void GrowTreeOverSixteenBits(Tree& tree) {
  TreeParameters params;
  params.lastParentLevel = 3;
  for (LevelParameters& level : params.levels) {
    level.qualityHeight = 24;
    level.qualityAngle = 18;
  }
  Generate(params, {}, {}, tree);
}

// A triangle written with its corners rotated so that the smallest index
// comes first (winding kept), for comparing triangle lists whose order a
// writer may change.
using IndexTriangle = std::array<std::uint32_t, 3>;
inline IndexTriangle Canonical(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
  if (b < a && b < c) return {b, c, a};
  if (c < a && c < b) return {c, a, b};
  return {a, b, c};
}

}  // namespace vh::test
