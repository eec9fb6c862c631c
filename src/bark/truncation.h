// Truncating extended-precision values toward zero without switching the
// x87 rounding mode for each value.
//
// A conversion or std::trunc of a long double switches the x87 rounding mode
// to truncation and back around each value (two control-word loads) and
// passes the result through the stack. The shading removal did that for
// every channel of every pixel, twice; measured, the same machine code took
// 10 % of the removal or 40 %, depending only on where the function happened
// to be placed in the program (its start modulo 128 bytes; the hot spots
// sat right after the control-word loads). Both truncations here give
// std::trunc's value in any rounding mode and measured the same wherever
// they were placed; the store is the faster (about a sixth of the removal's
// own work against a third).
#pragma once

namespace vh {

// `value` rounded toward zero, for 0 <= value < 2^63, on any processor.
// Adding and removing 2^63 rounds to an integer (at 2^63 a long double's
// spacing is 1), and stepping down by one where that went up gives the
// truncation; both steps are exact. Other values give unspecified results.
inline long double TruncateNonNegative(long double value) {
  constexpr long double kSpacingOne = 0x1p63L;
  // The step down is looked up rather than branched to: a branch would be
  // mispredicted for every other value.
  static constexpr long double kStepDown[2] = {0.0L, 1.0L};
  const long double nearest = (value + kSpacingOne) - kSpacingOne;
  return nearest - kStepDown[nearest > value];
}

// Whether the processor has SSE3's truncating store (fisttp), as every
// x86-64 processor made since 2005 has.
bool HasTruncatingStore();

// `value` rounded toward zero by the truncating store, which ignores the
// rounding mode, for |value| < 2^63. Only where HasTruncatingStore().
inline long long TruncateByStore(long double value) {
  long long whole;
  asm("fisttpll %0" : "=m"(whole) : "t"(value) : "st");
  return whole;
}

}  // namespace vh
