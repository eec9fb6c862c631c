#include <gtest/gtest.h>

#include <stdexcept>

#include "billboard/atlas.h"
#include "tree/mesh.h"

namespace vh {
namespace {

// A picture whose every pixel tells where it came from.
Image Gradient(int w, int h) {
  Image image(w, h, 3);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = image.At(x, y);
      p[0] = static_cast<std::uint8_t>(x);
      p[1] = static_cast<std::uint8_t>(y);
      p[2] = 200;
    }
  }
  return image;
}

std::shared_ptr<Submesh> Quad() {
  auto quad = std::make_shared<Submesh>();
  const Vector2 uv[4] = {{1, 1}, {1, 0}, {0, 0}, {0, 1}};
  for (const Vector2& t : uv) {
    Vertex v;
    v.texCoord = t;
    v.hasTexCoord = true;
    quad->vertices.push_back(v);
  }
  return quad;
}

void ExpectPixel(const Image& image, int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  const std::uint8_t* p = image.At(x, y);
  EXPECT_EQ(p[0], r) << x << "," << y;
  EXPECT_EQ(p[1], g) << x << "," << y;
  EXPECT_EQ(p[2], b) << x << "," << y;
}

TEST(Atlas, OnePictureDrawnWithoutNodeEdgesAndCoordinatesRemapped) {
  auto quad = Quad();
  const Image atlas = AssembleAtlas({Gradient(128, 128)}, {quad.get()});
  ASSERT_EQ(atlas.width, 151);
  ASSERT_EQ(atlas.height, 151);
  // The 128-pixel picture is drawn at 127 x 127: nearest neighbour x * 128 / 127.
  for (int y : {0, 1, 63, 126}) {
    for (int x : {0, 5, 100, 126}) {
      ExpectPixel(atlas, x, y, static_cast<std::uint8_t>(x * 128 / 127),
                  static_cast<std::uint8_t>(y * 128 / 127), 200);
    }
  }
  for (int i : {0, 60, 127, 150}) {
    ExpectPixel(atlas, 127, i, kKeyRed, kKeyGreen, kKeyBlue);  // node's right column left out
    ExpectPixel(atlas, i, 127, kKeyRed, kKeyGreen, kKeyBlue);  // and its bottom row
  }
  const float edge = static_cast<float>(127.0L / 151);
  EXPECT_EQ(quad->vertices[0].texCoord, Vector2(edge, edge));
  EXPECT_EQ(quad->vertices[1].texCoord, Vector2(edge, 0.0f));
  EXPECT_EQ(quad->vertices[2].texCoord, Vector2(0.0f, 0.0f));
  EXPECT_EQ(quad->vertices[3].texCoord, Vector2(0.0f, edge));
  EXPECT_EQ(quad->revision, 1u) << "the moved coordinates must be drawn again";
}

TEST(Atlas, SecondPictureCoordinatesPointAtItsNode) {
  auto a = Quad();
  auto b = Quad();
  const Image atlas = AssembleAtlas({Gradient(32, 32), Gradient(32, 32)}, {a.get(), b.get()});
  const AtlasLayout layout = LayoutAtlas({{32, 32}, {32, 32}});
  ASSERT_EQ(atlas.width, layout.side);
  const AtlasPlace& place = layout.places[1];
  const auto side = static_cast<long double>(layout.side);
  EXPECT_EQ(b->vertices[2].texCoord,
            Vector2(static_cast<float>(place.x0 / side), static_cast<float>(place.y0 / side)));
  EXPECT_EQ(b->vertices[0].texCoord, Vector2(static_cast<float>((place.x1 - place.x0 + place.x0) / side),
                                             static_cast<float>((place.y1 - place.y0 + place.y0) / side)));
  ExpectPixel(atlas, place.x0, place.y0, 0, 0, 200);  // the picture's top-left pixel
}

TEST(Atlas, EmptyListGivesEmptyAtlas) {
  const Image atlas = AssembleAtlas({}, {});
  EXPECT_TRUE(atlas.Empty());
}

TEST(Atlas, RejectsMismatchedInput) {
  auto quad = Quad();
  EXPECT_THROW(AssembleAtlas({Gradient(4, 4)}, {}), std::runtime_error);
  Image broken = Gradient(4, 4);
  broken.pixels.resize(10);
  EXPECT_THROW(AssembleAtlas({broken}, {quad.get()}), std::runtime_error);
}

TEST(Atlas, TransparencyIsBlackExactlyOnKeyColour) {
  Image atlas = KeyColourImage(3, 2);
  const std::uint8_t nearKey[][3] = {{51, 134, 40}, {50, 135, 40}, {50, 134, 41}};
  for (int i = 0; i < 3; ++i) std::copy_n(nearKey[i], 3, atlas.At(i, 1));
  const Image mask = TransparencyMask(atlas);
  ASSERT_EQ(mask.channels, 3);
  for (int x = 0; x < 3; ++x) {
    ExpectPixel(mask, x, 0, 0, 0, 0);
    ExpectPixel(mask, x, 1, 255, 255, 255);
  }
}

TEST(Atlas, OutputTexturesAreScaledToResolution) {
  Image atlas = KeyColourImage(151, 151);
  for (int y = 0; y < 75; ++y) {
    for (int x = 0; x < 75; ++x) atlas.At(x, y)[0] = 0;  // top-left quarter drawn
  }
  for (int resolution : {5, 8, 11}) {
    const BillboardTextures textures = MakeBillboardTextures(atlas, resolution);
    const int e = 1 << resolution;
    ASSERT_EQ(textures.colour.width, e);
    ASSERT_EQ(textures.colour.height, e);
    ASSERT_EQ(textures.transparency.width, e);
    ASSERT_EQ(textures.transparency.height, e);
    ExpectPixel(textures.colour, 0, 0, 0, kKeyGreen, kKeyBlue);
    ExpectPixel(textures.colour, e - 1, e - 1, kKeyRed, kKeyGreen, kKeyBlue);
    ExpectPixel(textures.transparency, 0, 0, 255, 255, 255);
    ExpectPixel(textures.transparency, e - 1, e - 1, 0, 0, 0);
  }
}

TEST(Atlas, EmptyAtlasGivesTransparentTexturesOfFullSize) {
  const BillboardTextures textures = MakeBillboardTextures(Image(), 5);
  ASSERT_EQ(textures.colour.width, 32);
  ASSERT_EQ(textures.transparency.height, 32);
  ExpectPixel(textures.colour, 31, 0, kKeyRed, kKeyGreen, kKeyBlue);
  ExpectPixel(textures.transparency, 0, 31, 0, 0, 0);
}

TEST(Atlas, RejectsResolutionOutsideSlider) {
  EXPECT_THROW(MakeBillboardTextures(Image(), 4), std::runtime_error);
  EXPECT_THROW(MakeBillboardTextures(Image(), 13), std::runtime_error);
}

TEST(Atlas, ScaleNearestPicksSourcePixels) {
  const Image source = Gradient(4, 2);
  const Image up = ScaleNearest(source, 8, 4);
  ExpectPixel(up, 7, 3, 3, 1, 200);
  ExpectPixel(up, 2, 1, 1, 0, 200);
  const Image down = ScaleNearest(Gradient(100, 100), 10, 10);
  ExpectPixel(down, 9, 3, 90, 30, 200);
  EXPECT_TRUE(ScaleNearest(source, 0, 5).Empty());
}

TEST(Atlas, KeyedRgbaMakesKeyColourTransparent) {
  Image colour = KeyColourImage(2, 1);
  colour.At(1, 0)[2] = 41;
  const Image rgba = KeyedRgba(colour);
  ASSERT_EQ(rgba.channels, 4);
  EXPECT_EQ(rgba.At(0, 0)[3], 0);
  EXPECT_EQ(rgba.At(1, 0)[3], 255);
  EXPECT_EQ(rgba.At(1, 0)[2], 41);
}

}  // namespace
}  // namespace vh
