// A generation meshes on several threads, but it must grow the same tree
// as a plain depth-first walk, and stop the same way when it is cancelled
// or runs out of budget. These digests were taken from the single-threaded
// generator before the work was spread over threads.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "tree_test_support.h"

namespace vh {
namespace {

// Leaves on every level (the trunk too), welding on levels 1 and 3, a loose
// level 2, and a varying child count.
TreeParameters WeldedLeafyTree() {
  TreeParameters params(3);
  testing::GiveLeaves(params);
  params.noLeavesOnTrunk = false;
  for (int i = 0; i < kLevelCount; ++i) params.levels[i].leafDensity = 30 + 10 * i;
  params.levels[2].attachToParent = false;
  params.levels[1].nbChildrenMin = 2;
  params.levels[1].nbChildrenMax = 5;
  return params;
}

struct Outcome {
  std::size_t submeshes;
  std::uint64_t vertices;
  int leaves;
  bool budgetExceeded;
  unsigned nextObjectNumber;
  std::uint64_t digest;
};

void ExpectOutcome(const Tree& tree, const Outcome& expected, const std::string& what) {
  EXPECT_EQ(tree.submeshes.size(), expected.submeshes) << what;
  EXPECT_EQ(tree.VertexCount(), expected.vertices) << what;
  EXPECT_EQ(tree.leafCount, expected.leaves) << what;
  EXPECT_EQ(tree.budgetExceeded, expected.budgetExceeded) << what;
  EXPECT_EQ(Submesh::PeekObjectCounter(), expected.nextObjectNumber) << what;
  EXPECT_EQ(testing::FullDigest(tree), expected.digest) << what;
}

// Every branch is either fully meshed or empty; once a branch is empty
// nothing after it carries geometry; no branch is meshed below an empty one.
void ExpectConsistentPartialTree(const Tree& tree, const std::string& what) {
  bool cut = false;
  std::vector<const Branch*> lastOfLevel(kLevelCount, nullptr);
  for (const auto& submesh : tree.submeshes) {
    const auto* branch = dynamic_cast<const Branch*>(submesh.get());
    if (!branch) {
      EXPECT_FALSE(cut) << what << ": a leaf after the cut";
      ASSERT_TRUE(tree.leafTemplate) << what;
      EXPECT_EQ(submesh->vertices.size(), tree.leafTemplate->vertices.size()) << what;
      continue;
    }
    lastOfLevel[branch->level] = branch;
    if (branch->vertices.empty()) {
      EXPECT_TRUE(branch->triangles.empty()) << what;
      cut = true;
      continue;
    }
    EXPECT_FALSE(cut) << what << ": branch " << branch->displayList << " meshed after the cut";
    const LevelParameters& level = branch->record;
    EXPECT_EQ(branch->vertices.size(),
              static_cast<std::size_t>((level.qualityHeight + 1) * (level.qualityAngle + 1)))
        << what;
    EXPECT_EQ(branch->triangles.size(),
              static_cast<std::size_t>(2 * level.qualityHeight * (level.qualityAngle + 1)))
        << what;
    if (branch->level > 0) {
      const Branch* parent = lastOfLevel[branch->level - 1];
      ASSERT_NE(parent, nullptr) << what;
      EXPECT_FALSE(parent->vertices.empty()) << what << ": a branch meshed on an empty parent";
    }
  }
  EXPECT_TRUE(testing::AllFinite(tree)) << what;
}

const Outcome kWholeTree{5259, 34227, 5124, false, 5261, 0xb4f1957815aa82d5ull};

TEST(PartialGrowth, OneAndTwoWorkersGrowTheSameTreeBitForBit) {
  const TreeParameters params = WeldedLeafyTree();
  for (const int workers : {1, 2, 0}) {
    const Tree tree = Generate(params, testing::Workers(workers));
    ExpectOutcome(tree, kWholeTree, "workers " + std::to_string(workers));
    ExpectConsistentPartialTree(tree, "whole tree");
    EXPECT_FALSE(tree.cancelled);
  }
  TreeParameters textured = params;
  textured.barkTextureLoaded = true;
  textured.leafTextureLoaded = true;
  for (const int workers : {1, 2}) {
    const Tree tree = Generate(textured, testing::Workers(workers));
    EXPECT_EQ(testing::FullDigest(tree), 0xa97aa72f8e78e83aull) << "textured, workers " << workers;
  }
}

TEST(PartialGrowth, CancellingAtABranchLeavesTheSameConsistentPartialTree) {
  struct Case {
    int branch;  // the callback at which the cancel flag is set, 1 = the trunk's
    Outcome outcome;
  };
  const Case cases[] = {
      {1, {1, 0, 0, false, 3, 0x88cd2a03fb866162ull}},
      {2, {18, 230, 13, false, 20, 0x22e5d6fe0ef65764ull}},
      {3, {46, 418, 38, false, 48, 0xe42cdeab207f5460ull}},
      {6, {162, 1157, 148, false, 164, 0x02407341f2fd4ceeull}},
      {17, {613, 4060, 590, false, 615, 0x2885701d17c313a9ull}},
      {40, {1537, 10024, 1493, false, 1539, 0xe2c764fcaad11e5aull}},
  };
  const TreeParameters params = WeldedLeafyTree();
  for (const Case& c : cases) {
    for (const int workers : {1, 2}) {
      std::atomic<bool> cancel{false};
      int calls = 0;
      GenerationControl control;
      control.cancel = &cancel;
      control.onBranch = [&] {
        if (++calls == c.branch) cancel = true;
      };
      const Tree tree = Generate(params, testing::Workers(workers), control);
      const std::string what =
          "cancel at " + std::to_string(c.branch) + ", workers " + std::to_string(workers);
      ExpectOutcome(tree, c.outcome, what);
      ExpectConsistentPartialTree(tree, what);
      EXPECT_TRUE(tree.cancelled) << what;
      // The branches the cut leaves (it and its later siblings) are called back too.
      int branches = 0;
      for (const auto& submesh : tree.submeshes) branches += testing::IsBranch(*submesh) ? 1 : 0;
      EXPECT_EQ(calls, branches) << what;
    }
  }
}

TEST(PartialGrowth, TheBudgetStopsAtTheSameBranch) {
  struct Case {
    std::uint64_t budget;
    Outcome outcome;
  };
  const Case cases[] = {
      {5000, {760, 4999, 740, true, 762, 0xf12ea9ea27580d11ull}},
      {20000, {3075, 19996, 2996, true, 3077, 0xcc265d1f77b42a95ull}},
      {31000, {4753, 30996, 4629, true, 4755, 0x107b9df8e9eb69beull}},
      {34227, kWholeTree},  // exactly enough
  };
  const TreeParameters params = WeldedLeafyTree();
  for (const Case& c : cases) {
    for (const int workers : {1, 2}) {
      GenerationControl control;
      control.vertexBudget = c.budget;
      const Tree tree = Generate(params, testing::Workers(workers), control);
      ExpectOutcome(tree, c.outcome,
                    "budget " + std::to_string(c.budget) + ", workers " + std::to_string(workers));
      EXPECT_FALSE(tree.cancelled);
    }
  }

  TreeParameters bushy(8);
  for (LevelParameters& level : bushy.levels) level.nbChildrenMin = level.nbChildrenMax = 10;
  GenerationControl control;
  control.vertexBudget = 200'000;
  for (const int workers : {1, 2}) {
    const Tree tree = Generate(bushy, testing::Workers(workers), control);
    ExpectOutcome(tree, {3173, 199938, 0, true, 3174, 0x0aa8ee2d361b67bbull},
                  "bushy, workers " + std::to_string(workers));
    // The branch the budget ran out at is the last, and empty.
    EXPECT_TRUE(tree.submeshes.back()->vertices.empty());
  }
}

TEST(PartialGrowth, CallbackRunsOnTheCallingThreadBeforeEachBranchJoinsTheTree) {
  const TreeParameters params = WeldedLeafyTree();
  Tree tree;
  const std::thread::id caller = std::this_thread::get_id();
  int calls = 0;
  bool sawOnlyEarlierBranches = true, onCaller = true;
  GenerationControl control;
  control.onBranch = [&] {
    onCaller = onCaller && std::this_thread::get_id() == caller;
    int branches = 0;
    for (const auto& submesh : tree.submeshes) branches += testing::IsBranch(*submesh) ? 1 : 0;
    sawOnlyEarlierBranches = sawOnlyEarlierBranches && branches == calls;
    ++calls;
  };
  Generate(params, testing::Workers(2), control, tree);
  EXPECT_TRUE(onCaller);
  EXPECT_TRUE(sawOnlyEarlierBranches);
  EXPECT_EQ(calls, static_cast<int>(tree.submeshes.size()) - tree.leafCount);
  EXPECT_EQ(testing::FullDigest(tree), kWholeTree.digest);
}

TEST(PartialGrowth, ACancelFromAnotherThreadIsHonouredAtTheNextBranch) {
  const TreeParameters params = WeldedLeafyTree();
  std::atomic<bool> cancel{false};
  std::promise<void> reachedFifth, cancelled;
  std::thread canceller([&, reached = reachedFifth.get_future()]() mutable {
    reached.wait();
    cancel.store(true);
    cancelled.set_value();
  });
  int calls = 0;
  GenerationControl control;
  control.cancel = &cancel;
  control.onBranch = [&, answered = cancelled.get_future().share()] {
    if (++calls != 5) return;
    reachedFifth.set_value();
    answered.wait();
  };
  const Tree tree = Generate(params, testing::Workers(2), control);
  canceller.join();
  EXPECT_TRUE(tree.cancelled);
  ExpectConsistentPartialTree(tree, "cancelled from another thread");

  // The same tree as a cancel at the fifth branch on one thread.
  std::atomic<bool> sameThreadCancel{false};
  int sameThreadCalls = 0;
  GenerationControl sameThread;
  sameThread.cancel = &sameThreadCancel;
  sameThread.onBranch = [&] {
    if (++sameThreadCalls == 5) sameThreadCancel = true;
  };
  EXPECT_EQ(testing::FullDigest(tree),
            testing::FullDigest(Generate(params, testing::Workers(1), sameThread)));
}

TEST(PartialGrowth, ACancelRaisedBeforeTheGenerationStopsItAtTheTrunk) {
  const std::atomic<bool> cancel{true};
  GenerationControl control;
  control.cancel = &cancel;
  const Tree tree = Generate(WeldedLeafyTree(), testing::Workers(2), control);
  ASSERT_EQ(tree.submeshes.size(), 1u);
  EXPECT_TRUE(tree.submeshes[0]->vertices.empty());
  EXPECT_EQ(tree.leafCount, 0);
}

}  // namespace
}  // namespace vh
