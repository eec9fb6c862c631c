#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "imaging/jpeg.h"
#include "imaging/picture_file.h"
#include "picture_test_support.h"

namespace vh {
namespace {

// A JPEG written directly through libjpeg with a given colour space, so that
// greyscale and CMYK files (which the program never writes) can be read back.
// `samples` holds width * height * components bytes.
std::vector<std::uint8_t> RawJpeg(int width, int height, int components, J_COLOR_SPACE space,
                                  bool adobeMarker, const std::vector<std::uint8_t>& samples) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = components;
  info.in_color_space = space;
  jpeg_set_defaults(&info);
  jpeg_set_colorspace(&info, space);
  info.write_Adobe_marker = adobeMarker ? TRUE : FALSE;
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    const std::size_t offset = info.next_scanline * static_cast<std::size_t>(width * components);
    JSAMPROW row = const_cast<JSAMPROW>(samples.data() + offset);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::vector<std::uint8_t> bytes(buffer, buffer + size);
  std::free(buffer);
  return bytes;
}

// A flat picture survives JPEG compression almost exactly.
void ExpectFlat(const Image& image, int r, int g, int b) {
  ASSERT_EQ(image.channels, 3);
  for (std::size_t i = 0; i < image.pixels.size(); i += 3) {
    ASSERT_NEAR(image.pixels[i], r, 3) << "pixel " << i / 3;
    ASSERT_NEAR(image.pixels[i + 1], g, 3) << "pixel " << i / 3;
    ASSERT_NEAR(image.pixels[i + 2], b, 3) << "pixel " << i / 3;
  }
}

TEST(Jpeg, RoundTripStaysClose) {
  Image image(24, 16);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 24; ++x) {
      std::uint8_t* p = image.At(x, y);
      p[0] = static_cast<std::uint8_t>(x * 10);
      p[1] = static_cast<std::uint8_t>(y * 15);
      p[2] = 128;
    }
  }
  const auto bytes = EncodeJPEG(image);
  const Image back = DecodeJPEG(bytes.data(), bytes.size(), "gradient");
  ASSERT_EQ(back.width, 24);
  ASSERT_EQ(back.height, 16);
  EXPECT_LE(test::MaxChannelDifference(back, image), 12);
}

TEST(Jpeg, WritesBaselineQuality90ThatImageMagickReads) {
  test::PictureScratchDir dir;
  const std::string path = dir.File("tile.jpg");
  WriteJPEG(path, test::PatternImage(33, 17, 4));
  const auto bytes = test::ReadBytes(path);
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xD8);
  // A baseline frame header (SOF0) and no progressive one (SOF2).
  bool baseline = false;
  bool progressive = false;
  for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
    baseline = baseline || (bytes[i] == 0xFF && bytes[i + 1] == 0xC0);
    progressive = progressive || (bytes[i] == 0xFF && bytes[i + 1] == 0xC2);
  }
  EXPECT_TRUE(baseline);
  EXPECT_FALSE(progressive);
  const std::string identified = test::Identify(path, "%m %w %h %Q");
  ASSERT_FALSE(identified.empty()) << "ImageMagick's identify did not read " << path;
  EXPECT_EQ(identified, "JPEG 33 17 90");
}

TEST(Jpeg, GreyscaleBecomesGreyRgb) {
  const std::vector<std::uint8_t> grey(16 * 8, 77);
  const auto bytes = RawJpeg(16, 8, 1, JCS_GRAYSCALE, false, grey);
  const Image image = DecodeJPEG(bytes.data(), bytes.size(), "grey.jpg");
  EXPECT_EQ(image.width, 16);
  EXPECT_EQ(image.height, 8);
  ExpectFlat(image, 77, 77, 77);
}

// Ink amounts: C, M, Y, K; 255 = full ink. Expected RGB follows from
// (255 - ink) * (255 - K) / 255.
struct CmykCase {
  std::uint8_t ink[4];
  int rgb[3];
};

TEST(Jpeg, CmykBecomesRgbWithAndWithoutAdobeInversion) {
  const CmykCase cases[] = {
      {{255, 0, 0, 0}, {0, 255, 255}},     // cyan
      {{0, 255, 255, 0}, {255, 0, 0}},     // red
      {{0, 0, 0, 255}, {0, 0, 0}},         // black
      {{0, 0, 0, 0}, {255, 255, 255}},     // paper
      {{0, 128, 0, 102}, {153, 76, 153}},  // purple, partly black
  };
  for (const CmykCase& c : cases) {
    for (bool adobe : {false, true}) {
      std::vector<std::uint8_t> samples;
      for (int i = 0; i < 16 * 16; ++i) {
        // Adobe applications store 255 - ink; plain CMYK stores the ink.
        for (int k = 0; k < 4; ++k)
          samples.push_back(adobe ? static_cast<std::uint8_t>(255 - c.ink[k]) : c.ink[k]);
      }
      const auto bytes = RawJpeg(16, 16, 4, JCS_CMYK, adobe, samples);
      SCOPED_TRACE(::testing::Message() << "adobe " << adobe << " ink " << int(c.ink[0]) << ","
                                        << int(c.ink[1]) << "," << int(c.ink[2]) << "," << int(c.ink[3]));
      ExpectFlat(DecodeJPEG(bytes.data(), bytes.size(), "cmyk.jpg"), c.rgb[0], c.rgb[1], c.rgb[2]);
    }
  }
}

// Every damaged file must give an exception naming the file; libjpeg must
// neither end the process nor print.
TEST(Jpeg, DamagedFilesAreRefusedWithTheirName) {
  const auto good = EncodeJPEG(test::PatternImage(64, 48));
  std::vector<std::vector<std::uint8_t>> damaged;
  damaged.push_back({});
  damaged.push_back({0xFF, 0xD8});
  damaged.emplace_back(good.begin(),
                       good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2));  // truncated
  damaged.emplace_back(good.begin(), good.end() - 2);                                 // no end marker
  damaged.push_back(good);
  damaged.back()[1] = 0x00;  // no start-of-image marker
  damaged.push_back(std::vector<std::uint8_t>(500, 0xAB));
  // A small file whose frame header claims 12000 x 12000 pixels.
  damaged.push_back(good);
  for (std::size_t i = 0; i + 8 < damaged.back().size(); ++i) {
    if (damaged.back()[i] == 0xFF && damaged.back()[i + 1] == 0xC0) {
      for (std::size_t at : {i + 5, i + 7}) {
        damaged.back()[at] = 12000 >> 8;
        damaged.back()[at + 1] = 12000 & 255;
      }
      break;
    }
  }
  for (std::size_t i = 0; i < damaged.size(); ++i) {
    try {
      DecodeJPEG(damaged[i].data(), damaged[i].size(), "bark-photo.jpg");
      // A file that lost only its end marker still holds every pixel.
      if (i != 3) ADD_FAILURE() << "damaged file " << i << " was accepted";
    } catch (const PictureError& error) {
      EXPECT_NE(std::string(error.what()).find("bark-photo.jpg"), std::string::npos) << error.what();
    }
  }
}

TEST(Jpeg, MissingFileIsReportedWithItsName) {
  test::PictureScratchDir dir;
  const std::string path = dir.File("absent.jpg");
  try {
    ReadJPEG(path);
    FAIL() << "accepted";
  } catch (const PictureError& error) {
    EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
  }
}

}  // namespace
}  // namespace vh
