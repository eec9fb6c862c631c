// SplitExt: an extended-precision value stored as the sum of two doubles.
#pragma once

#include <cmath>

#include "foundations/vector3.h"

namespace vh {

// The x87 loads an 80-bit value several times slower than a 64-bit one,
// and meshing loads several per surface point. Rounded to a double, a
// finite extended value within double's range leaves a rest of at most 11
// significant bits, which a second double holds exactly; adding the two
// rebuilds the value bit for bit, the sign of a zero included.
class SplitExt {
 public:
  SplitExt() = default;
  SplitExt(Ext value) : m_high(static_cast<double>(value)) {  // NOLINT(google-explicit-constructor)
    const Ext rest = std::isfinite(m_high) ? value - m_high : 0;
    m_low = rest == 0 ? std::copysign(0.0, m_high) : static_cast<double>(rest);
  }
  operator Ext() const { return static_cast<Ext>(m_high) + m_low; }  // NOLINT(google-explicit-constructor)

 private:
  double m_high = 0.0;
  double m_low = 0.0;
};

}  // namespace vh
