// The billboard texture atlas: every billboard picture of one run packed into
// one square image, the billboards' texture coordinates moved onto their
// pictures, and the two square output textures (colour and transparency).
//
// Pixels that no triangle covered carry the key colour (50, 134, 40); the
// transparency image is black exactly there and white everywhere else.
#pragma once

#include <cstdint>
#include <vector>

#include "foundations/image.h"

namespace vh {

class Submesh;

inline constexpr std::uint8_t kKeyRed = 50;
inline constexpr std::uint8_t kKeyGreen = 134;
inline constexpr std::uint8_t kKeyBlue = 40;

// True when the first three bytes of the pixel are exactly the key colour.
inline bool IsKeyColour(const std::uint8_t* pixel) {
  return pixel[0] == kKeyRed && pixel[1] == kKeyGreen && pixel[2] == kKeyBlue;
}

// A width x height RGB image filled with the key colour (empty for sizes <= 0).
Image KeyColourImage(int width, int height);

// Where `picture` shows the key colour, what `behind` shows (pictures of
// different sizes leave `picture` as it is).
void FillKeyedPixels(Image& picture, const Image& behind);

// Nearest-neighbour scaling of an RGB or RGBA picture to width x height pixels
// (same channel count). Destination pixel (x, y) takes source pixel
// (x * sw / width, y * sh / height). An empty source or destination size gives
// an image of the requested size (empty if either size is <= 0) filled with zeros.
Image ScaleNearest(const Image& source, int width, int height);

// Where one picture went: the inclusive bounds of its packing node.
struct AtlasPlace {
  bool placed = false;
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

struct AtlasLayout {
  int side = 0;                    // the atlas is side x side pixels
  std::vector<AtlasPlace> places;  // one per input size, in input order
};

// trunc(sqrt(1.4 * areaSum)) for a whole-numbered sum of picture areas,
// computed exactly: when 1.4 times the sum is a perfect square (35840 gives
// 50176 = 224^2), the side is its root, not one less. Throws
// std::runtime_error for a negative sum or one above kMaxAtlasAreaSum.
inline constexpr float kMaxAtlasAreaSum = 1e15f;
int AtlasSide(float areaSum);

// Packs rectangles of the given sizes (width, height, both >= 0), first-fit
// in list order with PackingNode, into a square of side
// AtlasSide(sum of areas), the sum accumulated in single precision;
// the root node spans (0, 0, side, side). When a rectangle finds no room, the
// side grows by max(1, side / 8) and everything is packed again in the same
// order, until every rectangle is placed; so no billboard is ever left
// without its own picture.
AtlasLayout LayoutAtlas(const std::vector<std::pair<int, int>>& sizes);

// Builds the atlas of the pictures (RGB or RGBA; the first three channels are
// used): side x side RGB filled with the key colour, each picture scaled
// (nearest neighbour) into its node without the node's right column and
// bottom row, i.e. into (x1 - x0) x (y1 - y0) pixels at (x0, y0). Then remaps
// the texture coordinates of billboards[i], the submesh of picture i:
// u <- (u (x1 - x0) + x0) / side, v <- (v (y1 - y0) + y0) / side. With side 0
// (no pictures, or only empty ones) nothing is remapped.
// Throws std::runtime_error when the counts differ or a picture's pixel
// buffer does not match its size.
Image AssembleAtlas(const std::vector<Image>& pictures, const std::vector<Submesh*>& billboards);

// Black (0, 0, 0) where the pixel is exactly the key colour, white elsewhere;
// RGB, same size as the input.
Image TransparencyMask(const Image& atlas);

struct BillboardTextures {
  Image colour;        // e x e RGB: the atlas scaled
  Image transparency;  // e x e RGB: the transparency mask scaled
};

// The two output textures, e = 2^resolution (resolution 5..12, otherwise
// std::runtime_error). An empty atlas gives a colour texture filled with the
// key colour and an all-black (fully transparent) transparency image.
BillboardTextures MakeBillboardTextures(const Image& atlas, int resolution);

// The colour texture as RGBA bytes for the view, top row first, with alpha 0
// where the pixel is exactly the key colour and 255 elsewhere.
Image KeyedRgba(const Image& colour);

}  // namespace vh
