#include "tree/branch_pick.h"

#include <gtest/gtest.h>

#include "tree_test_support.h"

namespace vh {
namespace {

Vector3 RingCentre(const Submesh& branch, int ring, int columns) {
  Vector3 sum = Zero;
  for (int j = 0; j < columns; ++j)
    sum += branch.vertices[static_cast<std::size_t>(ring * (columns + 1) + j)].position;
  return sum * (1.0f / static_cast<float>(columns));
}

// A ray from inside a branch of the last level (which carries no children)
// out through its surface meets that branch first.
TEST(PickBranch, ARayOutOfABranchPicksIt) {
  const TreeParameters params(2);
  const Tree tree = Generate(params);
  const BranchPlaces places = FindBranchPlaces(tree);
  const LevelParameters& last = params.levels[3];
  int picked = 0;
  for (std::size_t i = 0; i < tree.submeshes.size(); i += 5) {
    const auto* branch = dynamic_cast<const Branch*>(tree.submeshes[i].get());
    if (branch == nullptr || branch->level != 3) continue;
    const int ring = last.qualityHeight / 2;
    const Vector3 centre = RingCentre(*branch, ring, last.qualityAngle);
    const Vector3 through =
        branch->vertices[static_cast<std::size_t>(ring * (last.qualityAngle + 1) + 1)].position;
    const std::optional<BranchPick> pick = PickBranch(tree, centre, (through - centre) * 3.0f);
    ASSERT_TRUE(pick.has_value());
    EXPECT_EQ(pick->submesh, i);
    EXPECT_EQ(pick->branch, places.paths[static_cast<std::size_t>(places.branchOf[i])]);
    EXPECT_GT(pick->distance, 0.0f);
    EXPECT_LT(pick->distance, 1.0f / 3 + 0.01f);
    ++picked;
  }
  EXPECT_GT(picked, 5);
}

// A ray onto a leaf from just above it picks the branch carrying the leaf;
// a ray away from the tree picks nothing.
TEST(PickBranch, ALeafPicksItsBranchAndEmptySpaceNothing) {
  TreeParameters params(2);
  testing::GiveLeaves(params);
  const Tree tree = Generate(params);
  const BranchPlaces places = FindBranchPlaces(tree);
  int picked = 0;
  for (std::size_t i = 0; i < tree.submeshes.size(); i += 37) {
    const Submesh& leaf = *tree.submeshes[i];
    if (testing::IsBranch(leaf) || leaf.triangles.empty()) continue;
    const Triangle& t = leaf.triangles[0];
    const Vector3 a = leaf.vertices[t.a].position, b = leaf.vertices[t.b].position,
                  c = leaf.vertices[t.c].position;
    const Vector3 normal = Normalized(Cross(b - a, c - a));
    const Vector3 middle = (a + b + c) * (1.0f / 3);
    const std::optional<BranchPick> pick = PickBranch(tree, middle + normal * 1e-3f, -normal);
    ASSERT_TRUE(pick.has_value());
    EXPECT_EQ(pick->submesh, i);
    EXPECT_EQ(pick->branch, places.paths[static_cast<std::size_t>(places.branchOf[i])]);
    EXPECT_GT(pick->branch.size(), 1u) << "no leaves on the trunk";
    ++picked;
  }
  EXPECT_GT(picked, 5);
  EXPECT_FALSE(PickBranch(tree, {0, -10, 0}, {0, -1, 0}).has_value());
  EXPECT_FALSE(PickBranch(tree, {500, 50, 0}, {1, 0, 0}).has_value());
  // From the side, at mid-height, the trunk is what a ray meets first.
  const std::optional<BranchPick> trunk = PickBranch(tree, {0, 30, -500}, {0, 0, 1});
  ASSERT_TRUE(trunk.has_value());
  EXPECT_EQ(trunk->branch.size(), 1u);
}

}  // namespace
}  // namespace vh
