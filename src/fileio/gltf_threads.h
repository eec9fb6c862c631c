// The two threads a large glTF export is planned on: work split in halves
// whose results are joined as if one pass had done it.
#pragma once

#include <cstddef>
#include <exception>
#include <thread>

namespace vh {

// Below this many triangles a mesh is planned and filled on the calling
// thread alone: a second thread would cost more than it saves.
inline constexpr std::size_t kTrianglesWorthASecondThread = 200000;

// Runs `first` and `second`, on two threads when `parallel` and the machine
// has a second core. An exception on the helper is passed on after the join.
template <typename First, typename Second>
void RunBoth(bool parallel, const First& first, const Second& second) {
  if (!parallel || std::thread::hardware_concurrency() < 2) {
    first();
    second();
    return;
  }
  std::exception_ptr failure;
  std::thread helper([&] {
    try {
      second();
    } catch (...) {
      failure = std::current_exception();
    }
  });
  try {
    first();
  } catch (...) {
    helper.join();
    throw;
  }
  helper.join();
  if (failure) std::rethrow_exception(failure);
}

// Runs `work(part, begin, end)` for the two halves of `items` by weight.
// Either way the halves give the same result as one pass.
template <typename Items, typename WeightOf, typename Work>
void RunHalves(bool parallel, const Items& items, const WeightOf& weightOf, const Work& work) {
  std::size_t total = 0;
  for (const auto& item : items) total += weightOf(item);
  std::size_t half = 0;
  for (std::size_t done = 0; half < items.size() && done < total / 2; ++half) done += weightOf(items[half]);
  RunBoth(
      parallel, [&] { work(0, std::size_t{0}, half); }, [&] { work(1, half, items.size()); });
}

}  // namespace vh
