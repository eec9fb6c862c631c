#include "fileio/export_common.h"

#include <algorithm>
#include <stdexcept>

#include "tree/branch.h"

namespace vh {

Vector3 ExportOrigin(const MeshObject& mesh) {
  if (mesh.submeshes.empty() || mesh.submeshes.front()->vertices.empty()) return Zero;
  return mesh.submeshes.front()->vertices.front().position;
}

Vector3 EngineOrigin(const MeshObject& mesh) {
  // The generator lists the trunk after its own leaves, before any other
  // branch: the first branch met is the trunk.
  for (const auto& submesh : mesh.submeshes)
    if (const auto* branch = dynamic_cast<const Branch*>(submesh.get()))
      return branch->level == 0 ? branch->origin : ExportOrigin(mesh);
  return ExportOrigin(mesh);
}

std::vector<ExportMaterial> DistinctMaterials(const MeshObject& mesh) {
  std::vector<ExportMaterial> materials;
  std::vector<int> numbers;   // texture number of each entry of `materials`
  std::vector<bool> decided;  // colour and texturing taken from a vertex
  for (const auto& submesh : mesh.submeshes) {
    const auto found = std::find(numbers.begin(), numbers.end(), submesh->texture);
    const auto index = static_cast<std::size_t>(found - numbers.begin());
    if (found == numbers.end()) {
      numbers.push_back(submesh->texture);
      materials.push_back(ExportMaterial{submesh.get()});
      decided.push_back(false);
    }
    // The first vertex of this number decides colour and texturing, even
    // when it belongs to a later submesh than the one naming the material.
    if (decided[index] || submesh->vertices.empty()) continue;
    decided[index] = true;
    const Vertex& first = submesh->vertices.front();
    materials[index].colour = first.colour;
    materials[index].textured = first.hasTexCoord;
  }
  return materials;
}

std::string FileNamePart(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

void CheckIndices(const MeshObject& mesh, const std::string& path) {
  for (const auto& submesh : mesh.submeshes) {
    const std::size_t count = submesh->vertices.size();
    for (const Triangle& t : submesh->triangles) {
      if (t.a >= count || t.b >= count || t.c >= count)
        throw std::runtime_error("cannot export '" + path + "': submesh " +
                                 std::to_string(submesh->displayList) +
                                 " has a triangle referring to a missing vertex");
    }
  }
}

}  // namespace vh
