// A mesh gathered into flat arrays by material: nothing lost, nothing moved.
#include "tree/mesh_arrays.h"

#include <gtest/gtest.h>

#include "tree/tree.h"
#include "tree_test_support.h"

namespace vh {
namespace {

TEST(MeshArrays, HoldEveryVertexAndTriangleGroupedByMaterial) {
  TreeParameters params;
  testing::GiveLeaves(params);
  const Tree tree = Generate(params);
  const MeshArrays arrays = GatherMeshArrays(tree);

  ASSERT_EQ(arrays.VertexCount(), tree.VertexCount());
  EXPECT_EQ(arrays.TriangleCount(), tree.PolygonCount());
  EXPECT_EQ(arrays.normals.size(), arrays.positions.size());
  EXPECT_EQ(arrays.texCoords.size(), 2 * arrays.VertexCount());
  ASSERT_EQ(arrays.groups.size(), 2u);
  EXPECT_EQ(arrays.groups[0].material, kLeafMaterial);
  EXPECT_EQ(arrays.groups[1].material, kBarkMaterial);
  EXPECT_EQ(arrays.groups[1].materialName, "Material2");

  // The groups tile both lists, and each group's triangles use its vertices.
  std::uint64_t vertex = 0, triangle = 0;
  for (const MaterialGroup& group : arrays.groups) {
    EXPECT_EQ(group.firstVertex, vertex);
    EXPECT_EQ(group.firstTriangle, triangle);
    for (std::uint64_t i = 3 * group.firstTriangle; i < 3 * (group.firstTriangle + group.triangleCount);
         ++i) {
      EXPECT_GE(arrays.indices[i], group.firstVertex);
      EXPECT_LT(arrays.indices[i], group.firstVertex + group.vertexCount);
    }
    vertex += group.vertexCount;
    triangle += group.triangleCount;
  }
  EXPECT_EQ(vertex, arrays.VertexCount());

  // The bark group starts with the trunk, the first submesh of a tree
  // without leaves on its trunk.
  ASSERT_TRUE(params.noLeavesOnTrunk);
  const Submesh& trunk = *tree.submeshes[0];
  ASSERT_EQ(trunk.texture, kBarkMaterial);
  const std::uint64_t first = arrays.groups[1].firstVertex;
  EXPECT_EQ(arrays.positions[3 * first + 1], trunk.vertices[0].position.y);
  EXPECT_EQ(arrays.normals[3 * first], trunk.vertices[0].normal.x);
  EXPECT_EQ(arrays.indices[3 * arrays.groups[1].firstTriangle], first + trunk.triangles[0].a);
}

TEST(MeshArrays, LeaveOutHiddenTriangles) {
  Tree tree = Generate(TreeParameters());
  tree.submeshes[0]->triangles[0].visible = false;
  EXPECT_EQ(GatherMeshArrays(tree).TriangleCount(), tree.PolygonCount() - 1);
}

}  // namespace
}  // namespace vh
