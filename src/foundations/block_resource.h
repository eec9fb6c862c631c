// BlockResource: memory for many small lists that are made together and
// die together, carved from one block.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <memory_resource>

namespace vh {

// Hands out consecutive pieces of one block allocated up front, so that
// making thousands of small lists costs one allocation, and freeing them
// one more. Pieces are never reused: freeing one inside the block does
// nothing, and the block goes when the resource does. A request the block
// has no room left for goes to the heap, so a list that grows later
// still works. Safe to use from several threads at once.
class BlockResource final : public std::pmr::memory_resource {
 public:
  explicit BlockResource(std::size_t bytes);
  BlockResource(const BlockResource&) = delete;
  BlockResource& operator=(const BlockResource&) = delete;

  // Bytes a list of `count` elements of `size` bytes and `alignment` takes
  // from the block at most, padding included.
  static std::size_t PieceBytes(std::size_t count, std::size_t size, std::size_t alignment);

 private:
  void* do_allocate(std::size_t bytes, std::size_t alignment) override;
  void do_deallocate(void* piece, std::size_t bytes, std::size_t alignment) override;
  bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override { return this == &other; }

  std::unique_ptr<std::byte[]> m_block;
  std::size_t m_size;
  std::atomic<std::size_t> m_used{0};
};

}  // namespace vh
