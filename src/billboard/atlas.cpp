#include "billboard/atlas.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "billboard/packing.h"
#include "tree/mesh.h"

namespace vh {

namespace {

void CheckPicture(const Image& picture, std::size_t index) {
  const bool channelsOk = picture.channels == 3 || picture.channels == 4;
  const bool sizeOk = picture.width >= 0 && picture.height >= 0 && channelsOk &&
                      picture.pixels.size() == static_cast<std::size_t>(picture.width) *
                                                   static_cast<std::size_t>(picture.height) *
                                                   static_cast<std::size_t>(picture.channels);
  if (!sizeOk) {
    throw std::runtime_error("Billboard picture " + std::to_string(index) + " (" +
                             std::to_string(picture.width) + " x " + std::to_string(picture.height) + ", " +
                             std::to_string(picture.channels) +
                             " channels) does not hold the pixels its size promises");
  }
}

// Copies the picture, scaled to w x h, into the atlas at (left, top).
void DrawScaled(Image& atlas, const Image& picture, int left, int top, int w, int h) {
  if (w <= 0 || h <= 0 || picture.Empty()) return;
  const Image scaled = ScaleNearest(picture, w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const std::uint8_t* from = scaled.At(x, y);
      std::uint8_t* to = atlas.At(left + x, top + y);
      to[0] = from[0];
      to[1] = from[1];
      to[2] = from[2];
    }
  }
}

// One packing attempt at the given side; false when a rectangle found no room.
bool TryLayout(const std::vector<std::pair<int, int>>& sizes, AtlasLayout& layout) {
  PackingNode root(0, 0, layout.side, layout.side);
  layout.places.assign(sizes.size(), AtlasPlace{});
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    const PackingNode* node = root.Insert(sizes[i].first, sizes[i].second);
    if (node == nullptr) return false;
    layout.places[i] = AtlasPlace{true, node->x0, node->y0, node->x1, node->y1};
  }
  return true;
}

}  // namespace

Image KeyColourImage(int width, int height) {
  if (width <= 0 || height <= 0) return Image();
  Image image(width, height, 3);
  for (std::size_t i = 0; i < image.pixels.size(); i += 3) {
    image.pixels[i] = kKeyRed;
    image.pixels[i + 1] = kKeyGreen;
    image.pixels[i + 2] = kKeyBlue;
  }
  return image;
}

void FillKeyedPixels(Image& picture, const Image& behind) {
  if (picture.width != behind.width || picture.height != behind.height) return;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      std::uint8_t* to = picture.At(x, y);
      if (IsKeyColour(to)) std::copy_n(behind.At(x, y), 3, to);
    }
}

Image ScaleNearest(const Image& source, int width, int height) {
  if (width <= 0 || height <= 0) return Image(0, 0, source.channels);
  Image result(width, height, source.channels);
  if (source.Empty()) return result;
  const auto channels = static_cast<std::size_t>(source.channels);
  for (int y = 0; y < height; ++y) {
    const auto sy = static_cast<int>(static_cast<std::int64_t>(y) * source.height / height);
    const std::uint8_t* row = source.Row(sy);
    std::uint8_t* to = result.Row(y);
    for (int x = 0; x < width; ++x) {
      const auto sx = static_cast<std::size_t>(static_cast<std::int64_t>(x) * source.width / width);
      std::copy_n(row + sx * channels, channels, to + static_cast<std::size_t>(x) * channels);
    }
  }
  return result;
}

int AtlasSide(float areaSum) {
  // The sum counts whole pixels, so it is a whole number even in single
  // precision. s^2 <= 1.4 sum is 5 s^2 <= 7 sum in integers; the root in
  // floating point only gives the first guess, which the exact test then
  // corrects (1.4 * 35840 = 224^2 comes out just below 50176 otherwise).
  if (!(areaSum >= 0.0f) || areaSum > kMaxAtlasAreaSum) {
    throw std::runtime_error("Billboard pictures of " + std::to_string(areaSum) +
                             " pixels in all do not fit one atlas");
  }
  const auto sum = static_cast<std::uint64_t>(areaSum);
  auto side = static_cast<std::uint64_t>(std::sqrt(1.4L * sum));
  while (5 * (side + 1) * (side + 1) <= 7 * sum) ++side;
  while (side > 0 && 5 * side * side > 7 * sum) --side;
  return static_cast<int>(side);
}

AtlasLayout LayoutAtlas(const std::vector<std::pair<int, int>>& sizes) {
  // The area sum is kept in single precision, as the atlas side has always
  // been computed, so that layouts stay the same pixel for pixel.
  float area = 0.0f;
  for (const auto& [w, h] : sizes) {
    if (w < 0 || h < 0) throw std::runtime_error("Billboard picture with a negative size");
    area = static_cast<float>(static_cast<Ext>(area) + static_cast<Ext>(w) * h);
  }
  AtlasLayout layout;
  layout.side = AtlasSide(area);
  // First-fit packing in list order may leave a late, large picture without
  // room; rather than dropping it (its billboard would then show the whole
  // atlas) the atlas grows until every picture has a place.
  while (!TryLayout(sizes, layout)) layout.side += std::max(1, layout.side / 8);
  return layout;
}

Image AssembleAtlas(const std::vector<Image>& pictures, const std::vector<Submesh*>& billboards) {
  if (pictures.size() != billboards.size()) {
    throw std::runtime_error("Billboard atlas: " + std::to_string(pictures.size()) + " pictures for " +
                             std::to_string(billboards.size()) + " billboards");
  }
  std::vector<std::pair<int, int>> sizes;
  sizes.reserve(pictures.size());
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    CheckPicture(pictures[i], i);
    sizes.emplace_back(pictures[i].width, pictures[i].height);
  }
  const AtlasLayout layout = LayoutAtlas(sizes);
  Image atlas = KeyColourImage(layout.side, layout.side);
  if (layout.side == 0) return atlas;
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    const AtlasPlace& place = layout.places[i];
    const int w = place.x1 - place.x0;
    const int h = place.y1 - place.y0;
    DrawScaled(atlas, pictures[i], place.x0, place.y0, w, h);
    for (Vertex& vertex : billboards[i]->vertices) {
      vertex.texCoord.x =
          static_cast<float>((static_cast<Ext>(vertex.texCoord.x) * w + place.x0) / layout.side);
      vertex.texCoord.y =
          static_cast<float>((static_cast<Ext>(vertex.texCoord.y) * h + place.y0) / layout.side);
    }
    ++billboards[i]->revision;
  }
  return atlas;
}

Image TransparencyMask(const Image& atlas) {
  Image mask(atlas.width, atlas.height, 3);
  for (int y = 0; y < atlas.height; ++y) {
    for (int x = 0; x < atlas.width; ++x) {
      const std::uint8_t value = IsKeyColour(atlas.At(x, y)) ? 0 : 255;
      std::uint8_t* to = mask.At(x, y);
      to[0] = to[1] = to[2] = value;
    }
  }
  return mask;
}

BillboardTextures MakeBillboardTextures(const Image& atlas, int resolution) {
  if (resolution < 5 || resolution > 12) {
    throw std::runtime_error("Billboard texture resolution " + std::to_string(resolution) +
                             " is outside 5..12");
  }
  const int e = 1 << resolution;
  BillboardTextures textures;
  if (atlas.Empty()) {
    // Nothing was drawn: the whole texture is background, hence transparent.
    textures.colour = KeyColourImage(e, e);
    textures.transparency = Image(e, e, 3);
    return textures;
  }
  textures.colour = ScaleNearest(atlas, e, e);
  textures.transparency = ScaleNearest(TransparencyMask(atlas), e, e);
  return textures;
}

Image KeyedRgba(const Image& colour) {
  Image rgba(colour.width, colour.height, 4);
  for (int y = 0; y < colour.height; ++y) {
    for (int x = 0; x < colour.width; ++x) {
      const std::uint8_t* from = colour.At(x, y);
      std::uint8_t* to = rgba.At(x, y);
      to[0] = from[0];
      to[1] = from[1];
      to[2] = from[2];
      to[3] = IsKeyColour(from) ? 0 : 255;
    }
  }
  return rgba;
}

}  // namespace vh
