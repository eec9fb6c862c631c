#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "tree/branch.h"
#include "tree/tree.h"
#include "tree_test_support.h"

namespace vh {
namespace {

const Branch& BranchAt(const Tree& tree, std::size_t index) {
  return dynamic_cast<const Branch&>(*tree.submeshes.at(index));
}

void ExpectNear(const Vector3& actual, const Vector3& expected, float tolerance) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

TEST(TreeParameters, NewTreeHasTheDocumentedDefaults) {
  const Tree tree(2);
  EXPECT_EQ(tree.params.lastParentLevel, 2);
  EXPECT_EQ(tree.params.seed, 160);
  const LevelParameters& trunk = tree.params.levels[0];
  EXPECT_EQ(trunk.bendingUp, 24);
  EXPECT_EQ(trunk.qualityAngle, 10);
  EXPECT_EQ(trunk.qualityHeight, 14);
  EXPECT_EQ(trunk.nbChildrenMin, 4);
  EXPECT_EQ(trunk.nbChildrenMax, 4);
  const LevelParameters& other = tree.params.levels[7];
  EXPECT_EQ(other.levelIndex, 7);
  EXPECT_EQ(other.bendingUp, 12);
  EXPECT_EQ(other.qualityAngle, 6);
  EXPECT_EQ(other.nbChildrenMax, 3);
  EXPECT_EQ(tree.params.materialPrefix, "Material");
  EXPECT_TRUE(tree.params.noLeavesOnTrunk);
}

TEST(Generate, TrunkOfANewTreeHasTheReferenceVertices) {
  Tree tree(-1);  // trunk alone: no weld moves its vertices
  tree.Generate();
  ASSERT_EQ(tree.submeshes.size(), 1u);
  const Branch& trunk = BranchAt(tree, 0);
  EXPECT_EQ(trunk.length, 117.0);
  EXPECT_DOUBLE_EQ(trunk.width, 34.01);
  ASSERT_EQ(trunk.vertices.size(), 15u * 11u);
  ASSERT_EQ(trunk.triangles.size(), 2u * 14u * 11u);
  const auto at = [&](int ring, int column) { return trunk.vertices[ring * 11 + column].position; };
  ExpectNear(at(0, 0), {-0.0905f, 0.4107f, 21.2483f}, 1e-3f);
  ExpectNear(at(0, 3), {20.1223f, -0.1005f, -6.5661f}, 1e-3f);
  ExpectNear(at(7, 0), {-0.7443f, 58.6602f, 8.5297f}, 1e-3f);
  ExpectNear(at(14, 5), {-2.5333f, 116.9272f, -2.3485f}, 1e-3f);

  double radius = 0;
  Tree& mutableTree = tree;
  Branch& trunkRef = dynamic_cast<Branch&>(*mutableTree.submeshes[0]);
  BranchPoint(trunkRef, 0.0, 0.0, BendWeight(tree.params.levels[0], 1.0 / 14), nullptr, nullptr, nullptr, &radius);
  EXPECT_NEAR(radius, 21.2562, 1e-4);
  BranchPoint(trunkRef, 7.0 / 14, 0.0, BendWeight(tree.params.levels[0], 8.0 / 14), nullptr, nullptr, nullptr, &radius);
  EXPECT_NEAR(radius, 8.5329, 1e-4);
}

TEST(Generate, FirstChildOfSeed160IsPlacedAsDocumented) {
  Tree tree(0);  // trunk and its children only
  tree.Generate();
  ASSERT_EQ(tree.submeshes.size(), 5u);  // trunk + exactly 4 children
  Branch& trunk = dynamic_cast<Branch&>(*tree.submeshes[0]);
  const Branch& child = BranchAt(tree, 1);
  EXPECT_NEAR(child.length, 65.637, 1e-9);

  // Redraw the placement from a fresh generator in the documented order:
  // count, then height, inclination and azimuth of the first child.
  MersenneTwister draws(160);
  EXPECT_EQ(static_cast<int>(draws.Uniform(4, 4)), 4);
  const long double pos = draws.Uniform(5, 90) * 117 * 0.01L;
  const double inclination = static_cast<double>(draws.Uniform(-64, -28) * 3.14159L * (1.0L / 180) + 1.570795L);
  const double azimuth = static_cast<double>(draws.Uniform(0, 360) * 3.14159L * (1.0L / 180));
  EXPECT_NEAR(static_cast<double>(pos), 53.21387, 1e-5);
  EXPECT_NEAR(inclination, 0.6570050, 1e-7);
  EXPECT_NEAR(azimuth, 5.027729, 1e-6);

  const double height = static_cast<double>(pos) / 117.0;
  const LevelParameters& level = tree.params.levels[0];
  const double g = BendWeight(level, std::fabs((14 * height + 1) / 14));
  Vector3 axis, sideA, sideB;
  double radius = 0;
  const Vector3 base = BranchPoint(trunk, height, azimuth + 1.5707963267948966, g, &axis, &sideA, &sideB, &radius);
  const Quaternion q = FromAxisAngle(static_cast<float>(azimuth), axis) *
                       FromAxisAngle(static_cast<float>(inclination), sideA);
  ExpectNear(child.direction, Rotate(q, axis), 1e-6f);
  EXPECT_NEAR(std::acos(Dot(Normalized(child.direction), axis)), inclination, 2e-5);
  EXPECT_NEAR(child.width, 0.85 * radius, 1e-9);
  ExpectNear(child.origin, base, 1e-6f);
  EXPECT_NEAR(child.origin.y, 53.21387, 1.0);
}

TEST(Generate, ChildrenOfTheTrunkStayWithinTheirRanges) {
  Tree tree(0);
  tree.Generate();
  for (std::size_t i = 1; i < tree.submeshes.size(); ++i) {
    const Branch& child = BranchAt(tree, i);
    EXPECT_EQ(child.level, 1);
    EXPECT_GE(child.origin.y, 0.05 * 117 - 2);
    EXPECT_LE(child.origin.y, 0.90 * 117 + 2);
    const double angle = std::acos(Normalized(child.direction).y) * 180 / 3.141592653589793;
    EXPECT_GT(angle, 26 - 3);  // the bent trunk axis tilts by a few degrees at most
    EXPECT_LT(angle, 62 + 3);
  }
}

TEST(Generate, FourLevelsOfOneChildHaveTheDocumentedCounts) {
  Tree tree(2);
  for (LevelParameters& level : tree.params.levels) {
    level.nbChildrenMin = level.nbChildrenMax = 1;
    level.qualityHeight = 2;
    level.qualityAngle = 3;
  }
  tree.Generate();
  EXPECT_EQ(tree.submeshes.size(), 4u);
  EXPECT_EQ(tree.VertexCount(), 48u);
  EXPECT_EQ(tree.PolygonCount(), 64u);
  for (const auto& submesh : tree.submeshes) {
    EXPECT_EQ(submesh->texture, 2);
    EXPECT_EQ(submesh->materialName, "Material2");
    EXPECT_TRUE(submesh->strip);
  }
}

TEST(Generate, SameSeedGivesTheSameTreeFloatForFloat) {
  Tree first(2), second(2);
  testing::GiveLeaves(first);
  testing::GiveLeaves(second);
  first.Generate();
  second.Generate();
  EXPECT_EQ(testing::AllPositions(first), testing::AllPositions(second));
  first.Generate();
  EXPECT_EQ(testing::AllPositions(first), testing::AllPositions(second));
  EXPECT_TRUE(testing::AllFinite(first));
}

TEST(Generate, LeafSettingsNeverMoveABranch) {
  Tree plain(2), leafy(2);
  testing::GiveLeaves(leafy);
  for (LevelParameters& level : leafy.params.levels) level.leafDensity = 60;
  plain.Generate();
  leafy.Generate();
  std::vector<Vector3> plainBranches, leafyBranches;
  for (const auto& s : plain.submeshes)
    if (s->texture == 2) for (const Vertex& v : s->vertices) plainBranches.push_back(v.position);
  for (const auto& s : leafy.submeshes)
    if (s->texture == 2) for (const Vertex& v : s->vertices) leafyBranches.push_back(v.position);
  EXPECT_GT(leafy.leafCount, 0);
  EXPECT_EQ(plainBranches, leafyBranches);
}

TEST(Generate, ObjectNumbersStartAtOneAndTheTemplateTakesTheFirst) {
  Tree withoutLeaves(1);
  withoutLeaves.Generate();
  EXPECT_EQ(withoutLeaves.submeshes.front()->displayList, 1u);

  Tree leafy(1);
  testing::GiveLeaves(leafy);
  leafy.params.noLeavesOnTrunk = false;
  leafy.params.levels[0].leafDensity = 101;
  leafy.Generate();
  ASSERT_TRUE(leafy.leafTemplate);
  EXPECT_EQ(leafy.leafTemplate->displayList, 1u);
  // The trunk's leaves come first in the list, the trunk (number 2) after them.
  EXPECT_EQ(leafy.submeshes.front()->texture, 1);
  EXPECT_EQ(leafy.submeshes.front()->displayList, 3u);
  const auto trunk = std::find_if(leafy.submeshes.begin(), leafy.submeshes.end(),
                                  [](const auto& s) { return s->texture == 2; });
  EXPECT_EQ((*trunk)->displayList, 2u);
}

TEST(Generate, CancellingKeepsAValidPartialTreeWithEmptySiblings) {
  Tree full(2);
  full.Generate();

  Tree tree(2);
  int branches = 0;
  tree.pump = [&] {
    if (++branches == 5) tree.cancelRequested = true;
  };
  tree.Generate();
  EXPECT_FALSE(tree.busy);
  EXPECT_FALSE(tree.cancelRequested);
  EXPECT_LT(tree.VertexCount(), full.VertexCount());
  int empty = 0;
  for (const auto& s : tree.submeshes) empty += s->vertices.empty() ? 1 : 0;
  EXPECT_GT(empty, 0);
  EXPECT_TRUE(testing::AllFinite(tree));
}

TEST(Generate, RefusesANestedCallWhileBusy) {
  Tree tree(2);
  int nested = 0;
  tree.pump = [&] {
    if (nested++ == 0) tree.Generate();  // a handler asking again mid-way
  };
  tree.Generate();
  Tree reference(2);
  reference.Generate();
  EXPECT_EQ(testing::AllPositions(tree), testing::AllPositions(reference));
}

TEST(Generate, StopsAtTheGeometryBudget) {
  Tree tree(8);
  for (LevelParameters& level : tree.params.levels) level.nbChildrenMin = level.nbChildrenMax = 10;
  tree.vertexBudget = 200'000;
  tree.Generate();
  EXPECT_TRUE(tree.budgetExceeded);
  EXPECT_LE(tree.VertexCount(), 200'000u);
  EXPECT_FALSE(tree.busy);
}

TEST(Generate, RefusesZeroQualityWithoutTouchingTheParameters) {
  // A zero height quality or inflate/deflate only stands for 2 and 1 in a
  // document, where the reader turns it into those; growing never changes
  // the parameters it is given.
  Tree tree(2);
  tree.params.levels[1].qualityHeight = 0;
  const TreeParameters before = tree.params;
  try {
    tree.Generate();
    FAIL() << "a zero height quality was grown";
  } catch (const std::invalid_argument& error) {
    EXPECT_STREQ(error.what(),
                 "This tree cannot be grown: level 2: qualityHeight 0 must lie between 1 and 1000.");
  }
  EXPECT_TRUE(tree.params == before);
}

TEST(Generate, RefusesParameterSetsThatCannotBeGrown) {
  struct Case {
    const char* what;
    void (*spoil)(TreeParameters&);
  };
  const Case cases[] = {
      {"angle quality 0", [](TreeParameters& p) { p.levels[1].qualityAngle = 0; }},
      {"ten parent levels", [](TreeParameters& p) { p.lastParentLevel = 10; }},
      {"negative height quality", [](TreeParameters& p) { p.levels[0].qualityHeight = -3; }},
      {"negative heights", [](TreeParameters& p) { p.levels[0].heightMin = -5; }},
  };
  for (const Case& c : cases) {
    Tree tree(2);
    tree.Generate();
    const auto before = testing::AllPositions(tree);
    c.spoil(tree.params);
    EXPECT_THROW(tree.Generate(), std::invalid_argument) << c.what;
    EXPECT_EQ(testing::AllPositions(tree), before) << c.what;
    EXPECT_FALSE(tree.busy);
  }
}

TEST(Generate, LevelsBeyondTheLastAndTrunkAttachmentDoNotMatter) {
  Tree reference(2);
  reference.Generate();
  Tree changed(2);
  changed.params.levels[10].baseSize = 3;
  changed.params.levels[10].nbChildrenMax = 9;
  changed.params.levels[0].attachToParent = false;
  changed.Generate();
  EXPECT_EQ(testing::AllPositions(changed), testing::AllPositions(reference));
}

TEST(Generate, UnattachedChildStartsInsideItsParent) {
  Tree tree(0);
  tree.params.levels[1].attachToParent = false;
  tree.Generate();
  Tree attached(0);
  attached.Generate();
  const Branch& loose = BranchAt(tree, 1);
  const Branch& welded = BranchAt(attached, 1);
  const Vector3 expected = welded.origin - (welded.direction * static_cast<float>(welded.width)) * 0.3f;
  EXPECT_EQ(loose.origin, expected);
}

TEST(Generate, BarkTextureGivesWhiteVerticesWithCoordinatesInRange) {
  Tree tree(0);
  tree.params.barkTextureLoaded = true;
  tree.params.uScale = 20;
  tree.params.vScale = 30;
  tree.Generate();
  const Branch& trunk = BranchAt(tree, 0);
  for (const Vertex& v : trunk.vertices) {
    EXPECT_EQ(v.colour, One);
    EXPECT_TRUE(v.hasTexCoord);
    EXPECT_GE(v.texCoord.x, 0.1f * 20 - 1e-5f);
    EXPECT_LE(v.texCoord.x, 0.2f * 20 + 1e-5f);
    EXPECT_GE(v.texCoord.y, 0.001f * 117 * 30 - 1e-4f);
    EXPECT_LE(v.texCoord.y, 0.002f * 117 * 30 + 1e-4f);
  }
}

TEST(MeshBranch, StraightUntwistedTrunkIsACylinder) {
  Tree tree(-1);
  LevelParameters& trunk = tree.params.levels[0];
  trunk.noise = 0;
  trunk.twistingRad = 0;
  trunk.sizeDecrease = 8;
  tree.Generate();
  Branch& branch = dynamic_cast<Branch&>(*tree.submeshes[0]);
  for (int i = 0; i <= 14; ++i) {
    Vector3 axis;
    BranchPoint(branch, i / 14.0, 0, BendWeight(trunk, (i + 1) / 14.0), &axis);
    const Vector3 centre = static_cast<float>(i / 14.0 * 117) * axis;
    for (int j = 0; j <= 10; ++j) {
      const Vector3 offset = branch.vertices[i * 11 + j].position - centre;
      EXPECT_NEAR(std::sqrt(LengthSquared(offset)), 34.01, 1e-3) << "ring " << i << " column " << j;
    }
  }
}

TEST(WeldToParent, MovesNoMoreParentVerticesThanTheRingHas) {
  Tree unwelded(0), welded(0);
  for (LevelParameters& level : unwelded.params.levels) level.attachToParent = false;
  unwelded.Generate();
  welded.Generate();
  // Compare trunks: the welded one differs only where children met it.
  const auto& a = welded.submeshes[0]->vertices;
  const auto& b = unwelded.submeshes[0]->vertices;
  int moved = 0;
  for (std::size_t i = 0; i < a.size(); ++i) moved += a[i].position == b[i].position ? 0 : 1;
  EXPECT_GT(moved, 0);
  EXPECT_LE(moved, 4 * 7);  // four children with rings of 6 + 1 vertices
  for (std::size_t c = 1; c < welded.submeshes.size(); ++c) {
    const auto& ring = welded.submeshes[c]->vertices;
    EXPECT_EQ(ring[6].position, ring[0].position);  // the welded ring is closed
  }
}

}  // namespace
}  // namespace vh

namespace vh {
namespace {

// The weld rule evaluated the plain way: every parent vertex, exact float
// distances, the earliest among equals.
void WeldByBruteForce(std::vector<Vertex>& child, std::vector<Vertex>& parent, int qA) {
  std::vector<std::pair<std::size_t, Vector3>> moves;
  for (int j = 0; j <= qA; ++j) {
    const Vector3 c = child[j].position;
    float best = 1e7f;
    std::size_t nearest = parent.size();
    for (std::size_t p = 0; p < parent.size(); ++p) {
      const float d = LengthSquared(c - parent[p].position);
      if (d < best) best = d, nearest = p;
    }
    if (nearest == parent.size()) continue;
    const Vector3 p = parent[nearest].position;
    child[j].position = 0.2f * c + 0.8f * p;
    moves.emplace_back(nearest, 0.8f * c + 0.2f * p);
  }
  child[qA].position = child[0].position;
  for (const auto& [index, position] : moves) parent[index].position = position;
}

TEST(WeldToParent, AgreesWithTheBruteForceRule) {
  Tree tree(1);
  for (LevelParameters& level : tree.params.levels) level.attachToParent = false;
  tree.Generate();
  for (LevelParameters& level : tree.params.levels) level.attachToParent = true;
  Branch& trunk = dynamic_cast<Branch&>(*tree.submeshes[0]);
  std::vector<Vertex> expectedTrunk = trunk.vertices;
  for (std::size_t i = 1; i < tree.submeshes.size(); ++i) {
    Branch& child = dynamic_cast<Branch&>(*tree.submeshes[i]);
    if (child.level != 1) continue;
    std::vector<Vertex> expectedChild = child.vertices;
    WeldByBruteForce(expectedChild, expectedTrunk, tree.params.levels[1].qualityAngle);
    const std::uint64_t drawnRevision = trunk.revision;  // as if drawn meanwhile
    tree.WeldToParent(child, trunk);
    EXPECT_GT(trunk.revision, drawnRevision) << "the moved trunk must be drawn again";
    for (std::size_t v = 0; v < child.vertices.size(); ++v)
      ASSERT_EQ(child.vertices[v].position, expectedChild[v].position) << "child " << i << " vertex " << v;
  }
  for (std::size_t v = 0; v < trunk.vertices.size(); ++v)
    ASSERT_EQ(trunk.vertices[v].position, expectedTrunk[v].position) << "trunk vertex " << v;
}

}  // namespace
}  // namespace vh
