#include "foundations/random.h"

#include <cassert>

namespace vh {

MersenneTwister::MersenneTwister(int seed) : m_state(N) { Seed(seed); }

void MersenneTwister::Seed(int seed) {
  assert(m_state.size() == N && "m_state.size() == N");
  m_state[0] = static_cast<std::uint32_t>(seed);
  for (int i = 1; i < N; ++i) {
    const std::uint32_t previous = m_state[i - 1];
    m_state[i] = 1812433253u * (previous ^ (previous >> 30)) + static_cast<std::uint32_t>(i);
  }
  m_index = N;
}

void MersenneTwister::Twist() {
  for (int i = 0; i < N; ++i) {
    const std::uint32_t y = (m_state[i] & 0x80000000u) | (m_state[(i + 1) % N] & 0x7FFFFFFFu);
    m_state[i] = m_state[(i + M) % N] ^ (y >> 1) ^ ((y & 1u) ? 0x9908B0DFu : 0u);
  }
  m_index = 0;
}

std::uint32_t MersenneTwister::NextUInt32() {
  if (m_index >= N) Twist();
  std::uint32_t y = m_state[m_index++];
  y ^= y >> 11;
  y ^= (y << 7) & 0x9D2C5680u;
  y ^= (y << 15) & 0xEFC60000u;
  y ^= y >> 18;
  return y;
}

double MersenneTwister::NextReal() {
  // The product is formed in extended precision and rounded once to double;
  // 0xFFFFFFFF gives exactly 1.0.
  constexpr double kInverse = 2.3283064370807974e-10;
  return static_cast<double>(static_cast<long double>(NextUInt32()) * kInverse);
}

long double MersenneTwister::Uniform(double a, double b) {
  const long double r = NextReal();
  return a + r * (static_cast<long double>(b) - a);
}

}  // namespace vh
