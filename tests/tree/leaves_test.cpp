#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tree_test_support.h"

namespace vh {
namespace {

Tree GrowWithLeaves(int lastParentLevel, std::vector<Vector2> outline = testing::KiteOutline()) {
  TreeParameters params(lastParentLevel);
  testing::GiveLeaves(params, std::move(outline));
  return Generate(params);
}

TEST(LeafTemplate, ConvexShapesGiveNMinusTwoTriangles) {
  const Tree quad = GrowWithLeaves(0);
  ASSERT_TRUE(quad.leafTemplate);
  EXPECT_EQ(quad.leafTemplate->vertices.size(), 5u);
  EXPECT_EQ(quad.leafTemplate->triangles.size(), 2u);
  EXPECT_EQ(quad.leafTemplate->vertices[4].position, quad.leafTemplate->vertices[0].position);

  const Tree triangle = GrowWithLeaves(0, {{0, -10}, {10, 10}, {-10, 10}});
  ASSERT_TRUE(triangle.leafTemplate);
  EXPECT_EQ(triangle.leafTemplate->vertices.size(), 4u);
  EXPECT_EQ(triangle.leafTemplate->triangles.size(), 1u);
  // Every leaf is a copy of the template's shape.
  for (const auto& s : triangle.submeshes) {
    if (s->texture != kLeafMaterial) continue;
    EXPECT_EQ(s->vertices.size(), 4u);
    EXPECT_EQ(s->triangles.size(), 1u);
  }
}

TEST(LeafTemplate, ConcaveOutlineIsClippedWithoutOverlap) {
  // An arrow head: concave at (0, 0). Either orientation must clip fully.
  std::vector<Vector2> arrow = {{0, -30}, {20, 20}, {0, 0}, {-20, 20}};
  for (int pass = 0; pass < 2; ++pass) {
    const Tree tree = GrowWithLeaves(0, arrow);
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

TEST(LeafTemplate, TooFewPointsOrHiddenLeavesMeanNoTemplateAndNoLeaves) {
  const Tree bare = Generate(TreeParameters(1));
  for (const bool hide : {false, true}) {
    TreeParameters params(1);
    GenerationOptions options;
    if (hide) {
      testing::GiveLeaves(params);
      options.growLeaves = false;
    } else {
      testing::GiveLeaves(params, {{0, 0}, {10, 10}});
    }
    const Tree tree = Generate(params, options);
    EXPECT_FALSE(tree.leafTemplate);
    EXPECT_EQ(tree.leafCount, 0);
    EXPECT_EQ(testing::FullDigest(tree), testing::FullDigest(bare))
        << "numbers start at 1 without a template";
  }
}

TEST(GrowLeaves, EachBranchDrawsSixtyCellsOfVPlusOneInBranchOrder) {
  TreeParameters params(1);
  testing::GiveLeaves(params);  // V = 5
  params.noLeavesOnTrunk = false;
  for (LevelParameters& level : params.levels) level.leafDensity = 35;
  const Tree tree = Generate(params);

  // Replay the documented draws: per branch in list order, per cell five
  // shades and then the chance; a leaf's greens come from its shades.
  MersenneTwister draws(params.seed);
  std::size_t s = 0;
  int branches = 0;
  const auto nextBranch = [&] {
    while (s < tree.submeshes.size() && tree.submeshes[s]->texture != kBarkMaterial) ++s;
    return s < tree.submeshes.size() ? &testing::BranchAt(tree, s++) : nullptr;
  };
  // The trunk is listed after its leaves.
  std::size_t leaf = 0;
  for (const Branch* branch = nextBranch(); branch; branch = nextBranch()) {
    if (branch->level > 0) leaf = s;
    ++branches;
    for (int cell = 0; cell < 60; ++cell) {
      float shades[5];
      for (float& shade : shades) shade = static_cast<float>(draws.NextReal());
      if (!((35 - 1) * 0.01L > draws.NextReal())) continue;
      ASSERT_LT(leaf, tree.submeshes.size());
      const Submesh& grown = *tree.submeshes[leaf++];
      ASSERT_EQ(grown.texture, kLeafMaterial) << "branch " << branches << " cell " << cell;
      for (int k = 0; k < 5; ++k)
        EXPECT_EQ(grown.vertices[k].colour.y, static_cast<float>(0.5254902L - 0.3L * shades[k]));
    }
  }
  EXPECT_EQ(branches, 1 + 4 + 12);
}

TEST(GrowLeaves, DensityZeroGivesNoLeavesAndFullDensityFillsEveryCell) {
  TreeParameters none(1);
  testing::GiveLeaves(none);
  for (LevelParameters& level : none.levels) level.leafDensity = 1;
  EXPECT_EQ(Generate(none).leafCount, 0);

  TreeParameters full(0);
  testing::GiveLeaves(full);
  for (LevelParameters& level : full.levels) level.leafDensity = 101;
  EXPECT_EQ(Generate(full).leafCount, 4 * 60);  // four children; the trunk carries none
}

TEST(GrowLeaves, LeavesOfABranchAreMadeTogetherAndOutliveTheirTree) {
  TreeParameters params(1);
  testing::GiveLeaves(params);
  params.leafTextureFile = "/a/folder/with/a/long/name/leaf.png";  // longer than a short string holds
  params.leafTextureLoaded = true;
  for (LevelParameters& level : params.levels) level.leafDensity = 60;
  Tree tree = Generate(params);

  // Leaves follow their branch; each run of leaves shares one owner (one
  // allocation for them all) and no two runs do.
  std::vector<std::vector<std::shared_ptr<Submesh>>> runs;
  bool afterBranch = true;
  for (const auto& submesh : tree.submeshes) {
    if (testing::IsBranch(*submesh)) {
      afterBranch = true;
      continue;
    }
    if (afterBranch) runs.emplace_back();
    afterBranch = false;
    runs.back().push_back(submesh);
  }
  ASSERT_GT(runs.size(), 3u);
  const auto sameOwner = [](const auto& a, const auto& b) {
    return !a.owner_before(b) && !b.owner_before(a);
  };
  for (std::size_t r = 0; r < runs.size(); ++r) {
    for (const auto& leaf : runs[r]) EXPECT_TRUE(sameOwner(leaf, runs[r].front())) << "run " << r;
    if (r > 0) {
      EXPECT_FALSE(sameOwner(runs[r].front(), runs[r - 1].front())) << "run " << r;
    }
  }

  const std::shared_ptr<Submesh> kept = runs[1].back();
  const std::vector<Vertex> vertices(kept->vertices.begin(), kept->vertices.end());
  const std::size_t triangleCount = kept->triangles.size();
  tree = Tree();
  runs.clear();
  EXPECT_EQ(kept->textureFile, std::string_view(params.leafTextureFile));
  EXPECT_EQ(kept->materialName, "Material1");
  ASSERT_EQ(kept->vertices.size(), vertices.size());
  for (std::size_t k = 0; k < vertices.size(); ++k)
    EXPECT_EQ(kept->vertices[k].position, vertices[k].position);
  EXPECT_EQ(kept->triangles.size(), triangleCount);
  kept->vertices.resize(1000);  // grows past its piece of the block
  EXPECT_EQ(kept->vertices[0].position, vertices[0].position);
}

TEST(GrowLeaves, TrunkLeavesToggleWithoutMovingOtherLeaves) {
  TreeParameters withoutParams(1), withParams(1);
  for (TreeParameters* params : {&withoutParams, &withParams}) {
    testing::GiveLeaves(*params);
    for (LevelParameters& level : params->levels) level.leafDensity = 40;
  }
  withParams.noLeavesOnTrunk = false;
  const Tree without = Generate(withoutParams);
  const Tree with = Generate(withParams);
  EXPECT_GT(with.leafCount, without.leafCount);
  std::vector<Vector3> a, b;
  bool pastTrunk = false;
  for (const auto& s : with.submeshes) {
    if (s->texture == 2) pastTrunk = true;
    if (pastTrunk && s->texture == 1)
      for (const Vertex& v : s->vertices) a.push_back(v.position);
  }
  for (const auto& s : without.submeshes)
    if (s->texture == 1)
      for (const Vertex& v : s->vertices) b.push_back(v.position);
  EXPECT_EQ(a, b);

  // With the trunk bare, its density changes nothing at all.
  TreeParameters denser = withoutParams;
  denser.levels[0].leafDensity = 90;
  EXPECT_EQ(testing::AllPositions(Generate(denser)), testing::AllPositions(without));
}

TEST(GrowLeaves, FlatSmallLeafHangsOneUnitBelowItsAttachment) {
  TreeParameters params(0);
  testing::GiveLeaves(params, {{0, 0}, {100, 0}, {0, 100}});
  params.leafBending = 1;
  for (LevelParameters& level : params.levels) {
    level.leafScaling = 1;
    level.leafDensity = 101;
  }
  const Tree tree = Generate(params);
  // The first leaf of the first child sits at its row 0, column 0 cell.
  const Branch& child = testing::BranchAt(tree, 1);
  const std::size_t first = 2;  // trunk, child, then the child's leaves
  const Submesh& leaf = *tree.submeshes[first];
  ASSERT_EQ(leaf.texture, 1);
  // Recompute the attachment with the placement rule for cell (0, 0).
  const Vector3 attach = BranchPoint(child, 0.0, 0.0, BendWeight(params.levels[1], 1.0 / 9));
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

TEST(GrowLeaves, OutlinePointsFarFromTheMidlineHangFinitely) {
  // Documents hold outline coordinates up to 100,000. The hang grows with
  // e to the square of a point's distance: past a float's range, which
  // made the leaves' positions infinite and their normals NaN.
  TreeParameters params(1);
  testing::GiveLeaves(params, {{0, 0}, {100000, 0}, {0, 100000}});
  params.leafBending = 100;
  for (LevelParameters& level : params.levels) level.leafScaling = 150;
  const Tree tree = Generate(params);
  ASSERT_GT(tree.leafCount, 0);
  EXPECT_TRUE(testing::AllFinite(tree));
}

TEST(LeafTemplate, SelfCrossingOutlineEndsAfterThePassLimit) {
  const Tree tree = GrowWithLeaves(0, {{0, 0}, {20, 20}, {20, 0}, {0, 20}, {10, -5}});
  ASSERT_TRUE(tree.leafTemplate);
  EXPECT_LE(tree.leafTemplate->triangles.size(), 3u);
  EXPECT_TRUE(testing::AllFinite(tree));
}

}  // namespace
}  // namespace vh
