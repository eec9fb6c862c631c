// A file built out of order is written page by page as it completes: only
// pages whose bytes are all complete go out before the end, each page goes
// out exactly once, and at the end every page has.
#include "fileio/glb_pages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace vh {
namespace {

constexpr std::size_t kPage = CompletedPageWriter::kPage;

// Feeds `ranges` in order, then finishes; checks every write against what
// was complete at the time and returns the writes made before Finish and
// all of them.
struct Outcome {
  std::vector<std::pair<std::size_t, std::size_t>> early, all;
};

Outcome Feed(std::size_t size, std::size_t minimumRun,
             const std::vector<std::pair<std::size_t, std::size_t>>& ranges) {
  Outcome outcome;
  std::vector<bool> complete(size, false), written(size, false);
  bool finishing = false;
  CompletedPageWriter writer(size, minimumRun, [&](std::size_t begin, std::size_t end) {
    EXPECT_EQ(begin % kPage, 0u);
    EXPECT_TRUE(end % kPage == 0 || end == size) << end;
    EXPECT_LT(begin, end);
    EXPECT_LE(end, size);
    for (std::size_t i = begin; i < end; ++i) {
      EXPECT_FALSE(written[i]) << "byte " << i << " written twice";
      written[i] = true;
      if (!finishing) {
        EXPECT_TRUE(complete[i]) << "byte " << i << " written before it was complete";
      }
    }
    if (!finishing) {
      const std::size_t pages = (end - begin + kPage - 1) / kPage;
      EXPECT_GE(pages * kPage, minimumRun) << "a run shorter than asked for";
      outcome.early.emplace_back(begin, end);
    }
    outcome.all.emplace_back(begin, end);
  });
  for (const auto& [begin, end] : ranges) {
    for (std::size_t i = begin; i < end; ++i) complete[i] = true;
    writer.Complete(begin, end);
  }
  finishing = true;
  writer.Finish();
  EXPECT_EQ(std::count(written.begin(), written.end(), false), 0) << "bytes never written";
  return outcome;
}

TEST(CompletedPageWriter, WritesLongRunsAsTheyCompleteAndTheRestAtTheEnd) {
  // Ten pages and a bit, written in runs of four pages or more. Pages 0-3
  // complete in two halves that meet inside page 2; page 4 stays short of
  // one byte; pages 7-9 complete, too short a run, then pages 5 and 6 make
  // them one of five pages; the short last page is reported last, after
  // the run before it was written.
  const std::size_t size = 10 * kPage + 100;
  const Outcome outcome = Feed(size, 4 * kPage,
                               {{2 * kPage + 7, 4 * kPage},
                                {0, 2 * kPage + 7},
                                {4 * kPage, 5 * kPage - 1},
                                {6 * kPage + 1, 10 * kPage},
                                {5 * kPage, 6 * kPage + 1},
                                {10 * kPage, size}});
  using Run = std::pair<std::size_t, std::size_t>;
  EXPECT_EQ(outcome.early, (std::vector<Run>{{0, 4 * kPage}, {5 * kPage, 10 * kPage}}));
  EXPECT_EQ(outcome.all,
            (std::vector<Run>{
                {0, 4 * kPage}, {5 * kPage, 10 * kPage}, {4 * kPage, 5 * kPage}, {10 * kPage, size}}));
}

TEST(CompletedPageWriter, PiecesInAnyOrderWithGapsComeOutWhole) {
  // Pieces of random lengths with an occasional gap that is never reported
  // (like the padding between arrays), reported in random order.
  std::mt19937 random(7);
  for (int round = 0; round < 20; ++round) {
    const std::size_t size = 40 * kPage + random() % kPage;
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    for (std::size_t at = 0; at < size;) {
      const std::size_t end = std::min(size, at + 1 + random() % (3 * kPage));
      if (random() % 8 != 0) ranges.emplace_back(at, end);
      at = end;
    }
    std::shuffle(ranges.begin(), ranges.end(), random);
    Feed(size, (1 + random() % 6) * kPage, ranges);
  }
}

TEST(CompletedPageWriter, SmallFileGoesOutAtTheEnd) {
  const Outcome outcome = Feed(1000, 4 * kPage, {{0, 600}, {600, 1000}});
  EXPECT_TRUE(outcome.early.empty());
  EXPECT_EQ(outcome.all, (std::vector<std::pair<std::size_t, std::size_t>>{{0, 1000}}));
}

}  // namespace
}  // namespace vh
