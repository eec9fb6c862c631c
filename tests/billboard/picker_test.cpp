#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "billboard/candidate_picker.h"
#include "billboard/coverage.h"
#include "billboard/test_meshes.h"

namespace vh {
namespace {

// The candidate points for `position` from three draws of `random`, written
// out independently of the picker: r1 moves z, r2 y, r3 x.
Vector3 Jittered(const Vector3& position, MersenneTwister& random) {
  const long double r1 = random.NextReal();
  const long double r2 = random.NextReal();
  const long double r3 = random.NextReal();
  return position + Vector3(static_cast<float>((r3 - 0.5) * 2 * 0.01),
                            static_cast<float>((r2 - 0.5) * 2 * 0.01),
                            static_cast<float>((r1 - 0.5) * 2 * 0.01));
}

TEST(BillboardPicker, DrawOrderOnASingleTriangle) {
  MeshObject mesh;
  const std::vector<Vector3> corners = {{1, 2, 3}, {4, 5, 6}, {-7, 8, 9}};
  mesh.submeshes.push_back(test::MakeTriangles(kLeafMaterial, corners));
  const TriangleCoverage coverage(mesh);

  BillboardPicker picker;
  const CandidatePlane candidate = picker.Pick(mesh, coverage);

  MersenneTwister expected(0);
  expected.NextUInt32();  // submesh index
  expected.NextUInt32();  // triangle index
  EXPECT_EQ(candidate.p0, Jittered(corners[0], expected));
  EXPECT_EQ(candidate.p1, Jittered(corners[1], expected));
  EXPECT_EQ(candidate.p2, Jittered(corners[2], expected));
  EXPECT_EQ(candidate.submesh, 0u);
  EXPECT_EQ(candidate.triangle, 0u);
  // The picker has made exactly 11 draws.
  EXPECT_EQ(picker.Generator().NextUInt32(), expected.NextUInt32());
  const Vector3 points[3] = {candidate.p0, candidate.p1, candidate.p2};
  for (int k = 0; k < 3; ++k) {  // each component moved by at most 0.01
    EXPECT_LE(std::fabs(points[k].x - corners[k].x), 0.0100001f);
    EXPECT_LE(std::fabs(points[k].y - corners[k].y), 0.0100001f);
    EXPECT_LE(std::fabs(points[k].z - corners[k].z), 0.0100001f);
  }
}

// Replays the index draws the picker must make, skipping covered triangles
// and empty submeshes, to predict which triangle it picks.
std::pair<std::size_t, std::size_t> PredictTriangle(const TriangleCoverage& coverage,
                                                    MersenneTwister& random) {
  for (;;) {
    const std::uint32_t s = random.NextUInt32() % static_cast<std::uint32_t>(coverage.SubmeshCount());
    if (coverage.TriangleCount(s) == 0) continue;
    const std::uint32_t t = random.NextUInt32() % static_cast<std::uint32_t>(coverage.TriangleCount(s));
    if (!coverage.Covered(s, t)) return {s, t};
  }
}

TEST(BillboardPicker, RedrawsCoveredTrianglesAndSkipsEmptySubmeshes) {
  test::LeafyMeshOptions options;
  options.leaves = 40;
  options.emptySubmesh = true;
  const auto mesh = test::MakeLeafyMesh(options);
  TriangleCoverage coverage(*mesh);
  ASSERT_EQ(coverage.TriangleCount(1), 0u);
  // Leave only every fifth triangle uncovered.
  std::size_t index = 0;
  for (std::size_t s = 0; s < coverage.SubmeshCount(); ++s) {
    for (std::size_t t = 0; t < coverage.TriangleCount(s); ++t) {
      if (index++ % 5 != 0) coverage.Cover(s, t);
    }
  }
  BillboardPicker picker;
  MersenneTwister replay(0);
  for (int i = 0; i < 200; ++i) {
    const CandidatePlane candidate = picker.Pick(*mesh, coverage);
    const auto [s, t] = PredictTriangle(coverage, replay);
    for (int k = 0; k < 9; ++k) replay.NextReal();
    ASSERT_EQ(candidate.submesh, s) << i;
    ASSERT_EQ(candidate.triangle, t) << i;
    ASSERT_FALSE(coverage.Covered(s, t));
  }
  EXPECT_EQ(picker.Generator().NextUInt32(), replay.NextUInt32());
}

TEST(BillboardPicker, RefusesWhenEverythingIsCovered) {
  MeshObject mesh;
  mesh.submeshes.push_back(test::MakeTriangles(kLeafMaterial, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}));
  TriangleCoverage coverage(mesh);
  coverage.Cover(0, 0);
  BillboardPicker picker;
  EXPECT_THROW(picker.Pick(mesh, coverage), std::runtime_error);
  MeshObject empty;
  EXPECT_THROW(picker.Pick(empty, TriangleCoverage(empty)), std::runtime_error);
}

TEST(TriangleCoverage, CountsAndRejectsBadIndices) {
  const auto mesh = test::MakeLeafyMesh({});
  TriangleCoverage coverage(*mesh);
  EXPECT_EQ(coverage.Total(), mesh->PolygonCount());
  EXPECT_EQ(coverage.Uncovered(), coverage.Total());
  coverage.Cover(0, 3);
  coverage.Cover(0, 3);
  EXPECT_EQ(coverage.Uncovered(), coverage.Total() - 1);
  EXPECT_TRUE(coverage.Covered(0, 3));

  MeshObject broken;
  broken.submeshes.push_back(test::MakeTriangles(kLeafMaterial, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}));
  broken.submeshes[0]->triangles[0].c = 3;
  EXPECT_THROW(TriangleCoverage{broken}, std::runtime_error);
}

}  // namespace
}  // namespace vh

namespace vh {
namespace {

TEST(FastModulo, EqualsTheRemainder) {
  MersenneTwister random(3);
  const std::uint32_t divisors[] = {1, 2, 3, 7, 10, 641, 47581, 65536, 2147483647u, 2147483648u, 4294967295u};
  for (std::uint32_t d : divisors) {
    const FastModulo modulo(d);
    for (std::uint32_t a : {0u, 1u, d - 1, d, 4294967295u, 4294967294u})
      ASSERT_EQ(modulo(a), a % d) << a << " % " << d;
    for (int i = 0; i < 20000; ++i) {
      const std::uint32_t a = random.NextUInt32();
      ASSERT_EQ(modulo(a), a % d) << a << " % " << d;
    }
  }
}

TEST(TriangleCoverage, SubmeshStateFollowsItsTriangles) {
  test::LeafyMeshOptions options;
  options.leaves = 2;
  options.barkSubmeshes = 1;
  options.emptySubmesh = true;
  const auto mesh = test::MakeLeafyMesh(options);
  TriangleCoverage coverage(*mesh);
  using State = TriangleCoverage::SubmeshState;
  EXPECT_EQ(coverage.State(1), State::kEmpty);
  EXPECT_EQ(coverage.State(2), State::kOpen);
  coverage.Cover(2, 0);
  EXPECT_EQ(coverage.State(2), State::kOpen);
  EXPECT_EQ(coverage.Uncovered(2), 1u);
  coverage.Cover(2, 1);
  EXPECT_EQ(coverage.State(2), State::kFullyCovered);
  EXPECT_EQ(coverage.Uncovered(2), 0u);
}

}  // namespace
}  // namespace vh
