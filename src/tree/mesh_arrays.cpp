#include "tree/mesh_arrays.h"

#include <algorithm>
#include <limits>
#include <map>
#include <stdexcept>
#include <utility>

namespace vh {
namespace {

void Append(MeshArrays& arrays, const Submesh& submesh) {
  const std::uint64_t base = arrays.VertexCount();
  for (const Vertex& vertex : submesh.vertices) {
    arrays.positions.insert(arrays.positions.end(),
                            {vertex.position.x, vertex.position.y, vertex.position.z});
    arrays.normals.insert(arrays.normals.end(), {vertex.normal.x, vertex.normal.y, vertex.normal.z});
    arrays.texCoords.insert(arrays.texCoords.end(), {vertex.texCoord.x, vertex.texCoord.y});
  }
  for (const Triangle& triangle : submesh.triangles) {
    if (!triangle.visible) continue;
    for (const std::uint32_t index : {triangle.a, triangle.b, triangle.c}) {
      if (index >= submesh.vertices.size())
        throw std::out_of_range("submesh " + std::to_string(submesh.displayList) +
                                " has a triangle with a missing vertex");
      arrays.indices.push_back(static_cast<std::uint32_t>(base + index));
    }
  }
}

}  // namespace

MeshArrays GatherMeshArrays(const MeshObject& mesh) {
  if (mesh.VertexCount() > std::numeric_limits<std::uint32_t>::max())
    throw std::length_error("the mesh has more vertices than 32-bit indices can reach");
  // Submeshes by material, each material's in list order.
  std::map<int, std::vector<const Submesh*>> byMaterial;
  for (const auto& submesh : mesh.submeshes) byMaterial[submesh->texture].push_back(submesh.get());

  MeshArrays arrays;
  const std::uint64_t vertices = mesh.VertexCount();
  arrays.positions.reserve(3 * vertices);
  arrays.normals.reserve(3 * vertices);
  arrays.texCoords.reserve(2 * vertices);
  arrays.indices.reserve(3 * mesh.PolygonCount());
  for (const auto& [material, submeshes] : byMaterial) {
    MaterialGroup group;
    group.material = material;
    group.materialName = submeshes.front()->materialName;
    group.textureFile = submeshes.front()->textureFile;
    group.firstVertex = arrays.VertexCount();
    group.firstTriangle = arrays.TriangleCount();
    for (const Submesh* submesh : submeshes) Append(arrays, *submesh);
    group.vertexCount = arrays.VertexCount() - group.firstVertex;
    group.triangleCount = arrays.TriangleCount() - group.firstTriangle;
    arrays.groups.push_back(std::move(group));
  }
  return arrays;
}

}  // namespace vh
