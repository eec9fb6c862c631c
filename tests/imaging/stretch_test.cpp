#include <gtest/gtest.h>

#include <stdexcept>

#include "imaging/stretch.h"
#include "picture_test_support.h"

namespace vh {
namespace {

TEST(Stretch, SameSizeIsACopy) {
  const Image image = test::PatternImage(9, 5, 4);
  const Image out = Stretch(image, 9, 5);
  EXPECT_EQ(out.channels, 4);
  EXPECT_EQ(out.pixels, image.pixels);
}

TEST(Stretch, NearestNeighbourPicksSourcePixels) {
  const Image image = test::PatternImage(4, 3);
  const Image up = Stretch(image, 8, 9);  // every source pixel twice across, three times down
  const Image down = Stretch(image, 2, 2);
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 8; ++x) {
      for (int c = 0; c < 3; ++c) ASSERT_EQ(up.At(x, y)[c], image.At(x / 2, y / 3)[c]);
    }
  }
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 2; ++x) {
      for (int c = 0; c < 3; ++c) ASSERT_EQ(down.At(x, y)[c], image.At(x * 4 / 2, y * 3 / 2)[c]);
    }
  }
}

TEST(Stretch, RegionIsTakenFromItsCorner) {
  const Image image = test::PatternImage(10, 8);
  const Image out = StretchRegion(image, 3, 2, 5, 4, 4, 5);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 4; ++x) {
      for (int c = 0; c < 3; ++c) ASSERT_EQ(out.At(x, y)[c], image.At(3 + x * 5 / 4, 2 + y * 4 / 5)[c]);
    }
  }
}

TEST(Stretch, RegionsOutsideThePictureAreRefused) {
  const Image image = test::PatternImage(10, 8);
  EXPECT_THROW(StretchRegion(image, 6, 0, 5, 8, 5, 8), std::invalid_argument);
  EXPECT_THROW(StretchRegion(image, -1, 0, 5, 8, 5, 8), std::invalid_argument);
  EXPECT_THROW(StretchRegion(image, 0, 0, 0, 8, 5, 8), std::invalid_argument);
  EXPECT_THROW(Stretch(image, 0, 3), std::invalid_argument);
}

TEST(Stretch, ToRgbDropsAlpha) {
  const Image rgba = test::PatternImage(3, 2, 4);
  const Image rgb = ToRGB(rgba);
  ASSERT_EQ(rgb.channels, 3);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) {
      for (int c = 0; c < 3; ++c) EXPECT_EQ(rgb.At(x, y)[c], rgba.At(x, y)[c]);
    }
  }
}

}  // namespace
}  // namespace vh
