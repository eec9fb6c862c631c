// Jobs run on helper threads while the calling thread hears of each as it
// finishes: every job once, each reported once after it is done, on the
// calling thread, and failures on either side passed on.
#include "fileio/gltf_chunks.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

namespace vh {
namespace {

TEST(RunChunks, ReportsEveryJobOnceAfterItIsDoneOnTheCallingThread) {
  for (const bool parallel : {false, true}) {
    constexpr std::size_t kCount = 200;
    const std::unique_ptr<std::atomic<int>[]> runs(new std::atomic<int>[kCount]);
    for (std::size_t i = 0; i < kCount; ++i) runs[i] = 0;
    std::vector<int> reports(kCount, 0);
    const std::thread::id caller = std::this_thread::get_id();
    RunChunks(
        kCount, [&](std::size_t i) { ++runs[i]; },
        [&](std::size_t i) {
          EXPECT_EQ(std::this_thread::get_id(), caller);
          EXPECT_EQ(runs[i].load(), 1) << "job " << i << " reported before it ran";
          ++reports[i];
        },
        parallel);
    for (std::size_t i = 0; i < kCount; ++i) {
      EXPECT_EQ(runs[i].load(), 1) << i;
      EXPECT_EQ(reports[i], 1) << i;
    }
  }
}

TEST(RunChunks, WithoutReportsEveryJobRunsOnce) {
  constexpr std::size_t kCount = 100;
  const std::unique_ptr<std::atomic<int>[]> runs(new std::atomic<int>[kCount]);
  for (std::size_t i = 0; i < kCount; ++i) runs[i] = 0;
  RunChunks(
      kCount, [&](std::size_t i) { ++runs[i]; }, {}, true);
  for (std::size_t i = 0; i < kCount; ++i) EXPECT_EQ(runs[i].load(), 1) << i;
}

TEST(RunChunks, FailuresOfAJobOrOfTheReportArePassedOn) {
  for (const bool parallel : {false, true}) {
    std::atomic<int> runs = 0;
    EXPECT_THROW(RunChunks(
                     1000,
                     [&](std::size_t i) {
                       ++runs;
                       if (i == 3) throw std::runtime_error("job");
                     },
                     [](std::size_t) {}, parallel),
                 std::runtime_error);
    EXPECT_LT(runs.load(), 1000) << "the jobs went on after one failed";

    // Jobs long enough that the report's failure is heard before the
    // helpers could have done them all.
    runs = 0;
    EXPECT_THROW(RunChunks(
                     1000,
                     [&](std::size_t) {
                       ++runs;
                       std::this_thread::sleep_for(std::chrono::microseconds(200));
                     },
                     [](std::size_t) { throw std::invalid_argument("report"); }, parallel),
                 std::invalid_argument);
    EXPECT_LT(runs.load(), 1000) << "the jobs went on after a report failed";
  }
}

}  // namespace
}  // namespace vh
