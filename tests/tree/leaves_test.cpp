#include <gtest/gtest.h>

#include <cmath>

#include "tree/branch.h"
#include "tree/tree.h"
#include "tree_test_support.h"

namespace vh {
namespace {

TEST(LeafTemplate, ConvexShapesGiveNMinusTwoTriangles) {
  Tree quad(0);
  testing::GiveLeaves(quad);
  quad.Generate();
  ASSERT_TRUE(quad.leafTemplate);
  EXPECT_EQ(quad.leafTemplate->vertices.size(), 5u);
  EXPECT_EQ(quad.leafTemplate->triangles.size(), 2u);
  EXPECT_EQ(quad.leafTemplate->vertices[4].position, quad.leafTemplate->vertices[0].position);
  EXPECT_EQ(quad.params.leafOutline.size(), 4u);  // the closing copy is not kept

  Tree triangle(0);
  testing::GiveLeaves(triangle, {{0, -10}, {10, 10}, {-10, 10}});
  triangle.Generate();
  ASSERT_TRUE(triangle.leafTemplate);
  EXPECT_EQ(triangle.leafTemplate->vertices.size(), 4u);
  EXPECT_EQ(triangle.leafTemplate->triangles.size(), 1u);
}

TEST(LeafTemplate, ConcaveOutlineIsClippedWithoutOverlap) {
  // An arrow head: concave at (0, 0). Either orientation must clip fully.
  std::vector<Vector2> arrow = {{0, -30}, {20, 20}, {0, 0}, {-20, 20}};
  for (int pass = 0; pass < 2; ++pass) {
    Tree tree(0);
    testing::GiveLeaves(tree, arrow);
    tree.Generate();
    ASSERT_TRUE(tree.leafTemplate);
    ASSERT_EQ(tree.leafTemplate->triangles.size(), 2u);
    float area = 0;
    for (const Triangle& t : tree.leafTemplate->triangles) {
      const Vector3& a = tree.leafTemplate->vertices[t.a].position;
      const Vector3& b = tree.leafTemplate->vertices[t.b].position;
      const Vector3& c = tree.leafTemplate->vertices[t.c].position;
      area += 0.5f * std::fabs(Cross(b - a, c - a).y);
    }
    EXPECT_NEAR(area, 600.0f, 1e-3f);  // the arrow's area: 40*50/2 - 40*20/2
    std::reverse(arrow.begin(), arrow.end());
  }
}

TEST(LeafTemplate, TooFewPointsOrHiddenLeavesMeanNoTemplateAndNoDraws) {
  for (const bool hide : {false, true}) {
    Tree tree(1);
    if (hide) {
      testing::GiveLeaves(tree);
      tree.showLeaves = false;
    } else {
      testing::GiveLeaves(tree, {{0, 0}, {10, 10}});
    }
    tree.Generate();
    EXPECT_FALSE(tree.leafTemplate);
    EXPECT_EQ(tree.leafCount, 0);
    MersenneTwister fresh(tree.params.seed);
    EXPECT_EQ(tree.leafRandom.NextUInt32(), fresh.NextUInt32());  // nothing was drawn
  }
}

TEST(GrowLeaves, DrawsSixtyCellsOfVPlusOnePerBranch) {
  Tree tree(0);
  testing::GiveLeaves(tree);  // V = 5
  tree.Generate();
  const std::size_t branches = 5;  // trunk + 4 children
  MersenneTwister expected(tree.params.seed);
  for (std::size_t i = 0; i < branches * 60 * 6; ++i) expected.NextUInt32();
  EXPECT_EQ(tree.leafRandom.NextUInt32(), expected.NextUInt32());
}

TEST(GrowLeaves, DensityZeroGivesNoLeavesAndFullDensityFillsEveryCell) {
  Tree none(1);
  testing::GiveLeaves(none);
  for (LevelParameters& level : none.params.levels) level.leafDensity = 1;
  none.Generate();
  EXPECT_EQ(none.leafCount, 0);

  Tree full(0);
  testing::GiveLeaves(full);
  for (LevelParameters& level : full.params.levels) level.leafDensity = 101;
  full.Generate();
  EXPECT_EQ(full.leafCount, 4 * 60);  // four children; the trunk carries none
}

TEST(GrowLeaves, TrunkLeavesToggleWithoutMovingOtherLeaves) {
  Tree without(1), with(1);
  for (Tree* tree : {&without, &with}) {
    testing::GiveLeaves(*tree);
    for (LevelParameters& level : tree->params.levels) level.leafDensity = 40;
  }
  with.params.noLeavesOnTrunk = false;
  without.Generate();
  with.Generate();
  EXPECT_GT(with.leafCount, without.leafCount);
  std::vector<Vector3> a, b;
  bool pastTrunk = false;
  for (const auto& s : with.submeshes) {
    if (s->texture == 2) pastTrunk = true;
    if (pastTrunk && s->texture == 1) for (const Vertex& v : s->vertices) a.push_back(v.position);
  }
  for (const auto& s : without.submeshes)
    if (s->texture == 1) for (const Vertex& v : s->vertices) b.push_back(v.position);
  EXPECT_EQ(a, b);

  // With the trunk bare, its density changes nothing at all.
  Tree denser(1);
  testing::GiveLeaves(denser);
  for (LevelParameters& level : denser.params.levels) level.leafDensity = 40;
  denser.params.levels[0].leafDensity = 90;
  denser.Generate();
  EXPECT_EQ(testing::AllPositions(denser), testing::AllPositions(without));
}

TEST(GrowLeaves, FlatSmallLeafHangsOneUnitBelowItsAttachment) {
  Tree tree(0);
  testing::GiveLeaves(tree, {{0, 0}, {100, 0}, {0, 100}});
  tree.params.leafBending = 1;
  for (LevelParameters& level : tree.params.levels) {
    level.leafScaling = 1;
    level.leafDensity = 101;
  }
  tree.Generate();
  // The first leaf of the first child sits at its row 0, column 0 cell.
  Branch& child = dynamic_cast<Branch&>(*tree.submeshes[1]);
  const std::size_t first = 2;  // trunk, child, then the child's leaves
  const Submesh& leaf = *tree.submeshes[first];
  ASSERT_EQ(leaf.texture, 1);
  // Recompute the attachment with the placement rule for cell (0, 0).
  const Vector3 attach = BranchPoint(child, 0.0, 0.0, BendWeight(tree.params.levels[1], 1.0 / 9));
  const Vector3 offset = leaf.vertices[0].position - attach;
  EXPECT_NEAR(std::sqrt(LengthSquared(offset)), 1.0, 1e-3);
  for (const Vertex& v : leaf.vertices) {
    EXPECT_TRUE(v.hasColour);
    EXPECT_NEAR(std::sqrt(LengthSquared(v.normal)), 1.0, 1e-5);
  }
  EXPECT_EQ(leaf.texture, kLeafMaterial);
  EXPECT_FALSE(leaf.strip);
  EXPECT_EQ(leaf.materialName, "Material1");
}

TEST(LeafTemplate, SelfCrossingOutlineEndsAfterThePassLimit) {
  Tree tree(0);
  testing::GiveLeaves(tree, {{0, 0}, {20, 20}, {20, 0}, {0, 20}, {10, -5}});
  tree.Generate();
  ASSERT_TRUE(tree.leafTemplate);
  EXPECT_LE(tree.leafTemplate->triangles.size(), 3u);
  EXPECT_TRUE(testing::AllFinite(tree));
}

}  // namespace
}  // namespace vh
