#include <gtest/gtest.h>

#include <string>

#include "imaging/bmp.h"
#include "imaging/picture_file.h"
#include "picture_test_support.h"

namespace vh {
namespace {

using test::BmpLayout;

// Decoding a file built by hand must give back the pixels it was built from.
struct BmpVariant {
  const char* name;
  BmpLayout layout;
  bool topDown;
  int width;
  int height;
};

class BmpVariants : public ::testing::TestWithParam<BmpVariant> {};

TEST_P(BmpVariants, DecodeToTheBuiltPixels) {
  const BmpVariant& v = GetParam();
  const Image expected = test::PatternImage(v.width, v.height);
  const auto bytes = test::HandBuiltBmp(expected, v.layout, v.topDown);
  const Image decoded = DecodeBMP(bytes.data(), bytes.size(), v.name);

  ASSERT_EQ(decoded.width, v.width);
  ASSERT_EQ(decoded.height, v.height);
  const int channels = v.layout == BmpLayout::Bgra32 ? 4 : 3;
  ASSERT_EQ(decoded.channels, channels);
  for (int y = 0; y < v.height; ++y) {
    for (int x = 0; x < v.width; ++x) {
      for (int c = 0; c < 3; ++c) {
        ASSERT_EQ(decoded.At(x, y)[c], expected.At(x, y)[c]) << "pixel " << x << "," << y << " channel " << c;
      }
      if (channels == 4) {
        ASSERT_EQ(decoded.At(x, y)[3], (x * 37 + y) & 255);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Bmp, BmpVariants,
    ::testing::Values(BmpVariant{"palette8_bottom_up", BmpLayout::Palette8, false, 5, 4},
                      BmpVariant{"palette8_top_down", BmpLayout::Palette8, true, 7, 3},
                      BmpVariant{"rgb24_bottom_up", BmpLayout::Rgb24, false, 5, 3},  // 15-byte rows, padded
                      BmpVariant{"rgb24_top_down", BmpLayout::Rgb24, true, 6, 5},
                      BmpVariant{"bgra32_bottom_up", BmpLayout::Bgra32, false, 3, 4},
                      BmpVariant{"bgra32_top_down", BmpLayout::Bgra32, true, 9, 2}),
    [](const ::testing::TestParamInfo<BmpVariant>& info) { return std::string(info.param.name); });

TEST(Bmp, EncodesA24BitBottomUpFileWithPaddedRows) {
  const Image image = test::PatternImage(5, 3);
  const auto bytes = EncodeBMP(image);
  const std::size_t rowBytes = 16;  // 15 bytes of pixels, padded to a multiple of 4
  ASSERT_EQ(bytes.size(), 54 + 3 * rowBytes);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  EXPECT_EQ(bytes[28], 24);  // bits per pixel
  EXPECT_EQ(bytes[22], 3);   // positive height: bottom-up
  // The first stored row is the picture's bottom row, blue first.
  EXPECT_EQ(bytes[54], image.At(0, 2)[2]);
  EXPECT_EQ(bytes[55], image.At(0, 2)[1]);
  EXPECT_EQ(bytes[56], image.At(0, 2)[0]);
  EXPECT_EQ(bytes[54 + 15], 0);  // padding
}

TEST(Bmp, RoundTripsRgbAndDropsAlpha) {
  const Image rgb = test::PatternImage(13, 7);
  const auto bytes = EncodeBMP(rgb);
  const Image back = DecodeBMP(bytes.data(), bytes.size(), "round trip");
  EXPECT_EQ(back.channels, 3);
  EXPECT_EQ(back.pixels, rgb.pixels);

  const Image rgba = test::PatternImage(4, 4, 4);
  const auto rgbaBytes = EncodeBMP(rgba);
  const Image rgbaBack = DecodeBMP(rgbaBytes.data(), rgbaBytes.size(), "round trip");
  ASSERT_EQ(rgbaBack.channels, 3);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      for (int c = 0; c < 3; ++c) EXPECT_EQ(rgbaBack.At(x, y)[c], rgba.At(x, y)[c]);
    }
  }
}

TEST(Bmp, WrittenFileIsReadByImageMagick) {
  test::PictureScratchDir dir;
  const std::string path = dir.File("tile.bmp");
  WriteBMP(path, test::PatternImage(37, 11));
  const std::string identified = test::Identify(path, "%m %w %h %[bit-depth]");
  ASSERT_FALSE(identified.empty()) << "ImageMagick's identify did not read " << path;
  EXPECT_EQ(identified, "BMP3 37 11 8");  // BMP3: the 40-byte info header
}

// Every damaged file must give an exception naming the file, never a crash.
TEST(Bmp, DamagedFilesAreRefusedWithTheirName) {
  const auto good = EncodeBMP(test::PatternImage(8, 8));
  std::vector<std::vector<std::uint8_t>> damaged;
  damaged.push_back({});                                       // empty
  damaged.emplace_back(good.begin(), good.begin() + 30);       // header cut short
  damaged.emplace_back(good.begin(), good.begin() + 54 + 40);  // pixels cut short
  damaged.push_back(good);
  damaged.back()[0] = 'X';  // not a BMP signature
  damaged.push_back(good);
  damaged.back()[28] = 13;  // 13 bits per pixel
  // A 32-byte file whose info header, cut short, claims 2052 x 65530 pixels
  // (found by fuzzing: it used to decode, slowly, into zeros).
  damaged.push_back({0x42, 0x4d, 0x46, 0x00, 0x42, 0x46, 0x4d, 0x00, 0x00, 0x00, 0x28,
                     0x00, 0x00, 0x00, 0x28, 0x00, 0x00, 0x00, 0x04, 0x08, 0x00, 0x00,
                     0xfa, 0xff, 0x00, 0x00, 0x01, 0x00, 0x08, 0x00, 0x00, 0x00});
  for (std::size_t i = 0; i < damaged.size(); ++i) {
    try {
      DecodeBMP(damaged[i].data(), damaged[i].size(), "bark-photo.bmp");
      ADD_FAILURE() << "damaged file " << i << " was accepted";
    } catch (const PictureError& error) {
      EXPECT_NE(std::string(error.what()).find("bark-photo.bmp"), std::string::npos) << error.what();
    }
  }
}

TEST(Bmp, AbsurdDimensionsAreRefusedBeforeDecoding) {
  auto bytes = EncodeBMP(test::PatternImage(2, 2));
  // 60000 x 60000 pixels claimed by a 70-byte file.
  for (int at : {18, 22}) {
    bytes[static_cast<std::size_t>(at)] = 0x60;
    bytes[static_cast<std::size_t>(at) + 1] = 0xEA;
  }
  try {
    DecodeBMP(bytes.data(), bytes.size(), "huge.bmp");
    FAIL() << "accepted";
  } catch (const PictureError& error) {
    EXPECT_NE(std::string(error.what()).find("huge.bmp"), std::string::npos) << error.what();
  }
}

TEST(Bmp, MissingFileIsReportedWithItsName) {
  test::PictureScratchDir dir;
  const std::string path = dir.File("absent.bmp");
  try {
    ReadBMP(path);
    FAIL() << "accepted";
  } catch (const PictureError& error) {
    EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
  }
}

TEST(Bmp, EmptyImageCannotBeWritten) {
  test::PictureScratchDir dir;
  EXPECT_THROW(WriteBMP(dir.File("empty.bmp"), Image()), PictureError);
}

}  // namespace
}  // namespace vh
