#include "fileio/fixed_format.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace vh {
namespace {

__extension__ typedef unsigned __int128 UInt128;

// "00" "01" ... "99": two digits per table lookup halves the divisions.
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Values at or above this go through snprintf: the fast path keeps
// value * 10^6 inside 64 bits. Coordinates of real trees are far smaller.
constexpr double kFastLimit = 1e12;

}  // namespace

char* FormatUnsigned(char* out, std::uint64_t value) {
  char buffer[20];
  char* p = buffer + sizeof buffer;
  while (value >= 100) {
    const unsigned pair = static_cast<unsigned>(value % 100) * 2;
    value /= 100;
    *--p = kDigitPairs[pair + 1];
    *--p = kDigitPairs[pair];
  }
  if (value >= 10) {
    const unsigned pair = static_cast<unsigned>(value) * 2;
    *--p = kDigitPairs[pair + 1];
    *--p = kDigitPairs[pair];
  } else {
    *--p = static_cast<char>('0' + value);
  }
  const std::size_t length = static_cast<std::size_t>(buffer + sizeof buffer - p);
  std::memcpy(out, p, length);
  return out + length;
}

char* FormatSigned(char* out, std::int64_t value) {
  if (value < 0) {
    *out++ = '-';
    // Negate in unsigned arithmetic so that INT64_MIN does not overflow.
    return FormatUnsigned(out, 0 - static_cast<std::uint64_t>(value));
  }
  return FormatUnsigned(out, static_cast<std::uint64_t>(value));
}

char* FormatFixed6(char* out, double value) {
  if (!(std::fabs(value) < kFastLimit)) {  // also catches inf and nan
    char buffer[kMaxFixed6Length + 8];
    const int length = std::snprintf(buffer, sizeof buffer, "%f", value);
    std::memcpy(out, buffer, static_cast<std::size_t>(length));
    return out + length;
  }

  // value = mantissa * 2^exponent exactly; round(value * 10^6) is then an
  // integer computation, rounded to nearest with ties to even like glibc.
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  const bool negative = (bits >> 63) != 0;
  const int biased = static_cast<int>((bits >> 52) & 0x7FF);
  std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
  int exponent = -1074;  // subnormal
  if (biased != 0) {
    mantissa |= std::uint64_t{1} << 52;
    exponent = biased - 1075;
  }

  std::uint64_t scaled = 0;  // round(|value| * 10^6)
  if (exponent >= 0) {
    scaled = (mantissa << exponent) * 1000000u;  // < 10^18 by kFastLimit
  } else {
    const UInt128 product = static_cast<UInt128>(mantissa) * 1000000u;  // < 2^73
    const int shift = -exponent;
    if (shift < 128) {  // otherwise the product is below one half: rounds to 0
      UInt128 quotient = product >> shift;
      const UInt128 remainder = product - (quotient << shift);
      const UInt128 half = static_cast<UInt128>(1) << (shift - 1);
      if (remainder > half || (remainder == half && (quotient & 1) != 0)) ++quotient;
      scaled = static_cast<std::uint64_t>(quotient);
    }
  }

  if (negative) *out++ = '-';
  out = FormatUnsigned(out, scaled / 1000000);
  *out++ = '.';
  unsigned fraction = static_cast<unsigned>(scaled % 1000000);
  for (int i = 5; i >= 0; --i) {
    out[i] = static_cast<char>('0' + fraction % 10);
    fraction /= 10;
  }
  return out + 6;
}

}  // namespace vh
