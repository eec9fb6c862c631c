#include "billboard/coverage.h"

#include <stdexcept>
#include <string>

#include "tree/mesh.h"

namespace vh {

TriangleCoverage::TriangleCoverage(const MeshObject& mesh) {
  m_offset.reserve(mesh.submeshes.size() + 1);
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
    m_offset.push_back(total);
    total += submesh.triangles.size();
  }
  m_offset.push_back(total);
  m_covered.assign(total, 0);
}

void TriangleCoverage::Cover(std::size_t submesh, std::size_t triangle) {
  std::uint8_t& flag = m_covered[m_offset[submesh] + triangle];
  if (flag == 0) {
    flag = 1;
    ++m_coveredCount;
  }
}

}  // namespace vh
