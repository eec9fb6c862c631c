// Memory for the large arrays of a glTF export, and the binary buffer laid
// out in it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string_view>

namespace vh {

// A large tree's export needs tens of megabytes of memory that nothing has
// touched yet. Taken from the heap, the kernel hands it out 4 KiB at a
// time, each page faulted in and cleared on first write: for 70 MB that
// costs more than filling it. Mapped directly with transparent huge pages
// advised it comes in 2 MiB pieces at a fifth of the cost. The memory is
// zeroed. Throws std::bad_alloc.
void* AllocateFreshMemory(std::size_t bytes);
void FreeFreshMemory(void* block, std::size_t bytes);

// An allocator for arrays of one export: large ones in fresh memory, small
// ones from the heap.
template <typename T>
struct FreshMemoryAllocator {
  using value_type = T;
  static constexpr std::size_t kLarge = std::size_t{2} << 20;

  FreshMemoryAllocator() = default;
  template <typename U>
  FreshMemoryAllocator(const FreshMemoryAllocator<U>&) {}  // NOLINT: allocators convert implicitly

  T* allocate(std::size_t count) {
    const std::size_t bytes = count * sizeof(T);
    return static_cast<T*>(bytes >= kLarge ? AllocateFreshMemory(bytes) : ::operator new(bytes));
  }
  void deallocate(T* block, std::size_t count) {
    const std::size_t bytes = count * sizeof(T);
    if (bytes >= kLarge)
      FreeFreshMemory(block, bytes);
    else
      ::operator delete(block);
  }
  template <typename U>
  bool operator==(const FreshMemoryAllocator<U>&) const {
    return true;
  }
};

// The binary buffer: laid out first, every piece at a multiple of 4 bytes
// (the alignment glTF asks of accessors), then allocated in one zeroed
// block (the gaps stay zero) that the geometry is written into in place.
class GltfBinary {
 public:
  // Places `bytes` bytes at the next multiple of 4; returns their offset.
  // Only before Allocate.
  std::size_t Reserve(std::size_t bytes);

  // Allocates the block of Size() bytes. Throws std::bad_alloc.
  void Allocate();

  std::size_t Size() const { return m_size; }
  std::uint8_t* At(std::size_t offset) { return m_block.get() + offset; }
  std::string_view Bytes() const { return {reinterpret_cast<const char*>(m_block.get()), m_size}; }

 private:
  struct Release {
    std::size_t bytes;
    void operator()(std::uint8_t* block) const { FreeFreshMemory(block, bytes); }
  };

  std::size_t m_size = 0;  // including the padding after the last piece
  std::unique_ptr<std::uint8_t, Release> m_block{nullptr, Release{0}};
};

}  // namespace vh
