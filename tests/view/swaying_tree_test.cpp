// The tree in the wind as the view draws it: the buffers the view fills,
// posed on the processor; and the preview's clock.
#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <cstring>
#include <memory>
#include <optional>

#include "billboard/lod_reduction.h"
#include "tree/tree.h"
#include "view/buffered_scene.h"
#include "view/frame_pacing.h"
#include "view/interaction_levels.h"
#include "view/mesh_buffers.h"
#include "view/swaying_tree.h"

namespace {

using vh::SwayingTree;

const vh::Tree& DefaultTree() {
  static const vh::Tree tree = vh::Generate(vh::TreeParameters(2));
  return tree;
}

vh::WindSettings Wind(int strength) {
  vh::WindSettings wind;
  wind.enabled = true;
  wind.strength = strength;
  return wind;
}

// Every position of every block, in order.
std::vector<float> Positions(const vh::MeshBuffers& buffers) {
  std::vector<float> all;
  for (const vh::BufferBatch& batch : buffers.batches)
    for (const vh::BufferBlock& block : batch.blocks)
      for (const vh::BufferVertex& v : block.vertices) all.insert(all.end(), v.position, v.position + 3);
  return all;
}
std::vector<float> Positions(const SwayingTree& tree) { return Positions(tree.Buffers()); }

std::size_t Triangles(const SwayingTree& tree) { return tree.Primitives(); }

TEST(SwayingTree, AtRestItIsTheTreeTheBuffersDraw) {
  const SwayingTree still(DefaultTree(), Wind(0));
  ASSERT_FALSE(still.Reduced());
  // Strips are unrolled into the triangles GL draws of them: every visible
  // triangle once, but for the one a strip's join repeats a vertex in
  // (the lists draw the same).
  std::size_t visible = 0;
  for (const auto& submesh : DefaultTree().submeshes) {
    std::size_t shown = 0;
    for (const vh::Triangle& t : submesh->triangles) shown += t.visible ? 1 : 0;
    visible += submesh->strip && shown > 1 ? shown - 1 : shown;
  }
  EXPECT_EQ(Triangles(still), visible);
  const SwayingTree swaying(DefaultTree(), Wind(100));
  EXPECT_EQ(Triangles(swaying), visible);
  ASSERT_EQ(Positions(still).size(), Positions(swaying).size());
  // The batches hold what the tree's own vertices hold at rest.
  std::vector<float> own;
  for (const auto& submesh : DefaultTree().submeshes)
    for (const vh::Vertex& v : submesh->vertices)
      own.insert(own.end(), {v.position.x, v.position.y, v.position.z});
  for (const vh::BufferBatch& batch : still.Buffers().batches) {
    for (const vh::BufferBlock& block : batch.blocks) {
      ASSERT_EQ(block.sources.size(), block.vertices.size());
      for (std::size_t i = 0; i < block.vertices.size(); ++i) {
        const std::size_t source = block.sources[i];
        ASSERT_EQ(block.vertices[i].position[0], own[3 * source]);
        ASSERT_EQ(block.vertices[i].position[2], own[3 * source + 2]);
      }
    }
  }
  // And they are the view's own buffers of the tree, byte for byte.
  const vh::MeshBuffers view = vh::FillMeshBuffers(DefaultTree(), {});
  ASSERT_EQ(view.batches.size(), still.Buffers().batches.size());
  for (std::size_t b = 0; b < view.batches.size(); ++b) {
    ASSERT_EQ(view.batches[b].state, still.Buffers().batches[b].state);
    ASSERT_EQ(view.batches[b].blocks.size(), still.Buffers().batches[b].blocks.size());
    for (std::size_t k = 0; k < view.batches[b].blocks.size(); ++k) {
      const vh::BufferBlock& a = view.batches[b].blocks[k];
      const vh::BufferBlock& posed = still.Buffers().batches[b].blocks[k];
      EXPECT_EQ(a.indices, posed.indices);
      ASSERT_EQ(a.vertices.size(), posed.vertices.size());
      EXPECT_EQ(0, std::memcmp(a.vertices.data(), posed.vertices.data(),
                               a.vertices.size() * sizeof(vh::BufferVertex)));
    }
  }
}

TEST(SwayingTree, SwaysOverTheLoopAndComesBack) {
  SwayingTree tree(DefaultTree(), Wind(80));
  const double loop = tree.LoopLength();
  tree.PoseAt(0.0);
  const std::vector<float> start = Positions(tree);
  tree.PoseAt(0.25 * loop);
  const std::vector<float> quarter = Positions(tree);
  tree.PoseAt(loop);
  EXPECT_NE(quarter, start);
  EXPECT_EQ(Positions(tree), start) << "the motion loops without a seam";
  // Other settings re-wind the same binding.
  tree.SetWind(Wind(0));
  EXPECT_EQ(Positions(tree), Positions(SwayingTree(DefaultTree(), Wind(0))));
}

TEST(SwayingTree, KnowsTheTreeAndModeItShows) {
  const SwayingTree tree(DefaultTree(), Wind(50));
  EXPECT_TRUE(tree.Shows(DefaultTree(), false));
  EXPECT_FALSE(tree.Shows(DefaultTree(), true));
  const vh::Tree other = vh::Generate(vh::TreeParameters(2));
  EXPECT_FALSE(tree.Shows(other, false));
}

// A large tree sways at the interaction level it is given, with every
// triangle the view draws of that level: not a coarser copy of its own.
TEST(SwayingTree, ALargeTreeIsPosedAtTheInteractionLevelItIsGiven) {
  vh::LodReduction quarter;  // as InteractionReductions makes its finest
  quarter.triangleShare = 0.25;
  quarter.thinnestBranch = 0.0024;
  quarter.mostLeafGrowth = vh::kInteractionLeafGrowth;
  vh::SwayingOptions options;
  options.level = quarter;
  const SwayingTree reduced(DefaultTree(), Wind(50), options);
  EXPECT_TRUE(reduced.Reduced());
  const std::unique_ptr<vh::MeshObject> level = vh::ReduceTree(DefaultTree(), quarter);
  EXPECT_EQ(Triangles(reduced), vh::FillMeshBuffers(*level, {}).primitives);
  EXPECT_LT(Triangles(reduced), Triangles(SwayingTree(DefaultTree(), Wind(50))));
  EXPECT_GT(Triangles(reduced), 0u);
}

std::uint64_t TriangleCount(const vh::MeshObject& mesh) {
  std::uint64_t count = 0;
  for (const auto& submesh : mesh.submeshes) count += submesh->triangles.size();
  return count;
}

// The level a large tree sways at is the one the view draws while the
// camera moves: the finest that fits a frame's budget; a tree that fits
// whole sways whole.
TEST(SwayingTree, SwaysAtTheLevelTheViewDrawsWhileMoving) {
  vh::TreeParameters params(3);
  for (auto& level : params.levels) level.nbChildrenMin = level.nbChildrenMax = 7;
  const vh::Tree large = vh::Generate(params);
  const vh::BufferedScene scene;
  const vh::FrameCostModel cost;  // the scene's before any frame is timed
  const double budget = vh::kFrameBudgetSeconds;
  const auto triangles = static_cast<double>(TriangleCount(large));
  ASSERT_GT(cost.Predict(TriangleCount(large)), budget) << "too large to draw whole in a frame";
  const std::optional<vh::LodReduction> level = scene.MovingLevel(large, false, budget);
  ASSERT_TRUE(level.has_value());
  const auto kept = static_cast<std::uint64_t>(level->triangleShare * triangles);
  EXPECT_LE(cost.Predict(kept), budget);
  EXPECT_GT(cost.Predict(4 * kept), budget) << "the next finer level would not fit";

  const bool fits = cost.Predict(TriangleCount(DefaultTree())) <= budget;
  EXPECT_EQ(scene.MovingLevel(DefaultTree(), false, budget).has_value(), !fits);
}

TEST(WindClock, RunsWhilePlayingAndStandsWhilePaused) {
  using namespace std::chrono_literals;
  const auto t0 = vh::WindClock::Clock::now();
  vh::WindClock clock;
  EXPECT_EQ(clock.SecondsAt(t0 + 5s), 0.0);
  clock.Play(t0);
  EXPECT_DOUBLE_EQ(clock.SecondsAt(t0 + 2s), 2.0);
  clock.Pause(t0 + 2s);
  EXPECT_DOUBLE_EQ(clock.SecondsAt(t0 + 9s), 2.0);
  clock.Play(t0 + 10s);
  EXPECT_NEAR(clock.SecondsAt(t0 + 11s), 3.0, 1e-6);
  clock.StopAt(0.5);
  EXPECT_FALSE(clock.Playing());
  EXPECT_EQ(clock.SecondsAt(t0 + 20s), 0.5);
}

}  // namespace
