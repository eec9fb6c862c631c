#include "billboard/coverage.h"

#include <stdexcept>
#include <string>

#include "tree/mesh.h"

namespace vh {

TriangleCoverage::TriangleCoverage(const MeshObject& mesh) {
  m_submesh.reserve(mesh.submeshes.size());
  std::size_t total = 0;
  for (std::size_t s = 0; s < mesh.submeshes.size(); ++s) {
    if (!mesh.submeshes[s]) throw std::runtime_error("Submesh " + std::to_string(s) + " is missing");
    const Submesh& submesh = *mesh.submeshes[s];
    const std::size_t vertexCount = submesh.vertices.size();
    for (std::size_t t = 0; t < submesh.triangles.size(); ++t) {
      const Triangle& triangle = submesh.triangles[t];
      if (triangle.a >= vertexCount || triangle.b >= vertexCount || triangle.c >= vertexCount) {
        throw std::runtime_error("Submesh " + std::to_string(s) + " (object " +
                                 std::to_string(submesh.displayList) + "), triangle " + std::to_string(t) +
                                 ": vertex index out of range (" + std::to_string(vertexCount) +
                                 " vertices)");
      }
    }
    if (submesh.triangles.size() > UINT32_MAX) {
      throw std::runtime_error("Submesh " + std::to_string(s) +
                               " has more triangles than 32-bit indices allow");
    }
    const auto count = static_cast<std::uint32_t>(submesh.triangles.size());
    m_submesh.push_back({total, count, count});
    m_state.push_back(count == 0 ? SubmeshState::kEmpty : SubmeshState::kOpen);
    total += count;
  }
  m_covered.assign(total, 0);
}

void TriangleCoverage::Cover(std::size_t submesh, std::size_t triangle) {
  std::uint8_t& flag = m_covered[m_submesh[submesh].offset + triangle];
  if (flag == 0) {
    flag = 1;
    ++m_coveredCount;
    if (--m_submesh[submesh].uncovered == 0) m_state[submesh] = SubmeshState::kFullyCovered;
  }
}

}  // namespace vh
