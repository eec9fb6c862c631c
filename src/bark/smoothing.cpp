// Fast, bit-exact repeated smoothing (see smoothing.h for the pass itself).
//
// Three ideas make it fast without changing a single bit of the result:
//
// 1. Lines side by side. Lanes lines (2, 4 or 8, the width of the widest
//    SIMD vector of doubles the processor has) are interleaved into one
//    buffer so that element i of every line sits in one vector. Each lane
//    then performs exactly the scalar operations of its own line, in the same
//    order: IEEE addition and multiplication give the same bits in a vector
//    lane as in a scalar register (no fused multiply-add: the build keeps
//    -ffp-contract=off, and nothing here asks for FMA).
//
// 2. Several passes per sweep (temporal blocking). Pass m + 1 at position i
//    needs pass m only at i - 1, i and i + 1, so one left-to-right sweep
//    keeps a three-vector window per pass in registers and computes
//    K passes at once, reading and writing memory once per K passes.
//
// 3. Fewer operations by scaling with powers of two. With all values normal
//    (far above the subnormal range) multiplying by 0.5 and 0.25 is exact and
//    commutes with rounding, so 0.5 b + 0.25 c + 0.25 a equals, bit for bit,
//    0.25 ((b + b + c) + a) evaluated left to right. Keeping pass m's values
//    multiplied by 4^m therefore turns the inner step into three additions,
//    and the exact factor 4^-K is applied when a sweep stores its last pass.
//    The end weights 0.7 and 0.3 are no powers of two, so there the scaled
//    value is unscaled implicitly: 0.7 (4^j v0) + 0.3 (4^j v1) is 4^j times
//    the unscaled result, which is then multiplied by 4.
//    Smoothing is a convex combination, so the smallest value of a line never
//    falls (beyond a relative 2^-51 per pass) and the largest never grows: a
//    group whose values all lie in [2^-900, 2^900] stays in the normal range
//    through any number of passes and takes the scaled path. Any other group
//    (black areas give zeros, and zeros give subnormal tails) takes the
//    plain path, which is the straightforward formula, vectorised.
//
// Work is shared between the processor's cores by groups of lines; the
// caller's thread takes part and is the only one that calls the tick.
#include "bark/smoothing.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <thread>
#include <vector>

namespace vh {
namespace {

typedef double Vec2 __attribute__((vector_size(16)));
typedef double Vec4 __attribute__((vector_size(32)));
typedef double Vec8 __attribute__((vector_size(64)));

#define VH_INLINE inline __attribute__((always_inline))

// The helpers take and give vectors by reference only: a vector passed by
// value would have a calling convention that depends on the instruction set.
template <class V>
VH_INLINE void Load(V& v, const double* p) {
  std::memcpy(&v, p, sizeof v);
}

template <class V>
VH_INLINE void Store(double* p, const V& v) {
  std::memcpy(p, &v, sizeof v);
}

// 4^k as an exact double.
constexpr double PowerOfFour(int k) { return k == 0 ? 1.0 : 4.0 * PowerOfFour(k - 1); }

// One value of the next pass. With Scaled, the window holds 4^j times the
// true values and the result is 4^(j+1) times the true next value.
template <class V, bool Scaled>
VH_INLINE void Inner(V& out, const V& left, const V& mid, const V& right) {
  if constexpr (Scaled) {
    out = ((mid + mid) + right) + left;
  } else {
    out = (0.5 * mid + 0.25 * right) + 0.25 * left;
  }
}

template <class V, bool Scaled>
VH_INLINE void FirstEnd(V& out, const V& first, const V& second) {
  out = 0.7 * first + 0.3 * second;
  if constexpr (Scaled) out = out * 4.0;
}

template <class V, bool Scaled>
VH_INLINE void LastEnd(V& out, const V& beforeLast, const V& last) {
  out = 0.3 * beforeLast + 0.7 * last;
  if constexpr (Scaled) out = out * 4.0;
}

// K passes over n >= 2 interleaved positions, from `in` into `out`.
// At step i the input value at i enters level 0's window, and level m
// (1..K) computes its value at position i - m from level m - 1's window,
// which then holds positions i - m - 1, i - m and i - m + 1. A window is a
// ring of three vectors: at step i the newest value goes into slot i % 3, so
// the oldest sits in slot (i + 1) % 3 and the middle one in (i + 2) % 3.
// With the slot a compile-time constant nothing is ever moved between
// registers.
template <class V, int K, bool Scaled>
struct Sweeper {
  static constexpr int kLanes = sizeof(V) / sizeof(double);
  static constexpr double kUnscale = 1.0 / PowerOfFour(Scaled ? K : 0);

  const double* in;
  double* out;
  int n;
  V w[K][3] = {};

  static std::size_t At(int position) { return static_cast<std::size_t>(position) * kLanes; }

  // A step anywhere, including near the ends where some level lies outside
  // the line or on one of its two end positions.
  template <int R>
  VH_INLINE void EdgeStep(int i) {
    if (i < n) {
      Load(w[0][R], in + At(i));
    } else {
      w[0][R] = V{};
    }
#pragma GCC unroll 16
    for (int m = 1; m <= K; ++m) {
      const int position = i - m;
      const bool inside = position >= 0 && position < n;
      V value = V{};
      if (inside) {
        const V& left = w[m - 1][(R + 1) % 3];
        const V& mid = w[m - 1][(R + 2) % 3];
        const V& right = w[m - 1][R];
        if (position == 0) {
          FirstEnd<V, Scaled>(value, mid, right);
        } else if (position == n - 1) {
          LastEnd<V, Scaled>(value, left, mid);
        } else {
          Inner<V, Scaled>(value, left, mid, right);
        }
      }
      if (m < K) {
        w[m][R] = value;
      } else if (inside) {
        const V unscaled = value * kUnscale;
        Store(out + At(position), unscaled);
      }
    }
  }

  VH_INLINE void EdgeStepAny(int i) {
    switch (i % 3) {
      case 0:
        EdgeStep<0>(i);
        break;
      case 1:
        EdgeStep<1>(i);
        break;
      default:
        EdgeStep<2>(i);
        break;
    }
  }

  // A step with every level strictly inside the line (K < i < n).
  template <int R>
  VH_INLINE void InnerStep(int i) {
    Load(w[0][R], in + At(i));
#pragma GCC unroll 16
    for (int m = 1; m <= K; ++m) {
      V value;
      Inner<V, Scaled>(value, w[m - 1][(R + 1) % 3], w[m - 1][(R + 2) % 3], w[m - 1][R]);
      if (m < K) {
        w[m][R] = value;
      } else {
        const V unscaled = value * kUnscale;
        Store(out + At(i - K), unscaled);
      }
    }
  }

  VH_INLINE void Run() {
    int i = 0;
    // Up to the first step with every level inside, and on to a multiple of 3.
    for (; i < n + K && (i <= K || i % 3 != 0); ++i) EdgeStepAny(i);
    for (; i + 3 <= n; i += 3) {
      InnerStep<0>(i);
      InnerStep<1>(i + 1);
      InnerStep<2>(i + 2);
    }
    for (; i < n + K; ++i) EdgeStepAny(i);
  }
};

template <class V, int K, bool Scaled>
VH_INLINE void Sweep(const double* in, double* out, int n) {
  Sweeper<V, K, Scaled> sweeper{in, out, n};
  sweeper.Run();
}

template <class V, int K, bool Scaled>
VH_INLINE void SweepUpTo(const double* in, double* out, int n, int passes) {
  if constexpr (K > 1) {
    if (passes < K) {
      SweepUpTo<V, K - 1, Scaled>(in, out, n, passes);
      return;
    }
  }
  Sweep<V, K, Scaled>(in, out, n);
}

// All passes over one group of interleaved lines held in `line` (n * lanes
// values); `scratch` has the same size. The result ends in `line`.
template <class V, int K, bool Scaled>
VH_INLINE void SmoothGroupWith(double* line, double* scratch, int n, int passes) {
  constexpr int kLanes = sizeof(V) / sizeof(double);
  double* from = line;
  double* to = scratch;
  while (passes > 0) {
    const int now = std::min(passes, K);
    SweepUpTo<V, K, Scaled>(from, to, n, now);
    std::swap(from, to);
    passes -= now;
  }
  if (from != line) std::memcpy(line, from, static_cast<std::size_t>(n) * kLanes * sizeof(double));
}

bool FitsScaledPath(const double* values, std::size_t count) {
  constexpr double kLow = 0x1p-900;
  constexpr double kHigh = 0x1p900;
  for (std::size_t i = 0; i < count; ++i) {
    if (!(values[i] >= kLow && values[i] <= kHigh)) return false;
  }
  return true;
}

template <class V, int K>
VH_INLINE void SmoothGroupImpl(double* line, double* scratch, int n, int passes) {
  constexpr int kLanes = sizeof(V) / sizeof(double);
  if (FitsScaledPath(line, static_cast<std::size_t>(n) * kLanes)) {
    SmoothGroupWith<V, K, true>(line, scratch, n, passes);
  } else {
    SmoothGroupWith<V, K, false>(line, scratch, n, passes);
  }
}

// One entry point per instruction set. Between steps each pass keeps two
// vectors of its window alive (the ring's third slot is overwritten next):
// K = 8 fits the 32 AVX-512 registers (and measured fastest; deeper sweeps
// spill), K = 4 the 16 registers of AVX and SSE2.
__attribute__((target("avx512f"))) void SmoothGroupAvx512(double* line, double* scratch, int n, int passes) {
  SmoothGroupImpl<Vec8, 8>(line, scratch, n, passes);
}

__attribute__((target("avx"))) void SmoothGroupAvx(double* line, double* scratch, int n, int passes) {
  SmoothGroupImpl<Vec4, 4>(line, scratch, n, passes);
}

void SmoothGroupSse2(double* line, double* scratch, int n, int passes) {
  SmoothGroupImpl<Vec2, 4>(line, scratch, n, passes);
}

struct GroupKernel {
  int lanes;
  void (*smooth)(double*, double*, int, int);
};

bool Supports(SmoothingKernel kernel) {
  __builtin_cpu_init();
  switch (kernel) {
    case SmoothingKernel::Avx512:
      return __builtin_cpu_supports("avx512f");
    case SmoothingKernel::Avx:
      return __builtin_cpu_supports("avx");
    default:
      return true;
  }
}

std::atomic<SmoothingKernel> g_selected{SmoothingKernel::Widest};

GroupKernel CurrentKernel() {
  SmoothingKernel kernel = g_selected.load();
  if (kernel == SmoothingKernel::Widest) {
    kernel = Supports(SmoothingKernel::Avx512) ? SmoothingKernel::Avx512
             : Supports(SmoothingKernel::Avx)  ? SmoothingKernel::Avx
                                               : SmoothingKernel::Sse2;
  }
  switch (kernel) {
    case SmoothingKernel::Avx512:
      return {8, SmoothGroupAvx512};
    case SmoothingKernel::Avx:
      return {4, SmoothGroupAvx};
    default:
      return {2, SmoothGroupSse2};
  }
}

// Smooths `lineCount` lines of n values each, line l's element i being at
// values[l * lineStride + i * step]. Lines are gathered into interleaved
// groups, smoothed and scattered back.
bool SmoothLines(double* values, int lineCount, std::size_t lineStride, int n, std::size_t step, int passes,
                 const SmoothingTick& tick) {
  if (passes <= 0 || lineCount <= 0) return true;
  const GroupKernel kernel = CurrentKernel();
  const int lanes = kernel.lanes;
  const int groupCount = (lineCount + lanes - 1) / lanes;

  // Small jobs are not worth a thread.
  const double work = static_cast<double>(lineCount) * n * passes;
  const unsigned hardware = std::max(1u, std::thread::hardware_concurrency());
  const int workers =
      work < 4e6 ? 1
                 : static_cast<int>(std::min<unsigned>({hardware, 16u, static_cast<unsigned>(groupCount)}));

  const std::size_t groupValues = static_cast<std::size_t>(n) * static_cast<std::size_t>(lanes);
  std::vector<std::vector<double>> buffers(static_cast<std::size_t>(workers));
  for (auto& buffer : buffers) buffer.resize(2 * groupValues);

  std::atomic<int> nextGroup{0};
  std::atomic<int> linesDone{0};
  std::atomic<bool> stop{false};

  const auto work_on = [&](int worker) {
    double* line = buffers[static_cast<std::size_t>(worker)].data();
    double* scratch = line + groupValues;
    while (!stop.load(std::memory_order_relaxed)) {
      const int group = nextGroup.fetch_add(1);
      if (group >= groupCount) return;
      const int first = group * lanes;
      const int count = std::min(lanes, lineCount - first);
      for (int i = 0; i < n; ++i) {
        for (int lane = 0; lane < lanes; ++lane) {
          // Missing lanes of the last group repeat its first line.
          const int source = first + (lane < count ? lane : 0);
          line[static_cast<std::size_t>(i) * lanes + lane] =
              values[static_cast<std::size_t>(source) * lineStride + static_cast<std::size_t>(i) * step];
        }
      }
      kernel.smooth(line, scratch, n, passes);
      for (int i = 0; i < n; ++i) {
        for (int lane = 0; lane < count; ++lane) {
          values[static_cast<std::size_t>(first + lane) * lineStride + static_cast<std::size_t>(i) * step] =
              line[static_cast<std::size_t>(i) * lanes + lane];
        }
      }
      linesDone.fetch_add(count);
      if (worker == 0 && tick && !tick(linesDone.load())) stop.store(true);
    }
  };

  std::vector<std::thread> threads;
  threads.reserve(static_cast<std::size_t>(workers - 1));
  for (int worker = 1; worker < workers; ++worker) threads.emplace_back(work_on, worker);
  work_on(0);
  for (std::thread& thread : threads) thread.join();
  return !stop.load();
}

}  // namespace

bool SelectSmoothingKernel(SmoothingKernel kernel) {
  if (!Supports(kernel)) return false;
  g_selected.store(kernel);
  return true;
}

bool SmoothRows(double* values, int width, int height, int passes, const SmoothingTick& tick) {
  if (width < 2 || height < 1) throw std::invalid_argument("SmoothRows needs at least 2 x 1 values");
  return SmoothLines(values, height, static_cast<std::size_t>(width), width, 1, passes, tick);
}

bool SmoothColumns(double* values, int width, int height, int passes, const SmoothingTick& tick) {
  if (width < 1 || height < 2) throw std::invalid_argument("SmoothColumns needs at least 1 x 2 values");
  return SmoothLines(values, width, 1, height, static_cast<std::size_t>(width), passes, tick);
}

}  // namespace vh
