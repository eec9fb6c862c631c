// The tree in the wind as the view draws it: the stream the display lists
// hold, posed on the processor; and the preview's clock.
#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>

#include "tree/tree.h"
#include "view/swaying_tree.h"

namespace {

using vh::SwayingTree;
using vh::SwayingVertex;

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

// Every position of every batch, in order.
std::vector<float> Positions(const SwayingTree& tree) {
  std::vector<float> all;
  for (const vh::SwayingBatch& batch : tree.Batches())
    for (const SwayingVertex& v : batch.vertices) all.insert(all.end(), v.position, v.position + 3);
  return all;
}

std::size_t Triangles(const SwayingTree& tree) {
  std::size_t count = 0;
  for (const vh::SwayingBatch& batch : tree.Batches()) count += batch.indices.size() / 3;
  return count;
}

TEST(SwayingTree, AtRestItIsTheTreeTheListsDraw) {
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
  for (const vh::SwayingBatch& batch : still.Batches()) {
    for (std::size_t i = 0; i < batch.vertices.size(); ++i) {
      const std::size_t source = batch.sources[i];
      ASSERT_EQ(batch.vertices[i].position[0], own[3 * source]);
      ASSERT_EQ(batch.vertices[i].position[2], own[3 * source + 2]);
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

TEST(SwayingTree, ALargeTreeIsPosedAtTheInteractionLevel) {
  vh::SwayingOptions options;
  options.mostVertices = DefaultTree().VertexCount() / 4;
  const SwayingTree reduced(DefaultTree(), Wind(50), options);
  EXPECT_TRUE(reduced.Reduced());
  EXPECT_LT(Triangles(reduced), Triangles(SwayingTree(DefaultTree(), Wind(50))));
  EXPECT_GT(Triangles(reduced), 0u);
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
