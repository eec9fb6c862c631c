#include <gtest/gtest.h>

#include <array>
#include <stdexcept>

#include "billboard/atlas.h"
#include "billboard/packing.h"

namespace vh {
namespace {

using Bounds = std::array<int, 4>;

Bounds BoundsOf(const PackingNode& node) { return {node.x0, node.y0, node.x1, node.y1}; }

TEST(Packing, NewNodeIsFreeLeafWithZeroBounds) {
  const PackingNode node;
  EXPECT_EQ(node.occupancy, -1);
  EXPECT_EQ(node.first, nullptr);
  EXPECT_EQ(node.second, nullptr);
  EXPECT_EQ(BoundsOf(node), (Bounds{0, 0, 0, 0}));
  EXPECT_EQ(node.Width(), 1);  // inclusive bounds
}

TEST(Packing, OneImageOf128InRoot151) {
  PackingNode root(0, 0, 151, 151);
  const PackingNode* placed = root.Insert(128, 128);
  ASSERT_NE(placed, nullptr);
  ASSERT_NE(root.first, nullptr);
  EXPECT_EQ(BoundsOf(*root.first), (Bounds{0, 0, 151, 127}));  // horizontal cut
  EXPECT_EQ(BoundsOf(*root.second), (Bounds{0, 128, 151, 151}));
  ASSERT_NE(root.first->first, nullptr);
  EXPECT_EQ(BoundsOf(*root.first->first), (Bounds{0, 0, 127, 127}));  // then vertical
  EXPECT_EQ(BoundsOf(*root.first->second), (Bounds{128, 0, 151, 127}));
  EXPECT_EQ(placed, root.first->first.get());
  EXPECT_EQ(placed->occupancy, 1);
  EXPECT_EQ(root.occupancy, -1);
}

TEST(Packing, CutsHorizontallyOnTies) {
  PackingNode root(0, 0, 9, 9);  // 10 x 10, spare 5 both ways
  ASSERT_NE(root.Insert(5, 5), nullptr);
  EXPECT_EQ(BoundsOf(*root.first), (Bounds{0, 0, 9, 4}));
  EXPECT_EQ(BoundsOf(*root.second), (Bounds{0, 5, 9, 9}));
}

TEST(Packing, CutsVerticallyWhenMoreSpareWidth) {
  PackingNode root(0, 0, 19, 9);  // 20 x 10: spare 15 wide, 5 high
  ASSERT_NE(root.Insert(5, 5), nullptr);
  EXPECT_EQ(BoundsOf(*root.first), (Bounds{0, 0, 4, 9}));
  EXPECT_EQ(BoundsOf(*root.second), (Bounds{5, 0, 19, 9}));
}

TEST(Packing, ExactFitIsTakenOnce) {
  PackingNode root(0, 0, 3, 3);
  EXPECT_EQ(root.Insert(4, 4), &root);
  EXPECT_EQ(root.first, nullptr);  // no split for an exact fit
  EXPECT_EQ(root.Insert(1, 1), nullptr);
}

TEST(Packing, RefusesWhatDoesNotFit) {
  PackingNode root(0, 0, 9, 9);
  EXPECT_EQ(root.Insert(11, 1), nullptr);
  EXPECT_EQ(root.Insert(1, 11), nullptr);
  EXPECT_EQ(root.first, nullptr);
}

TEST(Packing, FirstFitInInsertionOrder) {
  // Three 4 x 4 pictures in a 10 x 10 root: the second goes into the strip
  // beside the first (first child before second child), the third below.
  PackingNode root(0, 0, 9, 9);
  const Bounds expected[] = {{0, 0, 3, 3}, {4, 0, 7, 3}, {0, 4, 3, 7}};
  for (const Bounds& bounds : expected) {
    const PackingNode* node = root.Insert(4, 4);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(BoundsOf(*node), bounds);
  }
}

// Every size placed, inside the root, at its own size, and no two overlapping.
void ExpectValidLayout(const std::vector<std::pair<int, int>>& sizes, const AtlasLayout& layout) {
  ASSERT_EQ(layout.places.size(), sizes.size());
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    const AtlasPlace& a = layout.places[i];
    ASSERT_TRUE(a.placed) << i;
    EXPECT_EQ(a.x1 - a.x0 + 1, sizes[i].first) << i;
    EXPECT_EQ(a.y1 - a.y0 + 1, sizes[i].second) << i;
    EXPECT_GE(a.x0, 0);
    EXPECT_GE(a.y0, 0);
    EXPECT_LE(a.x1, layout.side);
    EXPECT_LE(a.y1, layout.side);
    for (std::size_t j = 0; j < i; ++j) {
      const AtlasPlace& b = layout.places[j];
      const bool apart = a.x1 < b.x0 || b.x1 < a.x0 || a.y1 < b.y0 || b.y1 < a.y0;
      EXPECT_TRUE(apart) << i << " overlaps " << j;
    }
  }
}

TEST(Packing, AtlasSideFromAreaSum) {
  const AtlasLayout layout = LayoutAtlas({{128, 128}});
  EXPECT_EQ(layout.side, 151);
  ASSERT_EQ(layout.places.size(), 1u);
  EXPECT_EQ((Bounds{layout.places[0].x0, layout.places[0].y0, layout.places[0].x1, layout.places[0].y1}),
            (Bounds{0, 0, 127, 127}));
  EXPECT_EQ(LayoutAtlas({}).side, 0);
  // 4 x 64 x 64: trunc(sqrt(1.4 * 16384)) = 151 again.
  const std::vector<std::pair<int, int>> four(4, {64, 64});
  EXPECT_EQ(LayoutAtlas(four).side, 151);
  ExpectValidLayout(four, LayoutAtlas(four));
}

// trunc(sqrt(1.4 * sum)) is exact where 1.4 times the sum is a perfect
// square (sum = 35 k^2, side 7 k), which floating point puts just below
// the square: two 128 x 128 and three 32 x 32 pictures (35840) give 224.
TEST(Packing, AtlasSideIsTheExactRootOfPerfectSquares) {
  EXPECT_EQ(AtlasSide(2 * 128 * 128 + 3 * 32 * 32), 224);
  EXPECT_EQ(AtlasSide(35), 7);  // 1.4 * 35 = 49
  EXPECT_EQ(AtlasSide(35 * 100 * 100), 700);
  EXPECT_EQ(AtlasSide(34), 6);       // 47.6
  EXPECT_EQ(AtlasSide(36), 7);       // 50.4
  EXPECT_EQ(AtlasSide(35839), 223);  // 50174.6, just below 224^2
  EXPECT_EQ(AtlasSide(16384), 151);
  EXPECT_EQ(AtlasSide(0), 0);
  EXPECT_THROW(AtlasSide(-1), std::runtime_error);
  EXPECT_THROW(AtlasSide(2 * kMaxAtlasAreaSum), std::runtime_error);
  // Through the layout: a 160 x 224 picture (35840 pixels) fills the
  // height of the 224 atlas, whose root node is one pixel larger.
  const std::vector<std::pair<int, int>> tall = {{160, 224}};
  const AtlasLayout layout = LayoutAtlas(tall);
  EXPECT_EQ(layout.side, 224);
  ExpectValidLayout(tall, layout);
}

TEST(Packing, AtlasGrowsWhenAPictureFindsNoRoom) {
  // A long thin picture after a small one: the side from the area sum
  // (trunc(sqrt(1.4 * 104)) = 12) cannot hold a 100 x 1 strip.
  const std::vector<std::pair<int, int>> sizes = {{2, 2}, {100, 1}};
  PackingNode plain(0, 0, 12, 12);
  EXPECT_NE(plain.Insert(2, 2), nullptr);
  EXPECT_EQ(plain.Insert(100, 1), nullptr);

  const AtlasLayout layout = LayoutAtlas(sizes);
  EXPECT_GE(layout.side + 1, 100);
  ExpectValidLayout(sizes, layout);
}

TEST(Packing, GrowingKeepsListOrder) {
  // Big pictures late in the list: nothing is sorted, every picture placed.
  std::vector<std::pair<int, int>> sizes;
  for (int i = 0; i < 12; ++i) sizes.emplace_back(8 + i * 3, 40 - i * 2);
  sizes.emplace_back(128, 128);
  sizes.emplace_back(64, 32);
  const AtlasLayout layout = LayoutAtlas(sizes);
  ExpectValidLayout(sizes, layout);
  EXPECT_EQ(layout.places[0].x0, 0);  // the first picture always takes the top left
  EXPECT_EQ(layout.places[0].y0, 0);
}

TEST(Packing, ZeroSizedPicturesStillGetANode) {
  const std::vector<std::pair<int, int>> sizes = {{0, 0}, {16, 16}, {0, 0}};
  const AtlasLayout layout = LayoutAtlas(sizes);
  for (const AtlasPlace& place : layout.places) EXPECT_TRUE(place.placed);
  EXPECT_EQ(layout.places[1].x1 - layout.places[1].x0 + 1, 16);
}

}  // namespace
}  // namespace vh
