#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "tree/parameter_table.h"
#include "tree_test_support.h"

namespace vh {
namespace {

using testing::BranchAt;

void ExpectNear(const Vector3& actual, const Vector3& expected, float tolerance) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

TEST(TreeParameters, NewTreeHasTheDocumentedDefaults) {
  const TreeParameters params(2);
  EXPECT_EQ(params.lastParentLevel, 2);
  EXPECT_EQ(params.seed, 160);
  const LevelParameters& trunk = params.levels[0];
  EXPECT_EQ(trunk.bendingUp, 24);
  EXPECT_EQ(trunk.qualityAngle, 10);
  EXPECT_EQ(trunk.qualityHeight, 14);
  EXPECT_EQ(trunk.nbChildrenMin, 4);
  EXPECT_EQ(trunk.nbChildrenMax, 4);
  const LevelParameters& other = params.levels[7];
  EXPECT_EQ(other.levelIndex, 7);
  EXPECT_EQ(other.bendingUp, 12);
  EXPECT_EQ(other.qualityAngle, 6);
  EXPECT_EQ(other.nbChildrenMax, 3);
  EXPECT_EQ(params.materialPrefix, "Material");
  EXPECT_TRUE(params.noLeavesOnTrunk);
}

TEST(Generate, TrunkOfANewTreeHasTheReferenceVertices) {
  const Tree tree = Generate(TreeParameters(-1));  // trunk alone: no weld moves its vertices
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
  BranchPoint(trunk, 0.0, 0.0, BendWeight(trunk.record, 1.0 / 14), nullptr, nullptr, nullptr, &radius);
  EXPECT_NEAR(radius, 21.2562, 1e-4);
  BranchPoint(trunk, 7.0 / 14, 0.0, BendWeight(trunk.record, 8.0 / 14), nullptr, nullptr, nullptr, &radius);
  EXPECT_NEAR(radius, 8.5329, 1e-4);
}

TEST(Generate, FirstChildOfSeed160IsPlacedAsDocumented) {
  const Tree tree = Generate(TreeParameters(0));  // trunk and its children only
  ASSERT_EQ(tree.submeshes.size(), 5u);           // trunk + exactly 4 children
  const Branch& trunk = BranchAt(tree, 0);
  const Branch& child = BranchAt(tree, 1);
  EXPECT_NEAR(child.length, 65.637, 1e-9);

  // Redraw the placement from a fresh generator in the documented order:
  // count, then height, inclination and azimuth of the first child.
  MersenneTwister draws(160);
  EXPECT_EQ(static_cast<int>(draws.Uniform(4, 4)), 4);
  const long double pos = draws.Uniform(5, 90) * 117 * 0.01L;
  const double inclination =
      static_cast<double>(draws.Uniform(-64, -28) * 3.14159L * (1.0L / 180) + 1.570795L);
  const double azimuth = static_cast<double>(draws.Uniform(0, 360) * 3.14159L * (1.0L / 180));
  EXPECT_NEAR(static_cast<double>(pos), 53.21387, 1e-5);
  EXPECT_NEAR(inclination, 0.6570050, 1e-7);
  EXPECT_NEAR(azimuth, 5.027729, 1e-6);

  const double height = static_cast<double>(pos) / 117.0;
  const double g = BendWeight(trunk.record, std::fabs((14 * height + 1) / 14));
  Vector3 axis, sideA, sideB;
  double radius = 0;
  const Vector3 base =
      BranchPoint(trunk, height, azimuth + 1.5707963267948966, g, &axis, &sideA, &sideB, &radius);
  const Quaternion q = FromAxisAngle(static_cast<float>(azimuth), axis) *
                       FromAxisAngle(static_cast<float>(inclination), sideA);
  ExpectNear(child.direction, Rotate(q, axis), 1e-6f);
  EXPECT_NEAR(std::acos(Dot(Normalized(child.direction), axis)), inclination, 2e-5);
  EXPECT_NEAR(child.width, 0.85 * radius, 1e-9);
  ExpectNear(child.origin, base, 1e-6f);
  EXPECT_NEAR(child.origin.y, 53.21387, 1.0);
}

TEST(Generate, ChildrenOfTheTrunkStayWithinTheirRanges) {
  const Tree tree = Generate(TreeParameters(0));
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
  TreeParameters params(2);
  for (LevelParameters& level : params.levels) {
    level.nbChildrenMin = level.nbChildrenMax = 1;
    level.qualityHeight = 2;
    level.qualityAngle = 3;
  }
  const Tree tree = Generate(params);
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
  TreeParameters params(2);
  testing::GiveLeaves(params);
  Tree first = Generate(params);
  const Tree second = Generate(params);
  EXPECT_EQ(testing::AllPositions(first), testing::AllPositions(second));
  Generate(params, {}, {}, first);  // regrown in place
  EXPECT_EQ(testing::AllPositions(first), testing::AllPositions(second));
  EXPECT_TRUE(testing::AllFinite(first));
}

TEST(Generate, LeafSettingsNeverMoveABranch) {
  TreeParameters leafyParams(2);
  testing::GiveLeaves(leafyParams);
  for (LevelParameters& level : leafyParams.levels) level.leafDensity = 60;
  const Tree plain = Generate(TreeParameters(2));
  const Tree leafy = Generate(leafyParams);
  std::vector<Vector3> plainBranches, leafyBranches;
  for (const auto& s : plain.submeshes)
    if (s->texture == 2)
      for (const Vertex& v : s->vertices) plainBranches.push_back(v.position);
  for (const auto& s : leafy.submeshes)
    if (s->texture == 2)
      for (const Vertex& v : s->vertices) leafyBranches.push_back(v.position);
  EXPECT_GT(leafy.leafCount, 0);
  EXPECT_EQ(plainBranches, leafyBranches);
}

TEST(Generate, ObjectNumbersStartAtOneAndTheTemplateTakesTheFirst) {
  const Tree withoutLeaves = Generate(TreeParameters(1));
  EXPECT_EQ(withoutLeaves.submeshes.front()->displayList, 1u);

  TreeParameters params(1);
  testing::GiveLeaves(params);
  params.noLeavesOnTrunk = false;
  params.levels[0].leafDensity = 101;
  const Tree leafy = Generate(params);
  ASSERT_TRUE(leafy.leafTemplate);
  EXPECT_EQ(leafy.leafTemplate->displayList, 1u);
  // The trunk's leaves come first in the list, the trunk (number 2) after them.
  EXPECT_EQ(leafy.submeshes.front()->texture, 1);
  EXPECT_EQ(leafy.submeshes.front()->displayList, 3u);
  const auto trunk = std::find_if(leafy.submeshes.begin(), leafy.submeshes.end(),
                                  [](const auto& s) { return s->texture == 2; });
  EXPECT_EQ((*trunk)->displayList, 2u);
  // Every later submesh takes the next number in creation order, and the
  // counter continues after the last.
  unsigned highest = 0;
  for (const auto& s : leafy.submeshes) highest = std::max(highest, s->displayList);
  EXPECT_EQ(highest, leafy.submeshes.size() + 1);
  EXPECT_EQ(Submesh::PeekObjectCounter(), highest + 1);
}

TEST(Generate, CancellingKeepsAValidPartialTreeWithEmptySiblings) {
  const Tree full = Generate(TreeParameters(2));

  std::atomic<bool> cancel{false};
  int branches = 0;
  GenerationControl control;
  control.cancel = &cancel;
  control.onBranch = [&] {
    if (++branches == 5) cancel = true;
  };
  const Tree tree = Generate(TreeParameters(2), {}, control);
  EXPECT_TRUE(tree.cancelled);
  EXPECT_LT(tree.VertexCount(), full.VertexCount());
  int empty = 0;
  for (const auto& s : tree.submeshes) empty += s->vertices.empty() ? 1 : 0;
  EXPECT_GT(empty, 1);  // the branch at the cancel and siblings still to come
  EXPECT_TRUE(testing::AllFinite(tree));
}

TEST(Generate, ANestedGenerationFromTheCallbackDoesNotDisturbTheOuterOne) {
  TreeParameters params(2);
  testing::GiveLeaves(params);
  Tree nested;
  int calls = 0;
  GenerationControl control;
  control.onBranch = [&] {
    if (calls++ == 3) nested = Generate(TreeParameters(1));  // a handler growing another tree mid-way
  };
  const Tree tree = Generate(params, {}, control);
  EXPECT_EQ(testing::AllPositions(tree), testing::AllPositions(Generate(params)));
  EXPECT_EQ(testing::AllPositions(nested), testing::AllPositions(Generate(TreeParameters(1))));
}

TEST(Generate, StopsAtTheGeometryBudget) {
  TreeParameters params(8);
  for (LevelParameters& level : params.levels) level.nbChildrenMin = level.nbChildrenMax = 10;
  GenerationControl control;
  control.vertexBudget = 200'000;
  const Tree tree = Generate(params, {}, control);
  EXPECT_TRUE(tree.budgetExceeded);
  EXPECT_FALSE(tree.cancelled);
  EXPECT_LE(tree.VertexCount(), 200'000u);
}

TEST(Generate, ZeroQualityHeightAndInflateDeflateGrowAsTheirGuards) {
  TreeParameters zero(2), guarded(2);
  zero.levels[1].qualityHeight = 0;
  zero.levels[2].inflateDeflate = 0;
  guarded.levels[1].qualityHeight = 2;
  guarded.levels[2].inflateDeflate = 1;
  const Tree tree = Generate(zero);
  EXPECT_EQ(testing::FullDigest(tree), testing::FullDigest(Generate(guarded)));
  EXPECT_EQ(zero.levels[1].qualityHeight, 0);  // the parameters are only read
  EXPECT_TRUE(testing::AllFinite(tree));
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
    TreeParameters params(2);
    Tree tree = Generate(params);
    const auto before = testing::AllPositions(tree);
    c.spoil(params);
    EXPECT_FALSE(CheckGrowable(params).empty()) << c.what;
    EXPECT_THROW(Generate(params, {}, {}, tree), std::invalid_argument) << c.what;
    EXPECT_EQ(testing::AllPositions(tree), before) << c.what;
  }
}

TEST(Generate, LevelsBeyondTheLastAndTrunkAttachmentDoNotMatter) {
  const Tree reference = Generate(TreeParameters(2));
  TreeParameters changed(2);
  changed.levels[10].baseSize = 3;
  changed.levels[10].nbChildrenMax = 9;
  changed.levels[0].attachToParent = false;
  EXPECT_EQ(testing::AllPositions(Generate(changed)), testing::AllPositions(reference));
}

TEST(Generate, UnattachedChildStartsInsideItsParent) {
  TreeParameters loose(0);
  loose.levels[1].attachToParent = false;
  const Tree tree = Generate(loose);
  const Tree attached = Generate(TreeParameters(0));
  const Branch& unwelded = BranchAt(tree, 1);
  const Branch& welded = BranchAt(attached, 1);
  const Vector3 expected = welded.origin - (welded.direction * static_cast<float>(welded.width)) * 0.3f;
  EXPECT_EQ(unwelded.origin, expected);
}

TEST(Generate, BarkTextureGivesWhiteVerticesWithCoordinatesInRange) {
  TreeParameters params(0);
  params.barkTextureLoaded = true;
  params.uScale = 20;
  params.vScale = 30;
  const Tree tree = Generate(params);
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

TEST(Generate, MaterialsReachEverySubmesh) {
  TreeParameters params(1);
  testing::GiveLeaves(params);
  params.materialPrefix = "Oak";
  params.barkTextureFile = "/textures/bark.jpg";
  params.leafTextureFile = "/textures/leaf.bmp";
  const Tree tree = Generate(params);
  ASSERT_GT(tree.leafCount, 0);
  for (const auto& s : tree.submeshes) {
    const bool leaf = s->texture == kLeafMaterial;
    EXPECT_TRUE(leaf || s->texture == kBarkMaterial);
    EXPECT_EQ(s->materialName, leaf ? "Oak1" : "Oak2");
    EXPECT_EQ(s->textureFile, leaf ? "/textures/leaf.bmp" : "/textures/bark.jpg");
    EXPECT_EQ(s->strip, !leaf);
  }
}

}  // namespace
}  // namespace vh
