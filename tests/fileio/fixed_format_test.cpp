#include "fileio/fixed_format.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

namespace vh {
namespace {

std::string Printf(double value) {
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%f", value);
  return buffer;
}

std::string Fast(double value) {
  char buffer[kMaxFixed6Length];
  return std::string(buffer, FormatFixed6(buffer, value));
}

void ExpectSameAsPrintf(double value) {
  ASSERT_EQ(Fast(value), Printf(value)) << "value bits " << std::hexfloat << value;
}

TEST(FixedFormat, MatchesPrintfForRandomFloats) {
  std::mt19937 random(12345);
  std::uniform_int_distribution<std::uint32_t> bits;
  for (int i = 0; i < 200000; ++i) {
    // Arbitrary bit patterns cover every exponent, subnormals and both signs.
    const float value = std::bit_cast<float>(bits(random));
    if (!std::isfinite(value)) continue;
    ExpectSameAsPrintf(value);
  }
}

TEST(FixedFormat, MatchesPrintfForCoordinatesAndDoubles) {
  std::mt19937_64 random(99);
  std::uniform_real_distribution<double> coordinate(-2000.0, 2000.0);
  std::uniform_int_distribution<std::uint64_t> bits;
  for (int i = 0; i < 200000; ++i) {
    ExpectSameAsPrintf(coordinate(random));
    ExpectSameAsPrintf(static_cast<float>(coordinate(random)) * 0.01);
    const double any = std::bit_cast<double>(bits(random));
    if (std::isfinite(any)) ExpectSameAsPrintf(any);
  }
}

TEST(FixedFormat, RoundsExactTiesToEven) {
  // k / 2^7 / 5^6 * 5^6 = k / 128: the seventh decimal is exactly 5.
  for (int k = -2000; k <= 2000; ++k) ExpectSameAsPrintf(k / 128.0);
  for (double value : {0.0000005, 0.0000015, 0.0000025, 0.5, 1.5, 2.5, 0.0078125, 0.0234375})
    ExpectSameAsPrintf(value);
}

TEST(FixedFormat, MatchesPrintfAtTheEdges) {
  const double edges[] = {0.0,
                          -0.0,
                          1e-7,
                          -1e-7,
                          4.9999999e-7,
                          5e-7,
                          999999.9999995,
                          1e12 - 1,
                          1e12,
                          -1e12,
                          1e15 + 0.5,
                          123456789012345678.0,
                          DBL_MAX,
                          -DBL_MAX,
                          DBL_MIN,
                          -DBL_MIN,
                          FLT_MAX,
                          FLT_MIN,
                          std::numeric_limits<double>::denorm_min(),
                          std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity(),
                          std::numeric_limits<double>::quiet_NaN()};
  for (double value : edges) ExpectSameAsPrintf(value);
}

TEST(FixedFormat, IntegersMatchPrintf) {
  const std::int64_t values[] = {0,
                                 1,
                                 9,
                                 10,
                                 99,
                                 100,
                                 12345,
                                 -1,
                                 -10,
                                 -99999,
                                 std::numeric_limits<std::int64_t>::max(),
                                 std::numeric_limits<std::int64_t>::min()};
  for (std::int64_t value : values) {
    char expected[32], actual[32];
    std::snprintf(expected, sizeof expected, "%" PRId64, value);
    EXPECT_EQ(std::string(actual, FormatSigned(actual, value)), expected);
    if (value >= 0) {
      std::snprintf(expected, sizeof expected, "%" PRIu64, static_cast<std::uint64_t>(value));
      EXPECT_EQ(std::string(actual, FormatUnsigned(actual, static_cast<std::uint64_t>(value))), expected);
    }
  }
}

}  // namespace
}  // namespace vh
