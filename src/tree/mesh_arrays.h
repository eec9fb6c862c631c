// A mesh as a few flat arrays, for batch tools that hand geometry to other
// programs (the Python module's numpy arrays): every vertex's position,
// normal and texture coordinate in one list each, the triangles as vertex
// indices, and the submeshes gathered by material into groups, each a run
// of vertices and a run of triangles.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tree/mesh.h"

namespace vh {

// The submeshes of one material, in list order.
struct MaterialGroup {
  int material = 0;          // kLeafMaterial, kBarkMaterial or kBillboardMaterial
  std::string materialName;  // as exported: the prefix and the number, or "BBdMat"
  std::string textureFile;   // the picture's file name; empty where there is none
  std::uint64_t firstVertex = 0, vertexCount = 0;
  std::uint64_t firstTriangle = 0, triangleCount = 0;
};

struct MeshArrays {
  std::vector<float> positions;        // x, y, z per vertex, scene units
  std::vector<float> normals;          // x, y, z per vertex, as the generator made them
  std::vector<float> texCoords;        // u, v per vertex
  std::vector<std::uint32_t> indices;  // a, b, c per triangle, into the lists above
  std::vector<MaterialGroup> groups;   // ascending material number

  std::uint64_t VertexCount() const { return positions.size() / 3; }
  std::uint64_t TriangleCount() const { return indices.size() / 3; }
};

// Gathers `mesh` by material: every vertex (so VertexCount() is the mesh's),
// and every visible triangle in the generator's winding (clockwise seen
// from outside), its indices offset to the gathered vertex list. Throws
// std::length_error when the mesh has more vertices than 32-bit indices
// can reach.
MeshArrays GatherMeshArrays(const MeshObject& mesh);

}  // namespace vh
