#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <stdexcept>
#include <vector>

#include "bark/smoothing.h"
#include "reference_bark.h"

namespace vh {
namespace {

// Luminance-like values 0..255; `blackFraction` of them exactly 0, in runs,
// as black areas of a photograph give.
std::vector<double> RandomLuminance(int width, int height, unsigned seed, double blackFraction = 0) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> channel(0, 255);
  std::uniform_real_distribution<double> unit(0, 1);
  std::vector<double> values(static_cast<std::size_t>(width) * height);
  for (double& v : values) v = 0.299 * channel(random) + 0.587 * channel(random) + 0.114 * channel(random);
  if (blackFraction > 0) {
    for (std::size_t i = 0; i < values.size();) {
      const std::size_t run = 1 + static_cast<std::size_t>(unit(random) * 40);
      if (unit(random) < blackFraction) {
        std::fill(values.begin() + i, values.begin() + std::min(values.size(), i + run), 0.0);
      }
      i += run;
    }
  }
  return values;
}

bool BitIdentical(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

struct SmoothingCase {
  int width;
  int height;
  int passes;
  double blackFraction;
};

// Sizes around the vector width (2, 4, 8 lines) and the sweep depth (4, 8
// passes), tiny lines, remainders, and black runs that force the plain path.
const SmoothingCase kCases[] = {
    {2, 1, 1, 0},      {2, 2, 7, 0},      {3, 3, 5, 0},        {5, 9, 8, 0},    {9, 5, 9, 0},
    {17, 13, 16, 0},   {16, 16, 17, 0},   {31, 7, 100, 0},     {64, 9, 33, 0},  {100, 23, 16, 0},
    {257, 11, 123, 0}, {40, 40, 13, 0.3}, {120, 17, 200, 0.5}, {7, 70, 9, 0.2}, {300, 12, 480, 0.1},
};

// Runs `body` once with each kernel the processor has, and restores the
// default afterwards.
template <class Body>
void ForEachKernel(Body body) {
  for (SmoothingKernel kernel : {SmoothingKernel::Sse2, SmoothingKernel::Avx, SmoothingKernel::Avx512}) {
    if (!SelectSmoothingKernel(kernel)) continue;
    SCOPED_TRACE(::testing::Message() << "kernel " << static_cast<int>(kernel));
    body();
  }
  SelectSmoothingKernel(SmoothingKernel::Widest);
}

TEST(Smoothing, RowsMatchTheStraightforwardLoopBitForBit) {
  ForEachKernel([] {
    unsigned seed = 1;
    for (const SmoothingCase& c : kCases) {
      SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height << ", " << c.passes
                                        << " passes, black " << c.blackFraction);
      std::vector<double> fast = RandomLuminance(c.width, c.height, seed++, c.blackFraction);
      std::vector<double> reference = fast;
      ASSERT_TRUE(SmoothRows(fast.data(), c.width, c.height, c.passes));
      test::ReferenceSmoothRows(reference, c.width, c.height, c.passes);
      EXPECT_TRUE(BitIdentical(fast, reference));
    }
  });
}

TEST(Smoothing, ColumnsMatchTheStraightforwardLoopBitForBit) {
  ForEachKernel([] {
    unsigned seed = 100;
    for (const SmoothingCase& c : kCases) {
      // The same shapes turned on their side.
      SCOPED_TRACE(::testing::Message() << c.height << " x " << c.width << ", " << c.passes << " passes");
      std::vector<double> fast = RandomLuminance(c.height, c.width, seed++, c.blackFraction);
      std::vector<double> reference = fast;
      ASSERT_TRUE(SmoothColumns(fast.data(), c.height, c.width, c.passes));
      test::ReferenceSmoothColumns(reference, c.height, c.width, c.passes);
      EXPECT_TRUE(BitIdentical(fast, reference));
    }
  });
}

// Large enough to be shared between threads.
TEST(Smoothing, ThreadedWorkMatchesTheStraightforwardLoop) {
  ForEachKernel([] {
    std::vector<double> fast = RandomLuminance(500, 101, 7, 0.02);
    std::vector<double> reference = fast;
    ASSERT_TRUE(SmoothRows(fast.data(), 500, 101, 160));
    test::ReferenceSmoothRows(reference, 500, 101, 160);
    EXPECT_TRUE(BitIdentical(fast, reference));
  });
}

TEST(Smoothing, WidestKernelIsAlwaysAvailable) {
  EXPECT_TRUE(SelectSmoothingKernel(SmoothingKernel::Sse2));
  EXPECT_TRUE(SelectSmoothingKernel(SmoothingKernel::Widest));
}

// A lone bright pixel in a black line spreads into values far below the
// normal range of doubles; the result must still be the loop's.
TEST(Smoothing, SubnormalTailsMatchTheStraightforwardLoop) {
  std::vector<double> fast(2 * 1200, 0.0);
  fast[600] = 255;
  fast[1200 + 3] = 0.114;
  std::vector<double> reference = fast;
  ASSERT_TRUE(SmoothRows(fast.data(), 1200, 2, 700));
  test::ReferenceSmoothRows(reference, 1200, 2, 700);
  EXPECT_TRUE(BitIdentical(fast, reference));
  // The case is only worth having if the tails did reach the subnormal range.
  EXPECT_TRUE(std::any_of(fast.begin(), fast.end(), [](double v) { return v > 0 && v < 0x1p-1022; }));
}

TEST(Smoothing, ZeroPassesChangeNothing) {
  std::vector<double> values = RandomLuminance(10, 10, 3);
  const std::vector<double> before = values;
  EXPECT_TRUE(SmoothRows(values.data(), 10, 10, 0));
  EXPECT_TRUE(SmoothColumns(values.data(), 10, 10, 0));
  EXPECT_TRUE(BitIdentical(values, before));
}

TEST(Smoothing, TickSeesEveryLineAndCanStop) {
  std::vector<double> values = RandomLuminance(64, 40, 5);
  int last = 0;
  EXPECT_TRUE(SmoothRows(values.data(), 64, 40, 3, [&](int done) {
    EXPECT_GE(done, last);
    last = done;
    return true;
  }));
  EXPECT_EQ(last, 40);
  EXPECT_FALSE(SmoothColumns(values.data(), 64, 40, 3, [](int) { return false; }));
}

TEST(Smoothing, LinesShorterThanTwoAreRefused) {
  std::vector<double> values(4, 1.0);
  EXPECT_THROW(SmoothRows(values.data(), 1, 4, 1), std::invalid_argument);
  EXPECT_THROW(SmoothColumns(values.data(), 4, 1, 1), std::invalid_argument);
}

}  // namespace
}  // namespace vh
