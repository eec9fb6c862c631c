#include "fileio/gltf_memory.h"

#include <sys/mman.h>

namespace vh {
namespace {

// A mapping whose length is a whole number of huge pages starts on a huge
// page, so that none of it falls back to small pages.
constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::size_t MappedLength(std::size_t bytes) {
  return bytes == 0 ? kHugePage : (bytes + kHugePage - 1) / kHugePage * kHugePage;
}

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

}  // namespace vh
