#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "bark/bark_tiler.h"
#include "bark/truncation.h"
#include "reference_bark.h"

namespace vh {
namespace {

// A bark-like photograph: fine random texture under lighting that falls off
// from left to right and top to bottom, optionally with a black hole.
Image ShadedPicture(int width, int height, unsigned seed, bool blackHole = false) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> grain(0, 90);
  Image image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double light = 0.35 + 0.65 * (1.0 - 0.5 * x / width - 0.3 * y / height);
      std::uint8_t* p = image.At(x, y);
      for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>((120 + grain(random) + 20 * c) * light);
      const bool inHole = blackHole && x > width / 3 && x < width / 2 && y > height / 4 && y < height / 2;
      if (inHole) p[0] = p[1] = p[2] = 0;
    }
  }
  return image;
}

Image Uniform(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  Image image(width, height);
  for (std::size_t i = 0; i < image.pixels.size(); i += 3) {
    image.pixels[i] = r;
    image.pixels[i + 1] = g;
    image.pixels[i + 2] = b;
  }
  return image;
}

TEST(BarkTiler, AllOptionsOffGiveThePlainCrop) {
  const Image source = ShadedPicture(40, 30, 1);
  EXPECT_EQ(GenerateBarkTile(source, BarkTileOptions{}).pixels, source.pixels);

  BarkTileOptions options;
  options.x0 = 25;
  options.x1 = 75;
  options.y0 = 10;
  options.y1 = 50;
  const Image tile = GenerateBarkTile(source, options);
  ASSERT_EQ(tile.width, 20);
  ASSERT_EQ(tile.height, 12);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 20; ++x) {
      for (int c = 0; c < 3; ++c) ASSERT_EQ(tile.At(x, y)[c], source.At(10 + x, 3 + y)[c]);
    }
  }
}

TEST(BarkTiler, CropOfAnRgbaSourceIsRgb) {
  Image source(10, 10, 4);
  for (std::size_t i = 0; i < source.pixels.size(); ++i) source.pixels[i] = static_cast<std::uint8_t>(i);
  const Image tile = GenerateBarkTile(source, BarkTileOptions{});
  ASSERT_EQ(tile.channels, 3);
  EXPECT_EQ(tile.At(3, 4)[2], source.At(3, 4)[2]);
}

// Truncating the size and the two bounds separately can make the source
// rectangle a pixel wider or narrower than the result.
TEST(BarkTiler, CropBoundsAreTruncatedSeparately) {
  BarkTileOptions options;
  options.x0 = 33;
  options.x1 = 67;
  options.y0 = 0;
  options.y1 = 100;
  const BarkCrop crop = ComputeBarkCrop(250, 7, options);
  EXPECT_EQ(crop.width, 85);   // 250 * 34 * 0.01
  EXPECT_EQ(crop.left, 82);    // 250 * 33 * 0.01 = 82.5
  EXPECT_EQ(crop.right, 167);  // 250 * 67 * 0.01 = 167.5
  EXPECT_EQ(crop.height, 7);

  options.x0 = 10;
  options.x1 = 43;
  const BarkCrop wider = ComputeBarkCrop(15, 7, options);  // size 4.95 -> 4, bounds 1.5 -> 1 and 6.45 -> 6
  EXPECT_EQ(wider.width, 4);
  EXPECT_EQ(wider.right - wider.left, 5);
  const Image source = ShadedPicture(15, 7, 2);
  const Image tile = CropBarkPicture(source, wider);
  ASSERT_EQ(tile.width, 4);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(tile.At(x, 0)[0], source.At(1 + x * 5 / 4, 0)[0]);
}

TEST(BarkTiler, CropsBelowTwoByTwoAreRefused) {
  const struct {
    int x0, x1, y0, y1;
    int width, height;
  } cases[] = {
      {50, 50, 0, 100, 100, 100},   // x1 = x0
      {60, 40, 0, 100, 100, 100},   // x1 < x0
      {0, 100, 30, 31, 100, 100},   // one row
      {0, 1, 0, 100, 150, 100},     // 1.5 pixels wide
      {0, 100, 0, 100, 1, 100},     // a one-pixel-wide source
      {-5, 100, 0, 100, 100, 100},  // out of range
      {0, 101, 0, 100, 100, 100},
  };
  for (const auto& c : cases) {
    BarkTileOptions options;
    options.x0 = c.x0;
    options.x1 = c.x1;
    options.y0 = c.y0;
    options.y1 = c.y1;
    options.shadingRemoval = true;
    options.symmetrize = true;
    int progressCalls = 0;
    const Image source = Uniform(c.width, c.height, 9, 9, 9);
    EXPECT_THROW(GenerateBarkTile(source, options, [&](int) { return ++progressCalls > 0; }), BarkTileError)
        << c.x0 << ".." << c.x1 << " x " << c.y0 << ".." << c.y1;
    EXPECT_EQ(progressCalls, 0) << "work started before the crop was refused";
  }
  EXPECT_THROW(GenerateBarkTile(Image(), BarkTileOptions{}), BarkTileError);
}

TEST(BarkTiler, PassCounts) {
  EXPECT_EQ(HorizontalPassCount(100, 1), 16);
  EXPECT_EQ(HorizontalPassCount(400, 100), 6400);
  EXPECT_EQ(HorizontalPassCount(400, 12), 768);
  EXPECT_EQ(HorizontalPassCount(4000, 12), 7680);
  EXPECT_EQ(HorizontalPassCount(99, 1), 15);
  EXPECT_EQ(VerticalPassCount(500, 2), 2);
  EXPECT_EQ(VerticalPassCount(300, 12), 4);
  EXPECT_EQ(VerticalPassCount(1000, 1), 2);
  EXPECT_EQ(VerticalPassCount(999, 1), 1);
}

// The vertical count is defined by a counting loop against a bound evaluated
// in extended precision; the integer formula must agree everywhere.
TEST(BarkTiler, VerticalPassCountAgreesWithTheCountingLoop) {
  for (int height = 2; height <= 3000; height += 7) {
    for (int strength = 1; strength <= 100; ++strength) {
      const long double bound = static_cast<long double>(height) * 0.1 * strength * 0.01;
      int passes = 0;
      while (passes < bound) ++passes;
      ASSERT_EQ(VerticalPassCount(height, strength), passes) << height << " rows, s = " << strength;
    }
  }
}

struct ShadingCase {
  int width;
  int height;
  int strength;
  bool blackHole;
};

TEST(BarkTiler, ShadingRemovalMatchesTheStraightforwardAlgorithm) {
  const ShadingCase cases[] = {
      {2, 2, 12, false},     {3, 7, 50, false},    {17, 9, 12, false}, {64, 48, 12, false},
      {101, 37, 30, false},  {80, 60, 100, false}, {90, 70, 12, true}, {133, 41, 25, true},
      {400, 300, 12, false}, {301, 203, 20, true},  // shared between threads
      {700, 400, 3, true},                          // summed in three blocks of rows
  };
  unsigned seed = 10;
  for (const ShadingCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height << ", s = " << c.strength
                                      << (c.blackHole ? ", black hole" : ""));
    Image fast = ShadedPicture(c.width, c.height, seed++, c.blackHole);
    Image reference = fast;
    RemoveShading(fast, c.strength);
    test::ReferenceRemoveShading(reference, c.strength);
    EXPECT_EQ(fast.pixels, reference.pixels);
  }
}

// The flattening's truncations give std::trunc's value for what they
// truncate, channels times 255 / L for luminances across their whole
// range, and next to every kind of whole number (just below, on, halfway),
// whatever rounding mode is in force.
TEST(BarkTiler, TruncationsWithoutModeSwitchesMatchTrunc) {
  std::vector<long double> values;
  for (long double l = kDarkLuminance; l <= 255.0L; l *= 1.01L)
    for (int channel = 0; channel < 256; ++channel) values.push_back(channel * (255.0L / l));
  for (long double whole = 1.0L; whole < 0x1p62L; whole = whole < 70000 ? whole + 1.0L : whole * 1.5L)
    for (const long double near : {std::nextafter(whole, 0.0L), whole, whole + 0.5L, whole - 0.5L})
      values.push_back(near);
  const int modes[] = {FE_TONEAREST, FE_DOWNWARD, FE_UPWARD, FE_TOWARDZERO};
  for (const int mode : modes) {
    ASSERT_EQ(std::fesetround(mode), 0);
    std::size_t arithmetic = 0, stored = 0;
    for (const long double value : values) {
      arithmetic += TruncateNonNegative(value) != std::trunc(value);
      if (HasTruncatingStore())
        stored += static_cast<long double>(TruncateByStore(value)) != std::trunc(value);
    }
    std::fesetround(FE_TONEAREST);
    EXPECT_EQ(arithmetic, 0u) << "rounding mode " << mode << ", of " << values.size() << " values";
    EXPECT_EQ(stored, 0u) << "rounding mode " << mode << ", of " << values.size() << " values";
  }
}

// The luminance is evaluated in extended precision: a grey is its own
// luminance (a double evaluation gives 253.99999999999997 for 254).
TEST(BarkTiler, LuminanceOfAGreyIsThatGrey) {
  EXPECT_EQ(Luminance(254, 254, 254), 254.0);
  for (int grey = 0; grey < 256; ++grey) {
    const auto g = static_cast<std::uint8_t>(grey);
    EXPECT_EQ(Luminance(g, g, g), grey);
  }
  // The weights are the doubles nearest to 0.299, 0.587 and 0.114.
  EXPECT_EQ(Luminance(255, 0, 0), static_cast<double>(static_cast<long double>(0.299) * 255));
  EXPECT_EQ(Luminance(0, 0, 10), static_cast<double>(static_cast<long double>(0.114) * 10));
}

// A nearly uniform picture on which the flattening lands next to whole
// numbers: in extended precision the first pixel becomes 232 in every
// channel, where a double evaluation keeps 233.
TEST(BarkTiler, ShadingRemovalFlattensInExtendedPrecision) {
  Image picture(2, 3);
  picture.pixels = {233, 233, 233, 232, 233, 233, 233, 233, 233, 233, 233, 232, 233, 232, 233, 232, 233, 233};
  const std::vector<std::uint8_t> expected = {232, 232, 232, 232, 233, 233, 233, 233, 233,
                                              233, 233, 232, 233, 232, 233, 232, 233, 233};
  Image reference = picture;
  RemoveShading(picture, 1);
  test::ReferenceRemoveShading(reference, 1);
  EXPECT_EQ(picture.pixels, expected);
  EXPECT_EQ(reference.pixels, expected);
}

TEST(BarkTiler, ShadingRemovalFlattensLighting) {
  Image picture = ShadedPicture(120, 90, 3);
  const auto meanOfColumns = [&](int from, int to) {
    double sum = 0;
    for (int y = 0; y < picture.height; ++y) {
      for (int x = from; x < to; ++x) sum += picture.At(x, y)[1];
    }
    return sum / ((to - from) * picture.height);
  };
  const double contrastBefore = meanOfColumns(0, 20) / meanOfColumns(100, 120);
  RemoveShading(picture, 12);
  const double contrastAfter = meanOfColumns(0, 20) / meanOfColumns(100, 120);
  EXPECT_GT(contrastBefore, 1.4);
  EXPECT_LT(std::fabs(contrastAfter - 1.0), 0.1);
}

TEST(BarkTiler, UniformGreyStaysUniformGrey) {
  for (int grey : {1, 77, 128, 255}) {
    Image picture = Uniform(37, 23, static_cast<std::uint8_t>(grey), static_cast<std::uint8_t>(grey),
                            static_cast<std::uint8_t>(grey));
    RemoveShading(picture, 12);
    const std::uint8_t first = picture.pixels[0];
    EXPECT_NEAR(first, grey, 1);
    for (std::uint8_t value : picture.pixels) ASSERT_EQ(value, first) << "grey " << grey;
  }
}

// Black areas make the smoothed luminance 0, where the flattening divides by
// it: the pixels stay black and everything else stays defined.
TEST(BarkTiler, BlackAreasStayBlackAndDefined) {
  Image allBlack = Uniform(30, 20, 0, 0, 0);
  RemoveShading(allBlack, 12);
  for (std::uint8_t value : allBlack.pixels) ASSERT_EQ(value, 0);

  Image picture = Uniform(200, 40, 0, 0, 0);
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 5; ++x) picture.At(x, y)[0] = picture.At(x, y)[1] = picture.At(x, y)[2] = 200;
  }
  Image reference = picture;
  RemoveShading(picture, 100);
  test::ReferenceRemoveShading(reference, 100);
  EXPECT_EQ(picture.pixels, reference.pixels);
  EXPECT_EQ(picture.At(199, 20)[0], 0);  // far into the black: no division by zero
  EXPECT_GT(picture.At(0, 20)[0], 0);    // the lit strip survives
}

TEST(BarkTiler, SymmetrizeMiddleRowAndCentrePixel) {
  Image picture = ShadedPicture(9, 7, 4);
  const Image before = picture;
  Symmetrize(picture);
  // Middle row of an odd height: wy = 0, so the two edge pixels become the
  // truncated mean of the two edge pixels.
  for (int c = 0; c < 3; ++c) {
    const int expected = (before.At(0, 3)[c] + before.At(8, 3)[c]) / 2;
    EXPECT_EQ(picture.At(0, 3)[c], expected);
    EXPECT_EQ(picture.At(8, 3)[c], expected);
    EXPECT_EQ(picture.At(4, 3)[c], before.At(4, 3)[c]);  // centre: wx = wy = 0
  }
  // In the middle column (wx = 0) the top and bottom pixels both become the
  // truncated mean of the two.
  for (int c = 0; c < 3; ++c) {
    const int expected = (before.At(4, 0)[c] + before.At(4, 6)[c]) / 2;
    EXPECT_EQ(picture.At(4, 0)[c], expected);
    EXPECT_EQ(picture.At(4, 6)[c], expected);
  }
}

// One pixel of a picture that is black elsewhere, with its horizontal and
// vertical mirror partners, after Symmetrize.
struct MirrorCase {
  int width, height, x, y;
  int own, horizontalMirror, verticalMirror;
  int expected;
};

// The weights wx = |x / (W - 1) - 0.5| * 2, wy likewise, the sums and the
// quotient are evaluated in extended precision. These cases land next to a
// whole number, where a double evaluation truncates to the other side.
TEST(BarkTiler, SymmetrizeEvaluatesInExtendedPrecision) {
  const MirrorCase cases[] = {
      // Middle row (wy = 0), x = 1 of 7: wx = 2/3 lies just below 2/3, so
      // 21 wx = 13.99... truncates to 13, and 13 / (1 + wx) to 7 (double: 8).
      {7, 3, 1, 1, 0, 21, 0, 7},
      {7, 3, 1, 1, 8, 33, 0, 17},  // trunc(8 + 22) / 1.666... = 17.99... (double: 18)
      {4, 5, 1, 2, 0, 6, 0, 0},    // wx = 1/3 just below 1/3: 6 wx truncates to 1 (double: 2)
      {3, 7, 1, 1, 0, 0, 21, 7},   // the same as the first along a column (wx = 0)
      // wx = 1/2, wy = 2/3: 13 / (1 + 1/2 + 2/3) = 6 exactly, the divisor
      // lying just below 13/6 (double: 5.99... gives 5).
      {5, 7, 1, 1, 0, 26, 0, 6},
  };
  for (const MirrorCase& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << c.width << " x " << c.height << " at (" << c.x << ", " << c.y << ")");
    Image picture = Uniform(c.width, c.height, 0, 0, 0);
    const auto set = [&](int x, int y, int value) {
      for (int channel = 0; channel < 3; ++channel)
        picture.At(x, y)[channel] = static_cast<std::uint8_t>(value);
    };
    set(c.width - 1 - c.x, c.y, c.horizontalMirror);
    set(c.x, c.height - 1 - c.y, c.verticalMirror);
    set(c.x, c.y, c.own);
    Symmetrize(picture);
    for (int channel = 0; channel < 3; ++channel) EXPECT_EQ(picture.At(c.x, c.y)[channel], c.expected);
  }
}

TEST(BarkTiler, SymmetrizeKeepsUniformPictures) {
  Image picture = Uniform(16, 10, 200, 100, 50);
  const Image before = picture;
  Symmetrize(picture);
  EXPECT_LE(picture.pixels, before.pixels);  // truncation can lose at most a little
  for (std::size_t i = 0; i < picture.pixels.size(); ++i) ASSERT_NEAR(picture.pixels[i], before.pixels[i], 1);
}

TEST(BarkTiler, PowerOfTwoSides) {
  const struct {
    int side;
    int power;
  } cases[] = {{300, 256}, {400, 512}, {362, 256}, {363, 512}, {256, 256}, {2, 2}, {3, 4}, {5, 4}, {1, 1}};
  for (const auto& c : cases) EXPECT_EQ(NearestPowerOfTwo(c.side), c.power) << c.side;

  Image square = ShadedPicture(256, 256, 5);
  const Image before = square;
  MakePowerOfTwo(square);
  EXPECT_EQ(square.pixels, before.pixels);

  Image oblong = ShadedPicture(300, 363, 6);
  MakePowerOfTwo(oblong);
  EXPECT_EQ(oblong.width, 256);
  EXPECT_EQ(oblong.height, 512);
}

TEST(BarkTiler, ProgressRunsThroughEachStepAndEndsAtZero) {
  BarkTileOptions options;
  options.shadingRemoval = true;
  options.symmetrize = true;
  options.powerOfTwo = true;
  std::vector<int> seen;
  const Image tile = GenerateBarkTile(ShadedPicture(60, 50, 7), options, [&](int percent) {
    seen.push_back(percent);
    return true;
  });
  EXPECT_EQ(tile.width, 64);
  EXPECT_EQ(tile.height, 64);
  // Steps: crop, shading removal, symmetrize, power of two; each from 0 up.
  int starts = 0;
  for (std::size_t i = 0; i < seen.size(); ++i) {
    ASSERT_GE(seen[i], 0);
    ASSERT_LE(seen[i], 100);
    if (i > 0 && seen[i] < seen[i - 1]) {
      EXPECT_EQ(seen[i], 0);
      ++starts;
    }
  }
  EXPECT_EQ(starts, 4);  // three more steps, and the final return to 0
  EXPECT_EQ(seen.back(), 0);
  EXPECT_NE(std::find(seen.begin(), seen.end(), 33), seen.end());
  EXPECT_NE(std::find(seen.begin(), seen.end(), 66), seen.end());
}

TEST(BarkTiler, CancellingStopsWithAnException) {
  BarkTileOptions options;
  options.shadingRemoval = true;
  for (int stopAt : {10, 40, 70}) {
    EXPECT_THROW(GenerateBarkTile(ShadedPicture(80, 80, 8), options,
                                  [&](int percent) { return !(percent >= stopAt && percent < 100); }),
                 BarkTileCancelled)
        << stopAt;
  }
}

TEST(BarkTiler, CancelledShadingRemovalLeavesThePictureUnchanged) {
  for (int stopAt : {1, 34, 67, 100}) {
    Image picture = ShadedPicture(64, 40, 11);
    const Image before = picture;
    const auto stop = [&](int percent) { return percent < stopAt; };
    if (stopAt < 100) {
      EXPECT_THROW(RemoveShading(picture, 12, stop), BarkTileCancelled) << stopAt;
      EXPECT_EQ(picture.pixels, before.pixels) << stopAt;
    } else {
      // Asking to stop once everything is done changes nothing: the result stands.
      EXPECT_NO_THROW(RemoveShading(picture, 12, stop));
      EXPECT_NE(picture.pixels, before.pixels);
    }
  }
}

TEST(BarkTiler, StrengthOutOfRangeIsRefused) {
  BarkTileOptions options;
  options.shadingRemoval = true;
  options.strength = 0;
  EXPECT_THROW(GenerateBarkTile(ShadedPicture(10, 10, 9), options), BarkTileError);
  options.strength = 101;
  EXPECT_THROW(GenerateBarkTile(ShadedPicture(10, 10, 9), options), BarkTileError);
}

}  // namespace
}  // namespace vh
