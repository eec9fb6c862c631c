// Asking for a submesh's memory ahead of visiting it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <span>

#include "tree/mesh.h"

namespace vh {

// A leaf is a submesh of a few vertices: visiting tens of thousands of
// them is a chain of cache misses rather than work. Asking for the memory
// of the submesh a few ahead lets the misses overlap.
inline constexpr std::size_t kPrefetchDistance = 8;
inline constexpr std::size_t kPrefetchedVertexBytes = 256;

inline void PrefetchVertices(std::span<const Vertex> vertices) {
  const char* bytes = reinterpret_cast<const char*>(vertices.data());
  const std::size_t size = std::min(vertices.size_bytes(), kPrefetchedVertexBytes);
  for (std::size_t offset = 0; offset < size; offset += 64) __builtin_prefetch(bytes + offset);
}

}  // namespace vh
