#include "foundations/block_resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

namespace vh {
namespace {

using Piece = std::pair<std::uintptr_t, std::uintptr_t>;  // [start, end)

bool Overlap(std::vector<Piece> pieces) {
  std::sort(pieces.begin(), pieces.end());
  for (std::size_t i = 1; i < pieces.size(); ++i)
    if (pieces[i].first < pieces[i - 1].second) return true;
  return false;
}

TEST(BlockResource, CarvesAlignedPiecesFromOneBlockThenTakesTheHeap) {
  BlockResource memory(1000);
  std::vector<Piece> pieces;
  std::vector<std::pair<void*, std::size_t>> taken;
  for (const std::size_t alignment : {1u, 4u, 8u, 16u, 64u, 4u}) {
    void* p = memory.allocate(45, alignment);
    std::memset(p, 0xab, 45);  // writable, all of it
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % alignment, 0u) << alignment;
    pieces.emplace_back(reinterpret_cast<std::uintptr_t>(p), reinterpret_cast<std::uintptr_t>(p) + 45);
    taken.emplace_back(p, alignment);
  }
  EXPECT_FALSE(Overlap(pieces));
  const auto [lowest, highest] = std::minmax_element(pieces.begin(), pieces.end());
  EXPECT_LT(highest->second - lowest->first, 1000u) << "the pieces lie in one block";

  // No room left for this one: it comes from the heap, outside the block,
  // and goes back there (the sanitizer build checks that it does).
  void* big = memory.allocate(2000, 16);
  const std::uintptr_t bigStart = reinterpret_cast<std::uintptr_t>(big);
  EXPECT_TRUE(bigStart + 2000 <= lowest->first || bigStart >= lowest->first + 1000);
  std::memset(big, 0xcd, 2000);
  memory.deallocate(big, 2000, 16);
  for (const auto& [p, alignment] : taken) memory.deallocate(p, 45, alignment);
}

TEST(BlockResource, ListsThatOutgrowTheBlockKeepTheirContents) {
  BlockResource memory(256);
  std::pmr::vector<int> numbers(&memory);
  for (int i = 0; i < 10000; ++i) numbers.push_back(i);
  for (int i = 0; i < 10000; ++i) ASSERT_EQ(numbers[i], i);
  std::pmr::vector<int> copy(numbers, &memory);
  EXPECT_EQ(copy, numbers);
}

TEST(BlockResource, ThreadsTakingPiecesAtOnceNeverShareOne) {
  BlockResource memory(64 * 1024);
  std::vector<Piece> pieces[2];
  const auto take = [&memory](std::vector<Piece>& mine) {
    for (int i = 0; i < 3000; ++i) {
      const std::size_t bytes = 8 + static_cast<std::size_t>(i % 5) * 8;
      auto* p = static_cast<unsigned char*>(memory.allocate(bytes, 8));
      std::memset(p, i & 0xff, bytes);
      mine.emplace_back(reinterpret_cast<std::uintptr_t>(p), reinterpret_cast<std::uintptr_t>(p) + bytes);
    }
  };
  std::thread other(take, std::ref(pieces[1]));
  take(pieces[0]);
  other.join();
  std::vector<Piece> all = pieces[0];
  all.insert(all.end(), pieces[1].begin(), pieces[1].end());
  EXPECT_FALSE(Overlap(all));
  for (const Piece& piece : all)
    memory.deallocate(reinterpret_cast<void*>(piece.first), piece.second - piece.first, 8);
}

}  // namespace
}  // namespace vh
