// MersenneTwister: the 32-bit MT19937 generator with its standard seeding
// (M. Matsumoto and T. Nishimura, "Mersenne Twister: a 623-dimensionally
// equidistributed uniform pseudo-random number generator", ACM TOMACS 1998).
//
// Saved documents hold only a seed, so this exact sequence, and the order in
// which the generator is drawn from, are part of the file format.
#pragma once

#include <cstdint>
#include <vector>

namespace vh {

class MersenneTwister {
 public:
  static constexpr int N = 624;
  static constexpr int M = 397;

  explicit MersenneTwister(int seed = 0);

  // Restarts the sequence; a negative seed is taken as its 32-bit pattern.
  void Seed(int seed);
  std::uint32_t NextUInt32() {
    if (m_index >= N) Twist();
    std::uint32_t y = m_state[m_index++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
  }
  // NextUInt32() / 4294967295: a value in the closed interval [0, 1].
  double NextReal();
  // a + r (b - a) for one NextReal() draw r; a > b is allowed.
  long double Uniform(double a, double b);

 private:
  void Twist();

  std::vector<std::uint32_t> m_state;
  int m_index = N;
};

}  // namespace vh
