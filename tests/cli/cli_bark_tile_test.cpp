// The command-line tool's "bark-tile" command, run as a program.
#include <gtest/gtest.h>

#include "bark/bark_tiler.h"
#include "common/run_tool.h"
#include "common/scratch_dir.h"
#include "foundations/image.h"
#include "imaging/picture_io.h"

namespace vh {
namespace {

using test::Quoted;
using test::RunTool;
using test::ScratchDir;

// A bark-like picture: stripes with a lighting gradient across.
Image StripedPicture(int width, int height) {
  Image picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* pixel = picture.At(x, y);
      const int light = 60 + x * 120 / width;
      pixel[0] = static_cast<std::uint8_t>(light + (x % 7) * 5);
      pixel[1] = static_cast<std::uint8_t>(light / 2 + (y % 5) * 7);
      pixel[2] = static_cast<std::uint8_t>(light / 3);
    }
  }
  return picture;
}

TEST(CliBarkTile, WritesTheSameTileAsTheCoreAlgorithm) {
  ScratchDir dir;
  const Image source = StripedPicture(120, 90);
  SavePicture(dir.File("bark.bmp"), source);
  const test::ToolRun run =
      RunTool("bark-tile " + Quoted(dir.File("bark.bmp")) + " " + Quoted(dir.File("tile.BMP")) +
              " --crop 10,90,0,80 --shading 12 --symmetrize --pow2");
  ASSERT_EQ(run.status, 0) << run.err;

  BarkTileOptions options;
  options.x0 = 10;
  options.x1 = 90;
  options.y0 = 0;
  options.y1 = 80;
  options.shadingRemoval = true;
  options.strength = 12;
  options.symmetrize = true;
  options.powerOfTwo = true;
  const Image expected = GenerateBarkTile(source, options);
  const Image written = LoadPicture(dir.File("tile.BMP"));  // ".BMP" in capitals is a BMP
  ASSERT_EQ(written.width, expected.width);
  ASSERT_EQ(written.height, expected.height);
  EXPECT_EQ(written.width, 128);  // 96 wide crop -> nearest power of two
  EXPECT_EQ(written.height, 64);  // 72 high crop
  EXPECT_EQ(written.pixels, expected.pixels);
}

TEST(CliBarkTile, BadInputExitsNonZeroAndWritesNothing) {
  ScratchDir dir;
  SavePicture(dir.File("bark.bmp"), StripedPicture(40, 30));
  const std::string bark = Quoted(dir.File("bark.bmp"));
  const std::string out = Quoted(dir.File("out.bmp"));
  const struct {
    const char* what;
    std::string arguments;
  } cases[] = {
      {"missing input", Quoted(dir.File("none.jpg")) + " " + out},
      {"crop under 2 x 2", bark + " " + out + " --crop 50,50,0,100"},
      {"malformed crop", bark + " " + out + " --crop 1,2,3"},
      {"strength out of range", bark + " " + out + " --shading 0"},
      {"missing output", bark},
  };
  for (const auto& c : cases) {
    const test::ToolRun run = RunTool("bark-tile " + c.arguments);
    EXPECT_NE(run.status, 0) << c.what;
    EXPECT_FALSE(run.err.empty()) << c.what;
    EXPECT_EQ(dir.Entries().size(), 1u) << c.what << ": only the input is there";
  }
}

}  // namespace
}  // namespace vh
