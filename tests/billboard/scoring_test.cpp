#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "billboard/candidate_picker.h"
#include "billboard/coverage.h"
#include "billboard/plane_scoring.h"
#include "billboard/test_meshes.h"

namespace vh {
namespace {

// Bitwise equality, so that NaN scores compare too.
::testing::AssertionResult SameBits(float a, float b) {
  std::uint32_t x, y;
  std::memcpy(&x, &a, 4);
  std::memcpy(&y, &b, 4);
  if (x == y) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << a << " != " << b;
}

Vector3 RandomPoint(MersenneTwister& random, double extent) {
  return {static_cast<float>(random.Uniform(-extent, extent)),
          static_cast<float>(random.Uniform(-extent, extent)),
          static_cast<float>(random.Uniform(-extent, extent))};
}

// Compares the fast scorer with the reference for many candidates.
void ExpectScorersAgree(const MeshObject& mesh, const TriangleCoverage& coverage,
                        const std::vector<CandidatePlane>& candidates, float threshold) {
  const UncoveredTriangles fast(mesh, coverage);
  ASSERT_EQ(fast.Size(), coverage.Uncovered());
  for (bool favourVertical : {false, true}) {
    const std::vector<float> parallel = fast.ScoreAll(candidates, threshold, favourVertical, 3);
    ASSERT_EQ(parallel.size(), candidates.size());
    for (std::size_t i = 0; i < candidates.size(); ++i) {
      const float reference = ScorePlaneReference(mesh, coverage, candidates[i], threshold, favourVertical);
      EXPECT_TRUE(SameBits(fast.Score(candidates[i], threshold, favourVertical), reference)) << i;
      EXPECT_TRUE(SameBits(parallel[i], reference)) << i;
    }
  }
}

TEST(PlaneScoring, FastScorerEqualsReferenceOnRandomMeshes) {
  MersenneTwister random(11);
  for (int round = 0; round < 4; ++round) {
    MeshObject mesh;
    for (int s = 0; s < 30; ++s) {
      std::vector<Vector3> points;
      const int triangles = static_cast<int>(random.NextUInt32() % 60);  // some submeshes empty
      for (int i = 0; i < 3 * triangles; ++i) points.push_back(RandomPoint(random, 60));
      mesh.submeshes.push_back(test::MakeTriangles(kLeafMaterial, points));
    }
    TriangleCoverage coverage(mesh);
    for (std::size_t s = 0; s < coverage.SubmeshCount(); ++s) {
      for (std::size_t t = 0; t < coverage.TriangleCount(s); ++t) {
        if (random.NextUInt32() % 3 == 0) coverage.Cover(s, t);
      }
    }
    BillboardPicker picker;
    std::vector<CandidatePlane> candidates;
    for (int i = 0; i < 25; ++i) candidates.push_back(picker.Pick(mesh, coverage));
    ExpectScorersAgree(mesh, coverage, candidates, DistanceThreshold(1 + round * 30));
  }
}

TEST(PlaneScoring, FastScorerEqualsReferenceAtTheThreshold) {
  // Vertices placed at distances within a few float steps of the threshold,
  // from tilted planes, so that the exact test decides.
  MersenneTwister random(5);
  const float threshold = DistanceThreshold(7);
  std::vector<CandidatePlane> candidates;
  MeshObject mesh;
  for (int c = 0; c < 12; ++c) {
    const CandidatePlane candidate{RandomPoint(random, 40), RandomPoint(random, 40), RandomPoint(random, 40),
                                   0, 0};
    candidates.push_back(candidate);
    const BillboardPlane plane = MakePlane(candidate);
    std::vector<Vector3> points;
    for (int i = 0; i < 300; ++i) {
      const float side = random.NextUInt32() % 2 ? 1.0f : -1.0f;
      float distance = threshold;
      for (int step = static_cast<int>(random.NextUInt32() % 9); step > 4; --step)
        distance = std::nextafter(distance, 0.0f);
      for (int step = static_cast<int>(random.NextUInt32() % 9); step > 4; --step)
        distance = std::nextafter(distance, 100.0f);
      const Vector3 anywhere = RandomPoint(random, 50);
      const Vector3 inPlane = Project(plane, anywhere, SignedDistance(plane, anywhere));
      points.push_back(inPlane + plane.normal * (side * distance));
    }
    mesh.submeshes.push_back(test::MakeTriangles(kLeafMaterial, points));
  }
  const TriangleCoverage coverage(mesh);
  ExpectScorersAgree(mesh, coverage, candidates, threshold);
  // The case is not vacuous: some triangles do count.
  EXPECT_GT(ScorePlaneReference(mesh, coverage, candidates[0], threshold, false), 0.0f);
}

TEST(PlaneScoring, FastScorerEqualsReferenceForDegenerateAndNonFiniteInput) {
  MeshObject mesh;
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  mesh.submeshes.push_back(test::MakeTriangles(kLeafMaterial, {{0, 0, 0},
                                                               {1, 1, 1},
                                                               {2, 2, 2},
                                                               {inf, 0, 0},
                                                               {0, 1, 0},
                                                               {0, 0, 1},
                                                               {nan, 0, 0},
                                                               {1, 0, 0},
                                                               {0, 1, 0},
                                                               {3, 0, 0},
                                                               {3, 1, 0},
                                                               {3, 0, 1},
                                                               {1e30f, 0, 0},
                                                               {0, 1e30f, 0},
                                                               {0, 0, 0}}));
  const TriangleCoverage coverage(mesh);
  const std::vector<CandidatePlane> candidates = {
      {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, 0, 0},  // degenerate: tiny normal, everything near
      {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 0, 0},
      {{0, 0, 0}, {1e-4f, 0, 0}, {0, 1e-4f, 0}, 0, 0},
      {{nan, 0, 0}, {1, 0, 0}, {0, 1, 0}, 0, 0},
  };
  ExpectScorersAgree(mesh, coverage, candidates, 10.0f);
}

TEST(PlaneScoring, CoveredTrianglesCountNothing) {
  MeshObject mesh;
  mesh.submeshes.push_back(
      test::MakeTriangles(kLeafMaterial, {{0, 0, 0}, {4, 0, 0}, {0, 3, 0}, {0, 0, 1}, {2, 0, 1}, {0, 2, 1}}));
  TriangleCoverage coverage(mesh);
  const CandidatePlane candidate{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 0, 0};
  EXPECT_EQ(ScorePlaneReference(mesh, coverage, candidate, 10.0f, false), 16.0f);
  EXPECT_EQ(ScorePlaneReference(mesh, coverage, candidate, 1.0f, false), 12.0f);  // z = 1 is not < 1
  coverage.Cover(0, 0);
  EXPECT_EQ(ScorePlaneReference(mesh, coverage, candidate, 10.0f, false), 4.0f);
  EXPECT_EQ(UncoveredTriangles(mesh, coverage).Score(candidate, 10.0f, false), 4.0f);
}

}  // namespace
}  // namespace vh
