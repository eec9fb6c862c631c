// One billboard from its cluster: the box of the projected cluster starts at
// the origin, so a cluster away from the origin still gets a box that
// reaches it.
#include <gtest/gtest.h>

#include "billboard/billboard_builder.h"
#include "billboard/coverage.h"
#include "billboard/test_meshes.h"
#include "tree/mesh.h"

namespace vh {
namespace {

struct BuiltCluster {
  Billboard billboard;
  bool covered = false;
};

// A mesh of one triangle lying in a plane of constant z, built into a
// billboard with that triangle as the candidate plane.
BuiltCluster BuildFromTriangle(const Vector3& a, const Vector3& b, const Vector3& c) {
  MeshObject mesh;
  mesh.submeshes.push_back(test::MakeTriangles(kLeafMaterial, {a, b, c}));
  TriangleCoverage coverage(mesh);
  const CandidatePlane candidate{a, b, c, 0, 0};
  BuiltCluster built;
  built.billboard = BuildBillboard(mesh, coverage, candidate, DistanceThreshold(10));
  built.covered = coverage.Covered(0, 0);
  return built;
}

TEST(BillboardBuilder, BoxOfAClusterAwayFromTheOriginReachesTheOrigin) {
  // All coordinates positive: the box runs from the origin, not from the
  // first vertex (10, 10, 5), to the largest corner.
  const BuiltCluster built = BuildFromTriangle({10, 10, 5}, {12, 10, 5}, {10, 13, 5});
  ASSERT_TRUE(built.covered);
  EXPECT_EQ(built.billboard.quad.corner[0], Vector3(0, 0, 0));
  EXPECT_EQ(built.billboard.quad.corner[2], Vector3(12, 13, 5));
}

TEST(BillboardBuilder, BoxOfAClusterOnTheNegativeSideEndsAtTheOrigin) {
  const BuiltCluster built = BuildFromTriangle({-10, -10, -5}, {-12, -10, -5}, {-10, -13, -5});
  ASSERT_TRUE(built.covered);
  EXPECT_EQ(built.billboard.quad.corner[0], Vector3(-12, -13, -5));
  EXPECT_EQ(built.billboard.quad.corner[2], Vector3(0, 0, 0));
  // The square is built on that diagonal: V1 and V3 lie at its half length
  // from the centre.
  const Vector3 centre = (built.billboard.quad.corner[0] + built.billboard.quad.corner[2]) / 2.0f;
  const float radius = Length(built.billboard.quad.corner[0] - centre);
  for (int k : {1, 3}) EXPECT_NEAR(Length(built.billboard.quad.corner[k] - centre), radius, 1e-4f);
}

}  // namespace
}  // namespace vh
