// The worker that fills the view's buffers: levels before the full tree,
// the full tree in parts no further ahead than the owner takes them, and a
// tree replaced (and freed by its owner) while it is being filled.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tree/tree.h"
#include "view/geometry_preparer.h"
#include "view/gpu_buffers.h"

namespace vh {
namespace {

std::vector<GeometryPreparer::Piece> WaitForAll(GeometryPreparer& preparer) {
  std::vector<GeometryPreparer::Piece> pieces;
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (preparer.Busy() && std::chrono::steady_clock::now() < giveUp) {
    for (auto& piece : preparer.Take()) pieces.push_back(std::move(piece));
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  for (auto& piece : preparer.Take()) pieces.push_back(std::move(piece));
  return pieces;
}

// A tree of some 300,000 triangles: large enough for interaction levels.
Tree LargeTree() {
  TreeParameters params(3);
  for (auto& level : params.levels) {
    level.nbChildrenMin = level.nbChildrenMax = 6;
    level.qualityAngle = level.qualityHeight = 10;
  }
  return Generate(params);
}

TEST(GeometryPreparer, LevelsComeCoarsestFirstThenTheFullTree) {
  const Tree tree = LargeTree();
  GeometryPreparer preparer;
  const std::uint64_t job = preparer.Start(tree.submeshes, false, true);
  const auto pieces = WaitForAll(preparer);
  ASSERT_GE(pieces.size(), 2u);
  for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
    EXPECT_FALSE(pieces[i].full);
    EXPECT_EQ(pieces[i].level, static_cast<int>(i));
    EXPECT_LT(pieces[i].buffers.primitives, pieces[i + 1].buffers.primitives) << "coarsest first";
  }
  EXPECT_TRUE(pieces.back().full);
  EXPECT_EQ(pieces.back().job, job);
  EXPECT_GT(pieces.back().buffers.primitives, tree.PolygonCount() / 2);
}

TEST(GeometryPreparer, TheFullTreeComesInPartsNoFurtherAheadThanTaken) {
  const Tree tree = LargeTree();
  GeometryPreparer preparer({}, 20'000);
  preparer.Start(tree.submeshes, false, false);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // nothing taken meanwhile
  std::vector<GeometryPreparer::Piece> pieces = preparer.Take();
  EXPECT_EQ(pieces.size(), kPartsAhead) << "the worker waits for the parts to be taken";
  for (auto& piece : WaitForAll(preparer)) pieces.push_back(std::move(piece));
  ASSERT_GT(pieces.size(), kPartsAhead);
  // Joined, the parts draw what the whole tree filled at once draws.
  GpuMeshBuffers joined;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    EXPECT_TRUE(pieces[i].full);
    EXPECT_EQ(pieces[i].last, i + 1 == pieces.size());
    if (i == 0) {
      joined = GpuMeshBuffers(std::move(pieces[i].buffers), {});
    } else {
      joined.Append(std::move(pieces[i].buffers));
    }
  }
  const MeshBuffers whole = FillMeshBuffers(tree, {});
  EXPECT_EQ(joined.Primitives(), whole.primitives);
  ASSERT_EQ(joined.BatchCount(), whole.batches.size()) << "parts join the batch of their state";
  std::size_t vertices = 0;
  for (std::size_t b = 0; b < joined.BatchCount(); ++b)
    for (std::size_t k = 0; k < joined.BlockCount(b); ++k) vertices += joined.BlockVertices(b, k);
  EXPECT_EQ(vertices, whole.VertexCount());
}

TEST(GeometryPreparer, ATreeReplacedWhileFilledOnlyDeliversTheNewOne) {
  auto first = std::make_unique<Tree>(LargeTree());
  GeometryPreparer preparer;
  preparer.Start(first->submeshes, false, true);
  first.reset();  // the owner frees the tree while the worker reads it
  MeshObject second;
  second.submeshes.push_back(LargeTree().submeshes.front());
  const std::uint64_t job = preparer.Start(second.submeshes, true, false);
  const auto pieces = WaitForAll(preparer);
  ASSERT_EQ(pieces.size(), 1u);
  EXPECT_EQ(pieces[0].job, job);
  EXPECT_TRUE(pieces[0].full);
  EXPECT_TRUE(pieces[0].buffers.lines);
}

TEST(GeometryPreparer, StopWaitsAndDropsWhatWasNotTaken) {
  const Tree tree = LargeTree();
  GeometryPreparer preparer;
  preparer.Start(tree.submeshes, false, true);
  preparer.Stop();
  EXPECT_FALSE(preparer.Busy());
  EXPECT_TRUE(preparer.Take().empty());
}

}  // namespace
}  // namespace vh
