#include <gtest/gtest.h>

#include "imaging/alpha_mipmaps.h"

namespace vh {
namespace {

// An 8 x 8 picture, transparent green but for an opaque red column one
// texel wide at x = 0.
Image Twig() {
  Image picture(8, 8, 4);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      std::uint8_t* p = picture.At(x, y);
      const bool twig = x == 0;
      p[0] = twig ? 200 : 50;
      p[1] = twig ? 10 : 134;
      p[2] = twig ? 10 : 40;
      p[3] = twig ? 255 : 0;
    }
  return picture;
}

TEST(AlphaMipmaps, ThinCutOutsKeepTheirCoverageAndColour) {
  const Image twig = Twig();
  EXPECT_DOUBLE_EQ(AlphaCoverage(twig), 1.0 / 8.0);
  const std::vector<Image> levels = CoverageKeepingMipmaps(twig);
  ASSERT_EQ(levels.size(), 4u);  // 8, 4, 2, 1
  EXPECT_EQ(levels[0].pixels, twig.pixels);
  for (std::size_t i = 1; i < levels.size(); ++i) {
    const Image& level = levels[i];
    EXPECT_EQ(level.width, 8 >> i);
    // Averaged alone, the column would fall below the test from the
    // second level on (alpha 64, then 32); here it stays.
    EXPECT_GE(AlphaCoverage(level), 1.0 / 8.0) << "level " << i;
    EXPECT_GT(level.At(0, 0)[3], 127) << "level " << i;
    // Its colour is the twig's, not mixed with the transparent green.
    EXPECT_EQ(level.At(0, 0)[0], 200);
    EXPECT_EQ(level.At(0, 0)[1], 10);
  }
  EXPECT_LE(AlphaCoverage(levels[1]), 2.0 / 8.0) << "no wider than needed";
}

TEST(AlphaMipmaps, OtherPicturesGetNoLevels) {
  EXPECT_EQ(CoverageKeepingMipmaps(Image(6, 4, 4)).size(), 1u);  // sides not powers of two
  EXPECT_EQ(CoverageKeepingMipmaps(Image(4, 4, 3)).size(), 1u);  // no alpha
  EXPECT_EQ(AlphaCoverage(Image(4, 4, 3)), 0.0);
}

}  // namespace
}  // namespace vh
