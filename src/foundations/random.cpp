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
  // The standard twist, i = 0 .. 623 in order; the loop is split where the
  // indices i + 1 and i + M wrap around, so no modulo is needed.
  std::uint32_t* state = m_state.data();
  const auto mix = [](std::uint32_t upper, std::uint32_t lower, std::uint32_t far) {
    const std::uint32_t y = (upper & 0x80000000u) | (lower & 0x7FFFFFFFu);
    return far ^ (y >> 1) ^ ((y & 1u) ? 0x9908B0DFu : 0u);
  };
  int i = 0;
  for (; i < N - M; ++i) state[i] = mix(state[i], state[i + 1], state[i + M]);
  for (; i < N - 1; ++i) state[i] = mix(state[i], state[i + 1], state[i + M - N]);
  state[N - 1] = mix(state[N - 1], state[0], state[M - 1]);
  m_index = 0;
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
