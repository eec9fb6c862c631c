#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "foundations/random.h"

namespace vh {
namespace {

TEST(MersenneTwister, MatchesPublishedReferenceOutputsForSeed5489) {
  MersenneTwister generator(5489);
  EXPECT_EQ(generator.NextUInt32(), 3499211612u);
  EXPECT_EQ(generator.NextUInt32(), 581869302u);
  EXPECT_EQ(generator.NextUInt32(), 3890346734u);
}

TEST(MersenneTwister, AgreesWithStandardLibraryOverManyTwists) {
  for (const int seed : {0, 1, 160, 5489, 123456789, -7}) {
    MersenneTwister ours(seed);
    std::mt19937 reference(static_cast<std::uint32_t>(seed));
    for (int i = 0; i < 3000; ++i)
      ASSERT_EQ(ours.NextUInt32(), reference()) << "seed " << seed << " draw " << i;
  }
}

TEST(MersenneTwister, NegativeSeedIsItsBitPattern) {
  MersenneTwister negative(-1);
  std::mt19937 reference(4294967295u);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(negative.NextUInt32(), reference());
}

TEST(MersenneTwister, TreeSeedGivesTheDocumentedFirstDraws) {
  MersenneTwister generator(160);
  EXPECT_EQ(generator.NextUInt32(), 3579394920u);
  EXPECT_EQ(generator.NextUInt32(), 2045512858u);
  EXPECT_EQ(generator.NextUInt32(), 1389140911u);
  EXPECT_EQ(generator.NextUInt32(), 3436783528u);
}

TEST(MersenneTwister, ReseedingRestartsAndGeneratorsAreIndependent) {
  MersenneTwister a(42), b(42);
  const std::uint32_t first = a.NextUInt32();
  a.NextUInt32();
  EXPECT_EQ(b.NextUInt32(), first);
  a.Seed(42);
  EXPECT_EQ(a.NextUInt32(), first);
}

TEST(MersenneTwister, RealsLieInTheClosedUnitIntervalAndFollowTheWords) {
  MersenneTwister words(9), reals(9);
  for (int i = 0; i < 1000; ++i) {
    const double expected = static_cast<double>(words.NextUInt32()) / 4294967295.0;
    const double real = reals.NextReal();
    ASSERT_GE(real, 0.0);
    ASSERT_LE(real, 1.0);
    ASSERT_NEAR(real, expected, 1e-15);
  }
}

TEST(MersenneTwister, UniformOfEqualBoundsStillConsumesOneDraw) {
  MersenneTwister a(3), b(3);
  EXPECT_EQ(a.Uniform(3, 3), 3.0L);
  b.NextUInt32();
  EXPECT_EQ(a.NextUInt32(), b.NextUInt32());
}

TEST(MersenneTwister, UniformAllowsReversedBounds) {
  MersenneTwister generator(11);
  for (int i = 0; i < 100; ++i) {
    const long double value = generator.Uniform(5, 2);
    ASSERT_GE(value, 2.0L);
    ASSERT_LE(value, 5.0L);
  }
}

}  // namespace
}  // namespace vh
