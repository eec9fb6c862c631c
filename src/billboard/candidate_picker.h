// The random source of candidate billboard planes.
//
// The desktop program keeps one BillboardPicker for its whole run: its
// generator starts at seed 0 and is never re-seeded, so the first cloud after
// start-up is always the same and later clouds continue the sequence (and so
// differ). Tests and batch tools make a fresh picker to get the first-run
// sequence.
#pragma once

#include <cstdint>

#include "billboard/billboard_geometry.h"
#include "foundations/random.h"

namespace vh {

class MeshObject;
class TriangleCoverage;

// a % d for a fixed divisor d >= 1 without a division instruction, exact for
// every 32-bit a (D. Lemire, O. Kaser, N. Kurz, "Faster Remainder by Direct
// Computation", Software: Practice and Experience, 2019). The picker draws
// millions of indices when few triangles remain uncovered.
class FastModulo {
 public:
  explicit FastModulo(std::uint32_t divisor) : m_divisor(divisor), m_inverse(UINT64_MAX / divisor + 1) {}
  std::uint32_t operator()(std::uint32_t a) const {
    // High 64 bits of the 96-bit product (m_inverse * a mod 2^64) * divisor.
    const std::uint64_t fraction = m_inverse * a;
    const std::uint64_t low = (fraction & 0xFFFFFFFFu) * m_divisor;
    const std::uint64_t high = (fraction >> 32) * m_divisor + (low >> 32);
    return static_cast<std::uint32_t>(high >> 32);
  }

 private:
  std::uint64_t m_divisor;
  std::uint64_t m_inverse;
};

class BillboardPicker {
 public:
  BillboardPicker() = default;

  // Draws a candidate plane around a random uncovered triangle of `mesh`
  // (whose flags are `coverage`):
  // - submesh index = NextUInt32 % submesh count; a submesh without triangles
  //   is drawn again at once (no triangle draw is made for it);
  // - triangle index = NextUInt32 % that submesh's triangle count; while that
  //   triangle is covered, both are drawn again;
  // - for each of its vertices k = 0, 1, 2: r1, r2, r3 = three NextReal draws,
  //   Pk = position + ((r3 - 0.5) 0.02, (r2 - 0.5) 0.02, (r1 - 0.5) 0.02).
  // Throws std::runtime_error when no triangle is uncovered.
  CandidatePlane Pick(const MeshObject& mesh, const TriangleCoverage& coverage);

  MersenneTwister& Generator() { return m_random; }

 private:
  MersenneTwister m_random{0};
};

}  // namespace vh
