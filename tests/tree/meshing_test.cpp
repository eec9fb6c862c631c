// Branch meshing and welding, checked through the grown tree against the
// documented rules evaluated the plain way with BranchPoint.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "tree_test_support.h"

namespace vh {
namespace {

constexpr long double kPi = 3.141592653589793L;

double Around(long double column, int qA) { return static_cast<double>(column * 2 * kPi / qA); }

// Vertex (ring i, column j) of a branch by the documented rule: the surface
// point and the normal from four neighbouring points, before any weld.
Vertex RuleVertex(const Branch& branch, int i, int j) {
  const LevelParameters& level = branch.record;
  const int qH = level.qualityHeight, qA = level.qualityAngle;
  const double t = static_cast<double>(static_cast<long double>(i) / qH);
  const double g = BendWeight(level, static_cast<double>((i + 1.0L) / qH));
  const double gBelow = BendWeight(level, static_cast<double>((i + 1 - 0.8L) / qH));
  const double gAbove = BendWeight(level, static_cast<double>((i + 1 + 0.8L) / qH));
  const double b = Around(j, qA);
  Vertex vertex(BranchPoint(branch, t, b, g));
  const Vector3 left = BranchPoint(branch, t, Around(j - 0.2L, qA), g);
  const Vector3 right = BranchPoint(branch, t, Around(j + 0.2L, qA), g);
  const Vector3 down = i == 0 ? BranchPoint(branch, 0, b, g)
                              : BranchPoint(branch, static_cast<double>((i - 0.8L) / qH), b, gBelow);
  const Vector3 up = BranchPoint(branch, static_cast<double>((i + 0.8L) / qH), b, gAbove);
  vertex.normal = Normalized(Cross(right - left, up - down));
  return vertex;
}

std::vector<Vertex> RuleRings(const Branch& branch) {
  std::vector<Vertex> vertices;
  for (int i = 0; i <= branch.record.qualityHeight; ++i)
    for (int j = 0; j <= branch.record.qualityAngle; ++j) vertices.push_back(RuleVertex(branch, i, j));
  return vertices;
}

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

TEST(MeshBranch, RingsFollowTheSurfaceRuleWithoutWelds) {
  TreeParameters params(2);
  for (LevelParameters& level : params.levels) {
    level.attachToParent = false;
    level.twistingRad = 20;
  }
  const Tree tree = Generate(params, testing::Workers(2));
  ASSERT_EQ(tree.submeshes.size(), 1u + 4 + 12 + 36);
  for (std::size_t s = 0; s < tree.submeshes.size(); ++s) {
    const Branch& branch = testing::BranchAt(tree, s);
    const std::vector<Vertex> expected = RuleRings(branch);
    ASSERT_EQ(branch.vertices.size(), expected.size());
    for (std::size_t v = 0; v < expected.size(); ++v) {
      ASSERT_EQ(branch.vertices[v].position, expected[v].position) << "branch " << s << " vertex " << v;
      ASSERT_EQ(branch.vertices[v].normal, expected[v].normal) << "branch " << s << " vertex " << v;
      ASSERT_EQ(branch.vertices[v].colour, Vector3(0.5f, 0.3f, 0.1f));
      ASSERT_TRUE(branch.vertices[v].hasColour);
    }
    // Two triangles per cell, in strip order.
    const std::uint32_t qA = static_cast<std::uint32_t>(branch.record.qualityAngle);
    ASSERT_EQ(branch.triangles.size(), 2u * branch.record.qualityHeight * (qA + 1));
    for (std::uint32_t k = 0; k < branch.triangles.size() / 2; ++k) {
      const Triangle& first = branch.triangles[2 * k];
      const Triangle& second = branch.triangles[2 * k + 1];
      EXPECT_EQ(first.a, k);
      EXPECT_EQ(first.b, k + qA);
      EXPECT_EQ(first.c, k + qA + 1);
      EXPECT_EQ(second.a, k + qA + 1);
      EXPECT_EQ(second.b, k + 1);
      EXPECT_EQ(second.c, k);
    }
  }
}

TEST(MeshBranch, ALargeBranchMeshedInPartsOnSeveralThreadsFollowsTheRule) {
  TreeParameters params(-1);
  params.levels[0].qualityAngle = 120;
  params.levels[0].qualityHeight = 150;  // 18271 vertices: several parts, and helpers
  for (const int workers : {1, 2}) {
    const Tree tree = Generate(params, testing::Workers(workers));
    const Branch& trunk = testing::BranchAt(tree, 0);
    const std::vector<Vertex> expected = RuleRings(trunk);
    ASSERT_EQ(trunk.vertices.size(), expected.size());
    for (std::size_t v = 0; v < expected.size(); ++v) {
      ASSERT_EQ(trunk.vertices[v].position, expected[v].position) << "vertex " << v;
      ASSERT_EQ(trunk.vertices[v].normal, expected[v].normal) << "vertex " << v;
    }
    EXPECT_EQ(trunk.triangles.size(), 2u * 150 * 121);
  }
}

TEST(MeshBranch, StraightUntwistedTrunkIsACylinder) {
  TreeParameters params(-1);
  LevelParameters& trunkLevel = params.levels[0];
  trunkLevel.noise = 0;
  trunkLevel.twistingRad = 0;
  trunkLevel.sizeDecrease = 8;
  const Tree tree = Generate(params);
  const Branch& branch = testing::BranchAt(tree, 0);
  for (int i = 0; i <= 14; ++i) {
    Vector3 axis;
    BranchPoint(branch, i / 14.0, 0, BendWeight(trunkLevel, (i + 1) / 14.0), &axis);
    const Vector3 centre = static_cast<float>(i / 14.0 * 117) * axis;
    for (int j = 0; j <= 10; ++j) {
      const Vector3 offset = branch.vertices[i * 11 + j].position - centre;
      EXPECT_NEAR(std::sqrt(LengthSquared(offset)), 34.01, 1e-3) << "ring " << i << " column " << j;
    }
  }
}

TEST(SurfaceJitter, RemainderOfThousandIsTheLibrarysRemainderExactly) {
  std::vector<long double> values = {0.0L,    1.0L,    999.0L, 1000.0L,      1001.0L,
                                     0x1p62L, 0x1p70L, 1e30L,  123456789.75L};
  std::mt19937_64 draws(7);
  for (int i = 0; i < 200000; ++i) {
    // Spread over the magnitudes the jitter sees and beyond.
    const long double x = std::ldexp(1.0L + static_cast<long double>(draws() >> 11) * 0x1p-53L,
                                     static_cast<int>(draws() % 96) - 20);
    values.push_back(x);
    // Multiples of 1000 and their neighbours one step of x's grid away,
    // where an estimate of the quotient is most easily one off.
    const long double multiple = std::floor(x / 1000) * 1000;
    const long double step = std::ldexp(1.0L, std::ilogb(multiple > 0 ? multiple : 1.0L) - 63);
    for (const long double near : {multiple - step, multiple, multiple + step})
      if (near >= 0) values.push_back(near);
  }
  for (const long double x : values)
    ASSERT_EQ(RemainderOfThousand(x), std::fmod(x, 1000.0L)) << static_cast<double>(x);
}

TEST(SurfaceJitter, SmallRemainderOfThousandIsTheLibrarysBelow2To62) {
  std::mt19937_64 draws(11);
  for (int i = 0; i < 200000; ++i) {
    const long double x = std::ldexp(static_cast<long double>(draws() >> 1), -static_cast<int>(draws() % 80));
    ASSERT_EQ(SmallRemainderOfThousand(x), std::fmod(x, 1000.0L)) << static_cast<double>(x);
  }
  for (const long double x : {0x1p62L - 1000, 0x1p62L - 1, std::nextafter(0x1p62L, 0.0L)})
    EXPECT_EQ(SmallRemainderOfThousand(x), std::fmod(x, 1000.0L)) << static_cast<double>(x);
}

TEST(SurfaceJitter, OffsetsTakeTheLibrarysRemainderAtEveryHeight) {
  // All noise, so the radius is the jitter itself.
  RingFrame frame;
  frame.keep = 0;
  frame.halfNoise = 0.5L;
  frame.width = 1;
  frame.taper = 1;
  int smallHeights = 0;
  for (const float height : {0.5f, 37.25f, 1e6f, 9.9e8f, 1e9f, 4e12f, 1e15f, 3e18f}) {
    frame.centre.y = height;
    for (int j = 0; j < 24; ++j) {
      const ColumnAngle angle(Around(j + 0.3L, 24));
      const long double sineCosine = angle.sineCosine;
      const long double spread = std::fabs(sineCosine * height * 3000000000.0L);
      const long double r = 0.5L * (std::fmod(spread, 1000.0L) * 0.001L - 0.5L);
      const RingOffset expected{static_cast<float>(r * static_cast<long double>(angle.sine)),
                                static_cast<float>(r * static_cast<long double>(angle.cosine))};
      const RingOffset offset = OffsetOnRing(frame, angle);
      ASSERT_EQ(offset.alongP1, expected.alongP1) << height << " column " << j;
      ASSERT_EQ(offset.alongP2, expected.alongP2) << height << " column " << j;
      if (!SpreadsAreSmall(frame)) continue;
      const RingOffset small = OffsetOnRing<SpreadRange::kSmall>(frame, angle);
      ASSERT_EQ(small.alongP1, expected.alongP1) << height << " column " << j;
      ASSERT_EQ(small.alongP2, expected.alongP2) << height << " column " << j;
    }
    smallHeights += SpreadsAreSmall(frame) ? 1 : 0;
  }
  EXPECT_EQ(smallHeights, 4);  // the cheap remainder serves every height below 1e9
}

TEST(SplitExt, HoldsEveryExtendedValueWithinDoublesRangeExactly) {
  std::mt19937_64 draws(5);
  std::vector<long double> values = {0.0L,
                                     -0.0L,
                                     1.0L,
                                     -1.0L,
                                     0.001L,
                                     1 - 0.3L * 0.7L,
                                     0x1p-1000L,
                                     0x1p1000L,
                                     std::numeric_limits<long double>::infinity(),
                                     -std::numeric_limits<long double>::infinity()};
  for (int i = 0; i < 100000; ++i) {
    // Every bit of the 64-bit significand set at random.
    const long double significand = static_cast<long double>(draws() | (1ull << 63)) * 0x1p-63L;
    values.push_back(
        std::ldexp(draws() % 2 ? significand : -significand, static_cast<int>(draws() % 400) - 200));
  }
  for (const long double value : values) {
    const long double rebuilt = SplitExt(value);
    ASSERT_EQ(rebuilt, value) << static_cast<double>(value);
    ASSERT_EQ(std::signbit(rebuilt), std::signbit(value)) << static_cast<double>(value);
  }
  EXPECT_TRUE(std::isnan(static_cast<long double>(SplitExt(std::numeric_limits<long double>::quiet_NaN()))));
}

TEST(WeldToParent, AgreesWithTheBruteForceRuleInDepthFirstOrder) {
  TreeParameters params(3);
  params.levels[2].attachToParent = false;  // one loose level among welded ones
  for (const int workers : {1, 2}) {
    const Tree tree = Generate(params, testing::Workers(workers));
    // Mesh every branch by the rule, then weld in list order, each branch
    // onto the latest branch of the level above.
    std::vector<std::vector<Vertex>> expected;
    std::vector<std::size_t> lastOfLevel(kLevelCount, 0);
    for (std::size_t s = 0; s < tree.submeshes.size(); ++s) {
      const Branch& branch = testing::BranchAt(tree, s);
      expected.push_back(RuleRings(branch));
      if (branch.level > 0 && branch.record.attachToParent)
        WeldByBruteForce(expected.back(), expected[lastOfLevel[branch.level - 1]],
                         branch.record.qualityAngle);
      lastOfLevel[branch.level] = s;
    }
    int moved = 0;
    for (std::size_t s = 0; s < tree.submeshes.size(); ++s) {
      const auto& vertices = tree.submeshes[s]->vertices;
      ASSERT_EQ(vertices.size(), expected[s].size());
      const std::vector<Vertex> unwelded = RuleRings(testing::BranchAt(tree, s));
      for (std::size_t v = 0; v < vertices.size(); ++v) {
        ASSERT_EQ(vertices[v].position, expected[s][v].position) << "branch " << s << " vertex " << v;
        moved += vertices[v].position == unwelded[v].position ? 0 : 1;
      }
    }
    EXPECT_GT(moved, 0) << "the case needs welds";
  }
}

TEST(WeldToParent, MovesNoMoreParentVerticesThanTheRingHas) {
  TreeParameters loose(0);
  for (LevelParameters& level : loose.levels) level.attachToParent = false;
  const Tree unwelded = Generate(loose);
  const Tree welded = Generate(TreeParameters(0));
  // Compare trunks: the welded one differs only where children met it.
  const auto& a = welded.submeshes[0]->vertices;
  const auto& b = unwelded.submeshes[0]->vertices;
  int moved = 0;
  for (std::size_t i = 0; i < a.size(); ++i) moved += a[i].position == b[i].position ? 0 : 1;
  EXPECT_GT(moved, 0);
  EXPECT_LE(moved, 4 * 7);  // four children with rings of 6 + 1 vertices
  // The welds change the trunk after it was listed (and perhaps drawn).
  EXPECT_GT(welded.submeshes[0]->revision, 0u);
  EXPECT_EQ(unwelded.submeshes[0]->revision, 0u);
  for (std::size_t c = 1; c < welded.submeshes.size(); ++c) {
    const auto& ring = welded.submeshes[c]->vertices;
    EXPECT_EQ(ring[6].position, ring[0].position);  // the welded ring is closed
  }
}

}  // namespace
}  // namespace vh
