// Which triangles of a mesh object already belong to a billboard cluster.
// One flag per triangle, grouped per submesh in submesh order. The mesh must
// not gain or lose triangles while a coverage refers to it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vh {

class MeshObject;

class TriangleCoverage {
 public:
  // All flags clear. Throws std::runtime_error when a triangle of the mesh
  // refers to a vertex its submesh does not have, so that later passes can
  // index vertices without checking.
  explicit TriangleCoverage(const MeshObject& mesh);

  std::size_t SubmeshCount() const { return m_submesh.size(); }
  std::size_t TriangleCount(std::size_t submesh) const { return m_submesh[submesh].triangles; }
  // Uncovered triangles of one submesh.
  std::size_t Uncovered(std::size_t submesh) const { return m_submesh[submesh].uncovered; }

  // A summary of one submesh in one byte, so that the picker's many random
  // probes stay in cache.
  enum class SubmeshState : std::uint8_t { kEmpty, kFullyCovered, kOpen };
  SubmeshState State(std::size_t submesh) const { return m_state[submesh]; }
  std::size_t Total() const { return m_covered.size(); }
  std::size_t Uncovered() const { return m_covered.size() - m_coveredCount; }

  bool Covered(std::size_t submesh, std::size_t triangle) const {
    return m_covered[m_submesh[submesh].offset + triangle] != 0;
  }
  void Cover(std::size_t submesh, std::size_t triangle);

 private:
  struct SubmeshFlags {
    std::size_t offset;       // index of its first flag
    std::uint32_t triangles;  // its triangle count
    std::uint32_t uncovered;  // how many of them are not covered
  };
  std::vector<SubmeshFlags> m_submesh;
  std::vector<SubmeshState> m_state;
  std::vector<std::uint8_t> m_covered;
  std::size_t m_coveredCount = 0;
};

}  // namespace vh
