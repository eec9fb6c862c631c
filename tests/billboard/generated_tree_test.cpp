// The billboard builder on trees grown by the generator.
#include <gtest/gtest.h>

#include "billboard/billboard_cloud.h"
#include "tree/tree.h"

namespace vh {
namespace {

std::unique_ptr<Tree> GrowTree(bool withLeaves) {
  TreeParameters params(1);
  if (withLeaves) {
    params.leafOutline = {{0, -40}, {20, -10}, {0, 30}, {-20, -10}};
    params.leafTexCoords = {{0.5f, 0.0f}, {1.0f, 0.4f}, {0.5f, 1.0f}, {0.0f, 0.4f}};
  }
  return std::make_unique<Tree>(Generate(params));
}

std::size_t CountMaterial(const MeshObject& mesh, int texture) {
  std::size_t count = 0;
  for (const auto& submesh : mesh.submeshes) count += submesh->texture == texture ? 1 : 0;
  return count;
}

TEST(BillboardCloudOnGeneratedTree, LeaflessTreeInMode0KeepsItsBranches) {
  const auto tree = GrowTree(false);
  ASSERT_EQ(CountMaterial(*tree, kLeafMaterial), 0u);
  const std::size_t bark = CountMaterial(*tree, kBarkMaterial);
  ASSERT_GT(bark, 0u);
  BillboardPicker picker;
  int pictures = 0;
  const BillboardCloud cloud = CreateBillboardCloud(*tree, {}, picker,
                                                    [&](const Vector3&, const Vector3&, const Vector3&, int) {
                                                      ++pictures;
                                                      return Image();
                                                    },
                                                    {});
  EXPECT_EQ(pictures, 0);
  ASSERT_NE(cloud.mesh, nullptr);
  EXPECT_EQ(cloud.mesh->submeshes.size(), bark);
  EXPECT_EQ(CountMaterial(*cloud.mesh, kBarkMaterial), bark);
  EXPECT_EQ(cloud.mesh->PolygonCount(), tree->PolygonCount());
}

TEST(BillboardCloudOnGeneratedTree, LeafyTreeGetsBillboardsAndDrawsAsBefore) {
  const auto tree = GrowTree(true);
  ASSERT_GT(CountMaterial(*tree, kLeafMaterial), 0u);
  std::vector<bool> strip;
  std::vector<std::uint64_t> revision;
  for (const auto& submesh : tree->submeshes) {
    strip.push_back(submesh->strip);
    revision.push_back(submesh->revision);
  }
  BillboardPicker picker;
  BillboardSettings settings;
  settings.precision = 10;
  const BillboardCloud cloud = CreateBillboardCloud(*tree, settings, picker, {}, {});
  ASSERT_NE(cloud.mesh, nullptr);
  const std::size_t billboards = CountMaterial(*cloud.mesh, kBillboardMaterial);
  EXPECT_GT(billboards, 0u);
  EXPECT_EQ(cloud.mesh->submeshes.size(), billboards + CountMaterial(*tree, kBarkMaterial));
  for (std::size_t s = 0; s < tree->submeshes.size(); ++s) {
    const Submesh& submesh = *tree->submeshes[s];
    EXPECT_EQ(submesh.strip, strip[s]);
    EXPECT_GT(submesh.revision, revision[s]) << "the tree is drawn again after the cloud";
    for (const Triangle& t : submesh.triangles) ASSERT_TRUE(t.visible);
  }
}

}  // namespace
}  // namespace vh
