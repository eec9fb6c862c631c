// The bytes handed to the GL upload: tightly packed RGB rows from the top.
#include <gtest/gtest.h>

#include "view/texture_upload.h"

namespace {

vh::Image Numbered(int width, int height, int channels) {
  vh::Image image(width, height, channels);
  for (std::size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = static_cast<std::uint8_t>(i);
  return image;
}

TEST(TextureUpload, RgbPicturesAreCopiedAsTheyAre) {
  const vh::Image image = Numbered(3, 2, 3);  // rows of 9 bytes: not 4-byte aligned
  EXPECT_EQ(vh::PackedRgb(image), image.pixels);
}

TEST(TextureUpload, AlphaIsDroppedAndRowsStayInOrder) {
  const vh::Image image = Numbered(2, 2, 4);
  const std::vector<std::uint8_t> expected{0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14};
  EXPECT_EQ(vh::PackedRgb(image), expected);
}

TEST(TextureUpload, EmptyPictureGivesNoBytes) { EXPECT_TRUE(vh::PackedRgb(vh::Image()).empty()); }

TEST(TextureUpload, NumbersOutsideTheProgramsTexturesAreTheirOwnNames) {
  // No context is needed for these: only 1..3 are mapped.
  EXPECT_EQ(vh::TextureObjectName(0), 0u);
  EXPECT_EQ(vh::TextureObjectName(7), 7u);
}

}  // namespace
