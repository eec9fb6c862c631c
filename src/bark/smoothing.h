// Repeated three-tap smoothing of luminance rows and columns, the costly part
// of the bark tiler's shading removal.
//
// One smoothing pass over a line of n >= 2 values v computes a new line t:
//   t[0]     = 0.7 v[0] + 0.3 v[1]
//   t[i]     = 0.5 v[i] + 0.25 v[i + 1] + 0.25 v[i - 1]     (0 < i < n - 1)
//   t[n - 1] = 0.3 v[n - 2] + 0.7 v[n - 1]
// each sum evaluated left to right in IEEE double precision, and then replaces
// the line by t. The functions below return, bit for bit, what that
// straightforward loop returns; they are only faster (several lines per SIMD
// vector, several passes per sweep, all cores).
#pragma once

#include <cstddef>
#include <functional>

namespace vh {

// Called on the calling thread with the number of lines finished so far;
// returning false asks the smoothing to stop early.
using SmoothingTick = std::function<bool(int linesDone)>;

// The instruction sets the smoothing can run on; all give identical results.
enum class SmoothingKernel { Widest, Avx512, Avx, Sse2 };

// Makes later calls use `kernel` (Widest, the default, picks the widest the
// processor has). Meant for tests and benchmarks that compare the kernels.
// Returns false, changing nothing, when the processor lacks that set.
bool SelectSmoothingKernel(SmoothingKernel kernel);

// Smooths each of the `height` rows of the row-major `width` x `height` array
// `values` (index y * width + x) `passes` times. Requires width >= 2 and
// height >= 1 (throws std::invalid_argument otherwise); passes <= 0 changes
// nothing. Returns false if `tick` asked to stop, leaving `values` partly
// smoothed; true when every row is done.
bool SmoothRows(double* values, int width, int height, int passes, const SmoothingTick& tick = {});

// The same along each of the `width` columns (requires height >= 2, width >= 1).
bool SmoothColumns(double* values, int width, int height, int passes, const SmoothingTick& tick = {});

}  // namespace vh
