// Memory for the large arrays of a glTF export.
//
// A large tree's export needs tens of megabytes of memory that nothing has
// touched yet. Taken from the heap, the kernel hands it out 4 KiB at a
// time, each page faulted in and cleared on first write: for 70 MB that
// costs more than filling it. Mapped directly with transparent huge pages
// advised it comes in 2 MiB pieces at a fifth of the cost.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string_view>

namespace vh {

// `bytes` of zeroed memory, starting on a page. Throws std::bad_alloc.
void* AllocateFreshMemory(std::size_t bytes);
void FreeFreshMemory(void* block, std::size_t bytes);

// An allocator for the arrays of one export: large ones in fresh memory,
// small ones from the heap.
template <typename T>
struct FreshMemoryAllocator {
  using value_type = T;
  static constexpr std::size_t kLarge = std::size_t{2} << 20;

  FreshMemoryAllocator() = default;
  template <typename U>
  FreshMemoryAllocator(const FreshMemoryAllocator<U>&) {}  // allocators convert implicitly

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

// A block of zeroed fresh memory: a file's content, built in place.
class FreshBlock {
 public:
  explicit FreshBlock(std::size_t bytes)
      : m_bytes(bytes), m_block(static_cast<std::uint8_t*>(AllocateFreshMemory(bytes)), Release{bytes}) {}

  std::uint8_t* Data() { return m_block.get(); }
  std::size_t Size() const { return m_bytes; }
  std::string_view Bytes() const { return {reinterpret_cast<const char*>(m_block.get()), m_bytes}; }

 private:
  struct Release {
    std::size_t bytes;
    void operator()(std::uint8_t* block) const { FreeFreshMemory(block, bytes); }
  };

  std::size_t m_bytes;
  std::unique_ptr<std::uint8_t, Release> m_block;
};

}  // namespace vh
