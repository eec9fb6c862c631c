// Saving a tree and loading the document grows the identical tree.
#include <gtest/gtest.h>

#include "fileio/document.h"
#include "test_support.h"

namespace vh {
namespace {

TreeParameters LeafyParameters() {
  TreeParameters params(1);
  params.seed = 2024;
  // Outline values that six decimals hold exactly, so nothing is rounded.
  params.leafOutline = {{0, -20}, {10.5f, 0}, {0, 30.25f}, {-10.5f, 0}};
  params.leafTexCoords = {{0.5f, 0}, {1, 0.5f}, {0.5f, 1}, {0, 0.5f}};
  params.levels[1].leafDensity = 60;
  params.levels[2].leafDensity = 90;
  params.levels[1].noise = 55;
  return params;
}

void ExpectSameMesh(const Tree& a, const Tree& b) {
  ASSERT_EQ(a.submeshes.size(), b.submeshes.size());
  for (std::size_t i = 0; i < a.submeshes.size(); ++i) {
    const Submesh& x = *a.submeshes[i];
    const Submesh& y = *b.submeshes[i];
    ASSERT_EQ(x.vertices.size(), y.vertices.size()) << "submesh " << i;
    ASSERT_EQ(x.triangles.size(), y.triangles.size()) << "submesh " << i;
    EXPECT_EQ(x.displayList, y.displayList);
    EXPECT_EQ(x.materialName, y.materialName);
    for (std::size_t v = 0; v < x.vertices.size(); ++v) {
      ASSERT_EQ(x.vertices[v].position, y.vertices[v].position) << "submesh " << i << " vertex " << v;
      ASSERT_EQ(x.vertices[v].colour, y.vertices[v].colour);
      ASSERT_EQ(x.vertices[v].texCoord, y.vertices[v].texCoord);
    }
  }
}

TEST(DocumentRegrow, SaveThenLoadGrowsTheSameTree) {
  test::ScratchDir dir;
  const TreeParameters originalParams = LeafyParameters();
  const Tree original = Generate(originalParams);
  ASSERT_GT(original.leafCount, 0);
  const std::string path = dir.File("leafy.vhm");
  SaveDocument(originalParams, path);

  // Read over a default set with its own, different parameters.
  const TreeParameters loadedParams = ReadDocumentFile(path, TreeParameters());
  EXPECT_TRUE(test::SameParameters(loadedParams, test::AsLoaded(originalParams)));
  const Tree loaded = Generate(loadedParams);
  EXPECT_EQ(loaded.leafCount, original.leafCount);
  ExpectSameMesh(original, loaded);
}

// Hand edits are saved with values no short decimal holds, and the tree
// regrown from the document is the edited one, float for float.
TEST(DocumentRegrow, SaveThenLoadGrowsTheSameEditedTree) {
  test::ScratchDir dir;
  TreeParameters params = LeafyParameters();
  params.handEdits = {{HandEditKind::kRemove, {0, 1}},
                      {HandEditKind::kTurn, {0, 2}, 12.345678901234567, -7.0 / 3},
                      {HandEditKind::kLength, {0, 0}, 0, 0, 0.7123456789012345},
                      {HandEditKind::kRemove, {0, 9}}};
  const Tree original = Generate(params);
  EXPECT_EQ(original.unappliedEdits, std::vector<std::size_t>{3});
  const std::string path = dir.File("edited.vhm");
  SaveDocument(params, path);
  const TreeParameters loaded = ReadDocumentFile(path, TreeParameters());
  EXPECT_EQ(loaded.handEdits, params.handEdits);
  ExpectSameMesh(original, Generate(loaded));
  EXPECT_NE(original.VertexCount(), Generate(LeafyParameters()).VertexCount());
}

TEST(DocumentRegrow, DefaultTreeDocumentGrowsTheDefaultTree) {
  const Tree expected = Generate(TreeParameters());
  const TreeParameters loaded = ReadDocumentFile(VH_TEST_DATA_DIR "/default_tree.vhm", TreeParameters(0));
  EXPECT_TRUE(test::SameParameters(loaded, test::AsLoaded(TreeParameters())));
  ExpectSameMesh(expected, Generate(loaded));
}

TEST(DocumentRegrow, ZeroQualityHeightIsGrownAndSavedAsTwo) {
  test::ScratchDir dir;
  TreeParameters params;
  params.levels[1].qualityHeight = 0;
  const std::string path = dir.File("zero.vhm");
  test::WriteWholeFile(path, FormatDocument(params));
  const TreeParameters loaded = ReadDocumentFile(path, TreeParameters());
  EXPECT_EQ(loaded.levels[1].qualityHeight, 2);
  SaveDocument(loaded, path);
  EXPECT_EQ(ReadDocumentFile(path, TreeParameters()).levels[1].qualityHeight, 2);
}

}  // namespace
}  // namespace vh
