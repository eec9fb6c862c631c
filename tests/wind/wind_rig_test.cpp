// The wind's skeleton of a grown tree: which branches get joints, who
// carries which leaf, and how the weights run along a branch.
#include "wind/wind_rig.h"

#include <gtest/gtest.h>

#include <array>
#include <map>

#include "wind/wind_test_support.h"

namespace vh {
namespace {

// A branch removed by hand leaves its siblings their names and phases.
TEST(WindRig, SiblingsOfARemovedBranchKeepTheirNamesAndPhases) {
  TreeParameters params;
  const WindRig whole = BuildWindRig(Generate(params));
  params.handEdits = {{HandEditKind::kRemove, {0, 1}}};
  const WindRig pruned = BuildWindRig(Generate(params));
  std::map<std::string, double> phases;
  for (const WindJoint& joint : whole.joints) phases[joint.name] = joint.phase;
  std::size_t kept = 0;
  for (const WindJoint& joint : pruned.joints) {
    EXPECT_NE(joint.name.rfind("Branch 2", 0), 0u) << joint.name;
    ASSERT_TRUE(phases.count(joint.name)) << joint.name;
    EXPECT_EQ(joint.phase, phases[joint.name]) << joint.name;
    kept += joint.name.rfind("Branch 4", 0) == 0;
  }
  EXPECT_GT(kept, 0u);
}

TEST(WindRig, DefaultTreeHasJointsForTheGroundTheTrunkAndTwoLevels) {
  const Tree tree = Generate(TreeParameters());
  const WindRig rig = BuildWindRig(tree);
  std::array<int, 5> ofLevel{};
  for (const WindBranch& branch : rig.branches) ++ofLevel.at(static_cast<std::size_t>(branch.level));
  EXPECT_EQ(ofLevel[0], 1);
  EXPECT_EQ(ofLevel[4], 0);
  ASSERT_EQ(rig.joints.size(), static_cast<std::size_t>(1 + ofLevel[0] + ofLevel[1] + ofLevel[2]));
  EXPECT_EQ(rig.joints[0].name, "Ground");
  EXPECT_EQ(rig.joints[1].name, "Trunk");
  EXPECT_EQ(rig.joints[2].name, "Branch 1");
  EXPECT_EQ(rig.joints[3].name, "Branch 1.1");
  for (std::size_t j = 1; j < rig.joints.size(); ++j) {
    const WindJoint& joint = rig.joints[j];
    ASSERT_GE(joint.parent, 0);
    EXPECT_LT(joint.parent, static_cast<int>(j)) << "parents come first";
    EXPECT_EQ(rig.joints[static_cast<std::size_t>(joint.parent)].level, joint.level - 1) << joint.name;
    EXPECT_EQ(rig.branches[static_cast<std::size_t>(joint.branch)].joint, static_cast<int>(j));
  }
  for (const WindBranch& branch : rig.branches) {
    EXPECT_EQ(branch.joint >= 0, branch.level <= 2);
    // Every branch below the joints hangs on the level-2 branch it grows from.
    if (branch.level == 3) {
      EXPECT_EQ(branch.anchorJoint, rig.branches[static_cast<std::size_t>(branch.parent)].joint);
    }
  }
}

// A generation numbers a branch, then its leaves: a leaf belongs to the
// branch with the highest number below its own, the trunk's leaves too,
// though they are listed before the trunk.
TEST(WindRig, EveryLeafBelongsToTheBranchThatGrewIt) {
  const Tree tree = test::LeafyTree();
  const WindRig rig = BuildWindRig(tree);
  std::map<unsigned, std::uint32_t> branchOfNumber;
  for (const auto& submesh : tree.submeshes) {
    if (!test::AsBranch(*submesh)) continue;
    const WindOwner* owner = rig.OwnerOf(submesh->displayList);
    ASSERT_NE(owner, nullptr);
    EXPECT_EQ(owner->leaf, -1);
    branchOfNumber[submesh->displayList] = owner->branch;
  }
  std::map<std::uint32_t, int> leavesOf;
  int leaves = 0;
  for (const auto& submesh : tree.submeshes) {
    if (submesh->texture != kLeafMaterial) continue;
    ++leaves;
    const WindOwner* owner = rig.OwnerOf(submesh->displayList);
    ASSERT_NE(owner, nullptr);
    const auto grower = std::prev(branchOfNumber.lower_bound(submesh->displayList));
    EXPECT_EQ(owner->branch, grower->second) << "leaf " << submesh->displayList;
    EXPECT_EQ(owner->leaf, leavesOf[owner->branch]++) << "leaves count from 0 in list order";
  }
  EXPECT_EQ(leaves, tree.leafCount);
  EXPECT_GT(leavesOf[0], 0) << "the trunk carries leaves";
}

TEST(WindRig, BeyondTheJointLimitTheLongestBranchesOfTheLastLevelKeepThem) {
  TreeParameters params(1);
  for (LevelParameters& level : params.levels) {
    level.nbChildrenMin = level.nbChildrenMax = 20;
    level.qualityAngle = 3;
    level.qualityHeight = 2;
  }
  const Tree tree = Generate(params);
  const WindRig rig = BuildWindRig(tree);
  ASSERT_EQ(rig.branches.size(), 1u + 20 + 400);
  EXPECT_EQ(rig.joints.size(), 255u);
  float shortestJointed = 1e30f, longestLeftOut = 0.0f;
  int jointedOfLevel2 = 0;
  for (const WindBranch& branch : rig.branches) {
    if (branch.level < 2) {
      EXPECT_GE(branch.joint, 0);
    } else if (branch.joint >= 0) {
      ++jointedOfLevel2;
      shortestJointed = std::min(shortestJointed, branch.length);
    } else {
      longestLeftOut = std::max(longestLeftOut, branch.length);
    }
  }
  EXPECT_EQ(jointedOfLevel2, 255 - 22);
  EXPECT_GE(shortestJointed, longestLeftOut);
  EXPECT_EQ(BuildWindRig(tree, {1, 255}).joints.size(), 22u) << "a shallower choice stops at its level";
}

// Weights run from the parent's (at a branch's base) to the branch's own
// joint (at its tip); a branch without a joint takes its anchor's weights
// point for point.
TEST(WindRig, WeightsRunFromTheParentsToABranchsOwnJoint) {
  const Tree tree = Generate(TreeParameters(3));
  const WindRig rig = BuildWindRig(tree);
  for (const WindBranch& branch : rig.branches) {
    const Vector3 halfway = (branch.base + branch.tip) * 0.5f;
    const JointWeights middle = rig.WeightsOn(branch, halfway);
    ASSERT_LE(middle.count, JointWeights::kMost);
    float sum = 0.0f;
    for (int k = 0; k < middle.count; ++k) sum += middle.weights[k];
    EXPECT_NEAR(sum, 1.0f, 1e-6f);
    if (branch.joint < 0) {
      const JointWeights anchors = rig.WeightsOn(*rig.AnchorOf(branch), halfway);
      for (int k = 0; k < anchors.count; ++k)
        EXPECT_EQ(middle.WeightOf(anchors.joints[k]), anchors.weights[k]);
      continue;
    }
    EXPECT_EQ(rig.WeightsOn(branch, branch.base).WeightOf(branch.joint), 0.0f);
    EXPECT_NEAR(rig.WeightsOn(branch, branch.tip).WeightOf(branch.joint), 1.0f, 1e-6f);
    EXPECT_NEAR(middle.WeightOf(branch.joint), 0.5f, 1e-4f);
    if (branch.parent < 0) continue;
    const JointWeights parents =
        rig.WeightsOn(rig.branches[static_cast<std::size_t>(branch.parent)], halfway);
    for (int k = 0; k < parents.count; ++k)
      EXPECT_NEAR(middle.WeightOf(parents.joints[k]), 0.5f * parents.weights[k], 1e-4f);
  }
}

TEST(WindRig, WeightsKeepTheHeaviestFourAndSumToExactlyOneRounded) {
  const std::uint8_t joints[] = {0, 1, 2, 3, 4, 5};
  const float four[] = {0.1f, 0.0f, 0.3f, 0.123456f, 0.476544f};
  const JointWeights w = JointWeights::Heaviest(joints, four, 5);
  ASSERT_EQ(w.count, 4) << "a weight of 0 is dropped";
  EXPECT_EQ(w.joints[0], 4);
  EXPECT_EQ(w.joints[3], 0);
  const JointWeights q = w.Quantised();
  EXPECT_EQ(q.weights[3] + q.weights[2] + q.weights[1] + q.weights[0], 1.0f);
  EXPECT_EQ(q.weights[1] + q.weights[3] + q.weights[0] + q.weights[2], 1.0f);
  for (int k = 0; k < 4; ++k) EXPECT_NEAR(q.weights[k], w.weights[k], 1.0f / 32768);
  // A fifth joint pushes out the lightest and the rest sum to 1 again.
  const float five[] = {0.1f, 0.25f, 0.3f, 0.05f, 0.2f, 0.1f};
  const JointWeights heaviest = JointWeights::Heaviest(joints, five, 6);
  ASSERT_EQ(heaviest.count, 4);
  EXPECT_EQ(heaviest.WeightOf(3), 0.0f);
  EXPECT_NEAR(heaviest.WeightOf(0) + heaviest.WeightOf(5), 0.1f / 0.85f, 1e-6f)
      << "one of the tied 0.1s stays";
  EXPECT_NEAR(heaviest.weights[0] + heaviest.weights[1] + heaviest.weights[2] + heaviest.weights[3], 1.0f,
              1e-6f);
}

// Phases follow from a branch's place in the tree, not from anything else
// in the document: two trees that differ below the joints sway alike.
TEST(WindRig, PhasesComeFromEachBranchsPlace) {
  TreeParameters params(3);
  const WindRig rig = BuildWindRig(Generate(params));
  params.levels[3].nbChildrenMin = params.levels[3].nbChildrenMax = 5;  // moves every later branch
  const WindRig again = BuildWindRig(Generate(params));
  ASSERT_EQ(rig.joints.size(), again.joints.size());
  int differentFromTheFirst = 0;
  for (std::size_t j = 0; j < rig.joints.size(); ++j) {
    EXPECT_EQ(rig.joints[j].phase, again.joints[j].phase);
    EXPECT_EQ(rig.joints[j].variety, again.joints[j].variety);
    if (j > 2) differentFromTheFirst += rig.joints[j].phase != rig.joints[2].phase;
  }
  EXPECT_EQ(differentFromTheFirst, static_cast<int>(rig.joints.size()) - 3);
}

TEST(WindRig, LongThinBranchesSwayFurtherThanShortThickOnes) {
  MeshObject mesh;
  LevelParameters record;
  mesh.submeshes.push_back(std::make_shared<Branch>(Zero, UnitY, 100.0, 10.0, record, 0, 1));
  mesh.submeshes.push_back(std::make_shared<Branch>(Vector3(0, 50, 0), UnitX, 60.0, 1.0, record, 1, 2));
  mesh.submeshes.push_back(std::make_shared<Branch>(Vector3(0, 60, 0), UnitZ, 20.0, 4.0, record, 1, 3));
  const WindRig rig = BuildWindRig(mesh);
  ASSERT_EQ(rig.joints.size(), 4u);
  EXPECT_GT(rig.joints[2].sway, rig.joints[3].sway);
  EXPECT_EQ(rig.joints[2].parent, 1);
}

}  // namespace
}  // namespace vh
