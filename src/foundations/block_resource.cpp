#include "foundations/block_resource.h"

#include <cstdint>
#include <functional>

namespace vh {

BlockResource::BlockResource(std::size_t bytes)
    : m_block(bytes > 0 ? std::make_unique_for_overwrite<std::byte[]>(bytes) : nullptr), m_size(bytes) {}

std::size_t BlockResource::PieceBytes(std::size_t count, std::size_t size, std::size_t alignment) {
  return count * size + alignment - 1;
}

void* BlockResource::do_allocate(std::size_t bytes, std::size_t alignment) {
  const std::uintptr_t base = reinterpret_cast<std::uintptr_t>(m_block.get());
  std::size_t used = m_used.load(std::memory_order_relaxed);
  while (m_block) {
    const std::uintptr_t start = (base + used + alignment - 1) & ~static_cast<std::uintptr_t>(alignment - 1);
    const std::size_t end = static_cast<std::size_t>(start - base) + bytes;
    if (end > m_size) break;
    if (m_used.compare_exchange_weak(used, end, std::memory_order_relaxed))
      return m_block.get() + (start - base);
  }
  return std::pmr::new_delete_resource()->allocate(bytes, alignment);
}

void BlockResource::do_deallocate(void* piece, std::size_t bytes, std::size_t alignment) {
  const std::byte* p = static_cast<const std::byte*>(piece);
  const std::byte* block = m_block.get();
  // Pointers into the block compare by address: std::less orders any two.
  const std::less<const std::byte*> before;
  const bool inBlock = block && !before(p, block) && before(p, block + m_size);
  if (!inBlock) std::pmr::new_delete_resource()->deallocate(piece, bytes, alignment);
}

}  // namespace vh
