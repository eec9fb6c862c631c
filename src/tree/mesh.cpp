#include "tree/mesh.h"

namespace vh {

std::atomic<unsigned> Submesh::s_nextObjectNumber{1};

Submesh::Submesh() : displayList(s_nextObjectNumber++) {}

Submesh::Submesh(unsigned objectNumber) : displayList(objectNumber) {}

Submesh::Submesh(unsigned objectNumber, std::pmr::memory_resource* memory)
    : vertices(memory),
      triangles(memory),
      displayList(objectNumber),
      textureFile(memory),
      materialName(memory) {}

std::uint64_t MeshObject::VertexCount() const {
  std::uint64_t count = 0;
  for (const auto& submesh : submeshes) count += submesh->vertices.size();
  return count;
}

std::uint64_t MeshObject::PolygonCount() const {
  std::uint64_t count = 0;
  for (const auto& submesh : submeshes) count += submesh->triangles.size();
  return count;
}

}  // namespace vh
