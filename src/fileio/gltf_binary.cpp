#include "fileio/gltf_binary.h"

#include <sys/mman.h>

namespace vh {
namespace {

// A mapping whose length is a whole number of huge pages starts on a huge
// page, so that none of it falls back to small pages.
constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::size_t MappedLength(std::size_t bytes) { return (bytes + kHugePage - 1) / kHugePage * kHugePage; }

}  // namespace

void* AllocateFreshMemory(std::size_t bytes) {
  const std::size_t length = MappedLength(bytes);
  void* block = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
  ::madvise(block, length, MADV_HUGEPAGE);  // only advice: without it the memory works the same
#endif
  return block;
}

void FreeFreshMemory(void* block, std::size_t bytes) {
  if (block != nullptr) ::munmap(block, MappedLength(bytes));
}

std::size_t GltfBinary::Reserve(std::size_t bytes) {
  const std::size_t offset = m_size;
  m_size = (offset + bytes + 3) / 4 * 4;
  return offset;
}

void GltfBinary::Allocate() {
  const std::size_t bytes = m_size == 0 ? 1 : m_size;
  m_block = std::unique_ptr<std::uint8_t, Release>(static_cast<std::uint8_t*>(AllocateFreshMemory(bytes)),
                                                   Release{bytes});
}

}  // namespace vh
