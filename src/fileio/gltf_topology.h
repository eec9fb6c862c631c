// The triangles of a submesh as a glTF primitive wants them: the vertices
// that a triangle uses numbered in their order, the faces turned
// counter-clockwise, and the faces of wide grids reordered for the
// post-transform vertex cache. A tree's branches are thousands of copies of
// a few grids, so submeshes with the same triangles share one result: the
// reordering, the costliest step, runs once per distinct grid.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <limits>
#include <span>
#include <unordered_map>
#include <vector>

#include "tree/mesh.h"

namespace vh {

inline constexpr std::uint32_t kUnusedVertex = std::numeric_limits<std::uint32_t>::max();

// What the export reads of a submesh, taken out of it once: a tree has tens
// of thousands of submeshes, and every visit to one is a cache miss.
struct SubmeshArrays {
  const Submesh* submesh;  // names it in messages
  std::span<const Vertex> vertices;
  std::span<const Triangle> triangles;
};

struct SubmeshTopology {
  std::uint32_t usedVertices = 0;
  // Per vertex of the submesh: its number among the used ones, or
  // kUnusedVertex (a leaf's closing copy of its first outline point).
  // Empty when every vertex is used, each keeping its own number.
  std::vector<std::uint32_t> newIndex;
  std::vector<std::uint32_t> indices;  // counter-clockwise triangles in the new numbers
};

class TopologyCache {
 public:
  // With `orderForCache`, a submesh's triangles are reordered where that
  // lowers the vertices transformed per triangle; each keeps its corners.
  explicit TopologyCache(bool orderForCache) : m_orderForCache(orderForCache) {}
  TopologyCache(const TopologyCache&) = delete;
  TopologyCache& operator=(const TopologyCache&) = delete;

  // The topology of `submesh`, whose arrays must outlive the cache. The
  // reference stays valid as long as the cache. Throws std::runtime_error
  // (naming the submesh) for a triangle that refers to a missing vertex.
  const SubmeshTopology& Of(const SubmeshArrays& submesh);

 private:
  struct Entry {
    SubmeshArrays example;  // the first submesh with these triangles
    SubmeshTopology topology;
  };

  // Keeps the topology of `submesh`, to be found again by its key when
  // `findable`.
  const Entry& Add(const SubmeshArrays& submesh, std::uint64_t key, bool findable);

  // Submeshes that differ only where the key does not look would otherwise
  // be compared with every earlier one: past this many, more are kept but
  // not looked for.
  static constexpr std::size_t kMostWithOneKey = 8;

  bool m_orderForCache;
  std::deque<Entry> m_entries;  // a deque keeps the entries where they are
  std::unordered_multimap<std::uint64_t, const Entry*> m_byKey;
  // The entries found last, the latest first: a branch's grid recurs in
  // runs, between the leaves of one shape.
  static constexpr std::size_t kRecent = 4;
  std::array<const Entry*, kRecent> m_recent{};
};

}  // namespace vh
