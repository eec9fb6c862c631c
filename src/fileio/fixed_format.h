// Fast, exact replacements for printf's "%f" (and "%u"/"%d") used by the
// text writers. Exports of a large tree print tens of millions of numbers;
// snprintf spends most of its time on locale and format parsing, so these
// produce the very same characters directly.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vh {

// Longest text FormatFixed6 can produce: sign, 309 integer digits, point,
// six decimals (the largest finite double).
inline constexpr std::size_t kMaxFixed6Length = 1 + 309 + 1 + 6;

// Writes value exactly as printf("%f", value) does in the C locale with the
// default rounding mode (exact decimal value, ties to even): six decimals,
// "-" for negative values including -0.0, "inf"/"nan" with sign as glibc.
// `out` must have room for kMaxFixed6Length bytes; no terminating zero is
// written. Returns the end of the written text.
char* FormatFixed6(char* out, double value);

// Decimal digits of an unsigned / signed integer, as "%llu" / "%lld".
// `out` needs room for 20 (unsigned) or 21 (signed) bytes.
char* FormatUnsigned(char* out, std::uint64_t value);
char* FormatSigned(char* out, std::int64_t value);

}  // namespace vh
