#include "fileio/gltf_topology.h"

#include <meshoptimizer.h>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace vh {
namespace {

// Branch grids narrower than the cache already come out in a near-best
// order (about 0.6 vertices transformed per triangle); wider ones (1.0 for
// 24 columns) are worth reordering, small submeshes never are. On these
// grids the FIFO ordering does as well as the full one at a quarter of the
// time.
constexpr unsigned kCacheSize = 16;
constexpr float kGoodEnoughAcmr = 0.7f;
constexpr std::size_t kSmallestReordered = 64;  // triangles

void OrderForVertexCache(std::vector<std::uint32_t>& indices, std::size_t vertexCount) {
  const std::size_t count = indices.size();
  if (count / 3 < kSmallestReordered) return;
  const meshopt_VertexCacheStatistics before =
      meshopt_analyzeVertexCache(indices.data(), count, vertexCount, kCacheSize, 0, 0);
  if (before.acmr <= kGoodEnoughAcmr) return;
  std::vector<std::uint32_t> ordered(count);
  meshopt_optimizeVertexCacheFifo(ordered.data(), indices.data(), count, vertexCount, kCacheSize);
  const meshopt_VertexCacheStatistics after =
      meshopt_analyzeVertexCache(ordered.data(), count, vertexCount, kCacheSize, 0, 0);
  if (after.acmr < before.acmr) indices.swap(ordered);
}

// Numbers the used vertices of `submesh` and turns its faces; throws for a
// corner beyond the vertices.
SubmeshTopology Compute(const SubmeshArrays& submesh, bool orderForCache) {
  const std::size_t vertexCount = submesh.vertices.size();
  std::vector<std::uint32_t> newIndex(vertexCount, kUnusedVertex);
  for (const Triangle& t : submesh.triangles) {
    if (t.a >= vertexCount || t.b >= vertexCount || t.c >= vertexCount)
      throw std::runtime_error("submesh " + std::to_string(submesh.submesh->displayList) +
                               " has a triangle referring to a missing vertex");
    newIndex[t.a] = newIndex[t.b] = newIndex[t.c] = 0;
  }
  SubmeshTopology topology;
  for (std::uint32_t& index : newIndex)
    if (index != kUnusedVertex) index = topology.usedVertices++;
  topology.indices.reserve(submesh.triangles.size() * 3);
  // Clockwise (a, b, c) becomes counter-clockwise (a, c, b).
  for (const Triangle& t : submesh.triangles)
    topology.indices.insert(topology.indices.end(), {newIndex[t.a], newIndex[t.c], newIndex[t.b]});
  if (orderForCache) OrderForVertexCache(topology.indices, topology.usedVertices);
  if (topology.usedVertices != vertexCount) topology.newIndex = std::move(newIndex);
  return topology;
}

bool SameTriangles(const SubmeshArrays& a, const SubmeshArrays& b) {
  if (a.vertices.size() != b.vertices.size() || a.triangles.size() != b.triangles.size()) return false;
  // No early exit: the loop stays branch-free, and a mismatch is rare.
  std::uint32_t difference = 0;
  for (std::size_t i = 0; i < a.triangles.size(); ++i) {
    const Triangle& s = a.triangles[i];
    const Triangle& t = b.triangles[i];
    difference |= (s.a ^ t.a) | (s.b ^ t.b) | (s.c ^ t.c);
  }
  return difference == 0;
}

// A key that sets apart most different grids at the cost of a few reads:
// the sizes and a sample of the corners. Equal keys are compared in full.
std::uint64_t KeyOf(const SubmeshArrays& submesh) {
  std::uint64_t key = submesh.vertices.size() * 0x9E3779B97F4A7C15ull ^ submesh.triangles.size();
  const std::size_t count = submesh.triangles.size();
  constexpr std::size_t kSamples = 16;
  for (std::size_t i = 0; i < std::min(count, kSamples); ++i) {
    const Triangle& t = submesh.triangles[i * count / std::min(count, kSamples)];
    for (std::uint32_t corner : {t.a, t.b, t.c}) key = (key ^ corner) * 0x100000001B3ull;
  }
  return key;
}

}  // namespace

const SubmeshTopology& TopologyCache::Of(const SubmeshArrays& submesh) {
  for (std::size_t i = 0; i < kRecent && m_recent[i] != nullptr; ++i) {
    if (!SameTriangles(m_recent[i]->example, submesh)) continue;
    const Entry* found = m_recent[i];
    std::copy_backward(m_recent.begin(), m_recent.begin() + static_cast<std::ptrdiff_t>(i),
                       m_recent.begin() + static_cast<std::ptrdiff_t>(i) + 1);
    m_recent[0] = found;
    return found->topology;
  }
  const std::uint64_t key = KeyOf(submesh);
  const auto [begin, end] = m_byKey.equal_range(key);
  std::size_t compared = 0;
  const Entry* found = nullptr;
  for (auto candidate = begin; candidate != end && found == nullptr; ++candidate, ++compared)
    if (SameTriangles(candidate->second->example, submesh)) found = candidate->second;
  if (found == nullptr) found = &Add(submesh, key, compared < kMostWithOneKey);
  std::copy_backward(m_recent.begin(), m_recent.end() - 1, m_recent.end());
  m_recent[0] = found;
  return found->topology;
}

const TopologyCache::Entry& TopologyCache::Add(const SubmeshArrays& submesh, std::uint64_t key,
                                               bool findable) {
  const Entry& entry = m_entries.emplace_back(Entry{submesh, Compute(submesh, m_orderForCache)});
  if (findable) m_byKey.emplace(key, &entry);
  return entry;
}

}  // namespace vh
