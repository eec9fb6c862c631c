// Hand-built meshes for the billboard tests: a bark trunk and branches
// (material 2, strip on) and many small leaves (material 1, two triangles,
// strip and face culling off), placed by a fixed-seed generator.
#pragma once

#include <memory>

#include "tree/mesh.h"

namespace vh::test {

struct LeafyMeshOptions {
  int leaves = 200;           // leaf submeshes of two triangles each
  int barkSubmeshes = 3;      // tubes of 8 x 6 quads
  bool emptySubmesh = false;  // insert a submesh without triangles at index 1
  unsigned seed = 7;
};

// A deterministic tree-like mesh: equal options give equal meshes.
std::unique_ptr<MeshObject> MakeLeafyMesh(const LeafyMeshOptions& options);

// A submesh of material `texture` holding one triangle per three positions.
std::shared_ptr<Submesh> MakeTriangles(int texture, const std::vector<Vector3>& positions);

}  // namespace vh::test
