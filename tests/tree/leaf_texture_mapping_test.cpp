// The leaf picture mapping on its own: exact coordinates for simple
// placements, the value 3.1416 for pi, and finite results without a picture.
#include <cmath>
#include <ostream>

#include <gtest/gtest.h>

#include "tree/leaf_texture_mapping.h"

namespace vh {
namespace {

struct MappingCase {
  const char* what;
  LeafPlacement placement;
  int editorWidth, editorHeight, pictureWidth, pictureHeight;
  int x, y;
  float u, v;
};
void PrintTo(const MappingCase& c, std::ostream* os) { *os << c.what; }

class LeafTextureMappingTable : public ::testing::TestWithParam<MappingCase> {};

TEST_P(LeafTextureMappingTable, GivesTheExpectedCoordinate) {
  const MappingCase& c = GetParam();
  const LeafPictureMapping mapping(c.placement, c.editorWidth, c.editorHeight, c.pictureWidth,
                                   c.pictureHeight);
  const Vector2 uv = mapping.TexCoord(c.x, c.y);
  EXPECT_FLOAT_EQ(uv.x, c.u) << c.what;
  EXPECT_FLOAT_EQ(uv.y, c.v) << c.what;
}

// Editor 200 x 100; a 50 x 100 picture at scale 100 spans the editor's height.
INSTANTIATE_TEST_SUITE_P(
    LeafTextureMapping, LeafTextureMappingTable,
    ::testing::Values(
        MappingCase{"top-left corner", {0, 0, 0, 100}, 200, 100, 50, 100, 0, 0, 0.0f, 0.0f},
        MappingCase{"picture centre", {0, 0, 0, 100}, 200, 100, 50, 100, 25, 50, 0.5f, 0.5f},
        MappingCase{"right of the picture", {0, 0, 0, 100}, 200, 100, 50, 100, 100, 0, 2.0f, 0.0f},
        MappingCase{"translated corner", {0, 10, 20, 100}, 200, 100, 50, 100, 10, 20, 0.0f, 0.0f},
        MappingCase{"negative translation", {0, -30, 5, 100}, 200, 100, 50, 100, 0, 5, 0.6f, 0.0f},
        MappingCase{
            "scale 200 shows it half as large", {0, 0, 0, 200}, 200, 100, 50, 100, 25, 50, 1.0f, 1.0f},
        MappingCase{
            "picture taller than the editor", {0, 0, 0, 100}, 200, 100, 100, 400, 100, 100, 4.0f, 1.0f},
        MappingCase{"no picture: the editor's size", {0, 0, 0, 150}, 200, 100, 0, 0, 100, 50, 0.75f, 0.75f},
        MappingCase{"no picture, no editor", {0, 0, 0, 150}, 0, 0, 0, 0, 10, 10, 0.0f, 0.0f}));

// Rotation turns about the editor's centre by rotate x 3.1416 / 180.
TEST(LeafTextureMapping, RotationUsesTheProgramsPi) {
  const LeafPictureMapping mapping({90, 0, 0, 100}, 200, 100, 200, 100);
  const Vector2 uv = mapping.TexCoord(100, 0);  // dx = 0, dy = -50
  const long double theta = 90.0L * 3.1416L / 180.0L;
  EXPECT_FLOAT_EQ(uv.x, static_cast<float>((100.0L + 50.0L * std::sin(theta)) / 200.0L));
  EXPECT_FLOAT_EQ(uv.y, static_cast<float>((50.0L - 50.0L * std::cos(theta)) / 100.0L));
  // cos(3.1416 / 2) is not zero: v is measurably above one half.
  EXPECT_GT(uv.y, 0.5f);
}

TEST(LeafTextureMapping, PicturePointIsTheCoordinateBeforeDivision) {
  const LeafPictureMapping mapping({30, 7, -3, 250}, 300, 240, 64, 48);
  for (const auto& [x, y] : {std::pair{0, 0}, std::pair{150, 120}, std::pair{299, 17}}) {
    long double column = 0.0L;
    long double row = 0.0L;
    mapping.PicturePoint(x, y, column, row);
    const Vector2 uv = mapping.TexCoord(x, y);
    EXPECT_FLOAT_EQ(uv.x, static_cast<float>(column / 64.0L));
    EXPECT_FLOAT_EQ(uv.y, static_cast<float>(row / 48.0L));
  }
}

TEST(LeafTextureMapping, AlwaysFinite) {
  for (int scale : {1, 150, 1000}) {
    for (int pictureSide : {0, 1, 4096}) {
      const LeafPictureMapping mapping({359, 300, -300, scale}, 300, 1, pictureSide, pictureSide);
      const Vector2 uv = mapping.TexCoord(-5000, 5000);
      EXPECT_TRUE(std::isfinite(uv.x) && std::isfinite(uv.y)) << scale << " " << pictureSide;
    }
  }
}

}  // namespace
}  // namespace vh
