// Our glTF files judged by readers we did not write: the Khronos validator
// must report neither an error nor a warning, and Assimp must read as many
// faces as the tree has triangles.
#include <gtest/gtest.h>

#include "common/engine_triangles.h"
#include "common/gltf_tools.h"
#include "common/scratch_dir.h"
#include "fileio/gltf_export.h"
#include "gltf_test_support.h"
#include "test_support.h"

namespace vh {
namespace {

using test::ScratchDir;

struct TreeCase {
  const char* name;
  void (*grow)(Tree&);
};

void DefaultTree(Tree& tree) { Generate(TreeParameters(), {}, {}, tree); }
void LeafyTexturedTree(Tree& tree) { test::GrowLeafyTree(tree, true); }
void LeafyColouredTree(Tree& tree) { test::GrowLeafyTree(tree, false); }
void LargeTree(Tree& tree) {
  test::GrowTreeOverSixteenBits(tree);
  ASSERT_GT(tree.VertexCount(), 65535u);
}

class GltfReaders : public testing::TestWithParam<TreeCase> {
 protected:
  // Writes the tree as .glb and .gltf, with a transparent leaf picture.
  void ExportBoth(const Tree& tree, const ScratchDir& dir) {
    MaterialPictures pictures;
    pictures.bark = &m_bark;
    pictures.leaf = &m_leaf;
    ExportGLB(SingleMeshScene(tree, pictures), dir.File("tree.glb"));
    ExportGLTF(SingleMeshScene(tree, pictures), dir.File("tree.gltf"));
  }
  Image m_bark = test::GradientPicture(128, 64);
  Image m_leaf = test::GradientPicture(32, 32, true);
};

TEST_P(GltfReaders, ValidatorFindsNoErrorAndNoWarning) {
  VH_REQUIRE_GLTF_VALIDATOR();
  Tree tree;
  GetParam().grow(tree);
  ScratchDir dir;
  ExportBoth(tree, dir);
  test::ExpectValidGltf(dir.File("tree.glb"));
  test::ExpectValidGltf(dir.File("tree.gltf"));
}

TEST_P(GltfReaders, AssimpReadsEveryTriangle) {
  Tree tree;
  GetParam().grow(tree);
  ScratchDir dir;
  ExportBoth(tree, dir);
  EXPECT_EQ(test::AssimpInfoCount(dir.File("tree.glb"), "Faces"), test::EngineTriangles(tree));
  EXPECT_EQ(test::AssimpInfoCount(dir.File("tree.gltf"), "Faces"), test::EngineTriangles(tree));
}

INSTANTIATE_TEST_SUITE_P(Trees, GltfReaders,
                         testing::Values(TreeCase{"Default", DefaultTree},
                                         TreeCase{"LeafyTextured", LeafyTexturedTree},
                                         TreeCase{"LeafyColoured", LeafyColouredTree},
                                         TreeCase{"OverSixteenBitIndices", LargeTree}),
                         [](const testing::TestParamInfo<TreeCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(GltfReadersValidator, CatchesABrokenFile) {
  // The check above could pass on a validator that accepts anything.
  VH_REQUIRE_GLTF_VALIDATOR();
  ScratchDir dir;
  test::WriteWholeFile(
      dir.File("broken.gltf"),
      R"({"asset":{"version":"2.0"},"accessors":[{"componentType":5126,"count":0,"type":"VEC3"}]})");
  const test::ValidatorReport report = test::Validate(dir.File("broken.gltf"));
  EXPECT_GT(report.errors, 0) << report.text;
}

}  // namespace
}  // namespace vh
