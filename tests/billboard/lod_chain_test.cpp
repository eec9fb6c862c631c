// The level-of-detail chain: branch grids recognised from the mesh alone,
// reduced levels made of the tree's own vertices at the aimed share of its
// triangles, thinned and enlarged leaves, and the whole chain written as
// glTF that the validator accepts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <tuple>

#include "billboard/card_level.h"
#include "billboard/leaf_simplification.h"
#include "billboard/lod_chain.h"
#include "billboard/lod_reduction.h"
#include "common/engine_triangles.h"
#include "common/gltf_tools.h"
#include "common/scratch_dir.h"
#include "fileio/document.h"
#include "fileio/gltf_export.h"
#include "fileio/presets.h"
#include "imaging/picture_io.h"
#include "tree/tree.h"

namespace vh {
namespace {

std::unique_ptr<Tree> LeafyTree() {
  auto tree = std::make_unique<Tree>();
  Generate(ReadDocumentFile(VH_TEST_DATA_DIR "/billboard_tree.vhm", TreeParameters()), {}, {}, *tree);
  return tree;
}

std::size_t Count(const MeshObject& mesh, int material) {
  std::size_t count = 0;
  for (const auto& submesh : mesh.submeshes) count += submesh->texture == material;
  return count;
}

double LeafArea(const MeshObject& mesh) {
  double area = 0.0;
  for (const auto& submesh : mesh.submeshes) {
    if (submesh->texture != kLeafMaterial) continue;
    for (const Triangle& t : submesh->triangles) {
      const Vector3& a = submesh->vertices[t.a].position;
      area += std::sqrt(
          LengthSquared(Cross(submesh->vertices[t.b].position - a, submesh->vertices[t.c].position - a)));
    }
  }
  return area / 2;
}

TEST(LodReduction, RecognisesEveryGeneratedBranchGridAndNothingElse) {
  const TreeParameters params;
  const Tree tree = Generate(params);
  const LevelParameters& trunk = params.levels[0];
  const std::optional<BranchGrid> first = GridOf(*tree.submeshes.front());
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(first->rings, static_cast<unsigned>(trunk.qualityHeight + 1));
  EXPECT_EQ(first->columns, static_cast<unsigned>(trunk.qualityAngle + 1));
  for (const auto& submesh : tree.submeshes) EXPECT_TRUE(GridOf(*submesh).has_value());

  const auto leafy = LeafyTree();
  for (const auto& submesh : leafy->submeshes)
    EXPECT_EQ(GridOf(*submesh).has_value(), submesh->texture == kBarkMaterial);
  Submesh shuffled;  // a bark submesh with the right counts but another layout
  shuffled.texture = kBarkMaterial;
  shuffled.vertices = tree.submeshes.front()->vertices;
  shuffled.triangles = tree.submeshes.front()->triangles;
  std::swap(shuffled.triangles[0], shuffled.triangles[5]);
  EXPECT_FALSE(GridOf(shuffled).has_value());
}

TEST(LodReduction, ReducedBranchesKeepTheirOwnVerticesAndTurnAsBefore) {
  Tree tree;
  TreeParameters params;
  for (LevelParameters& level : params.levels) level.attachToParent = false;
  Generate(params, {}, {}, tree);
  const auto reduced = ReduceTree(tree, {0.4, 0.0});
  ASSERT_EQ(reduced->submeshes.size(), tree.submeshes.size());
  for (std::size_t i = 0; i < tree.submeshes.size(); ++i) {
    const Submesh& source = *tree.submeshes[i];
    const Submesh& coarse = *reduced->submeshes[i];
    EXPECT_EQ(coarse.displayList, source.displayList) << "the same branch, coarser";
    std::set<std::tuple<float, float, float>> original;
    for (const Vertex& v : source.vertices) original.insert({v.position.x, v.position.y, v.position.z});
    for (const Vertex& v : coarse.vertices)
      EXPECT_TRUE(original.count({v.position.x, v.position.y, v.position.z})) << "branch " << i;
    // Clockwise seen from outside, as the generator's: the face normal of
    // (a, c, b) points along the vertex normals.
    for (const Triangle& t : coarse.triangles) {
      const Vector3 a = coarse.vertices[t.a].position, b = coarse.vertices[t.b].position,
                    c = coarse.vertices[t.c].position;
      const Vector3 face = Cross(c - a, b - a);
      if (LengthSquared(face) < 1e-10f) continue;
      const Vector3 normal =
          coarse.vertices[t.a].normal + coarse.vertices[t.b].normal + coarse.vertices[t.c].normal;
      EXPECT_GT(Dot(face, normal), 0.0f) << "branch " << i;
    }
    // Base and tip rings and the seam stay.
    EXPECT_EQ(coarse.vertices.front().position, source.vertices.front().position);
    EXPECT_EQ(coarse.vertices.back().position, source.vertices.back().position);
  }
  const double share =
      static_cast<double>(reduced->PolygonCount()) / static_cast<double>(tree.PolygonCount());
  EXPECT_LE(share, 0.4);
  EXPECT_GT(share, 0.3);
}

// The mean horizontal distance of the leaves' centres from the first
// vertex of the trunk (on its axis' side, near enough at the base).
double MeanLeafReach(const MeshObject& tree) {
  const Vector3 base = tree.submeshes.front()->vertices.front().position;
  double sum = 0.0;
  std::size_t count = 0;
  for (const auto& submesh : tree.submeshes) {
    if (submesh->texture != kLeafMaterial) continue;
    Vector3 centre;
    for (const Vertex& v : submesh->vertices) centre += v.position;
    centre = centre * (1.0f / static_cast<float>(submesh->vertices.size()));
    sum += std::hypot(centre.x - base.x, centre.z - base.z);
    ++count;
  }
  return count > 0 ? sum / static_cast<double>(count) : 0.0;
}

TEST(LodReduction, DropsThinBranchesAndThinsLeavesKeepingTheirCover) {
  const auto tree = LeafyTree();
  // Only the trunk is thicker than a tenth of the tree's height.
  const auto trunkOnly = ReduceTree(*tree, {1.0, 0.1});
  EXPECT_EQ(Count(*trunkOnly, kBarkMaterial), 1u);
  EXPECT_EQ(Count(*trunkOnly, kLeafMaterial), Count(*tree, kLeafMaterial));

  // Its leaves are squares already: to reach 15 % some of them go, and
  // those kept grow to cover sqrt(1 / share) of their area.
  const auto coarse = ReduceTree(*tree, {0.15, 0.0});
  const std::size_t leaves = Count(*tree, kLeafMaterial), kept = Count(*coarse, kLeafMaterial);
  EXPECT_LT(kept, leaves);
  EXPECT_GT(kept, 0u);
  std::set<unsigned> leafNumbers;
  for (const auto& submesh : tree->submeshes)
    if (submesh->texture == kLeafMaterial) leafNumbers.insert(submesh->displayList);
  for (const auto& submesh : coarse->submeshes) {
    if (submesh->texture == kLeafMaterial) {
      EXPECT_EQ(leafNumbers.count(submesh->displayList), 1u);
    }
  }
  const double share = static_cast<double>(kept) / static_cast<double>(leaves);
  EXPECT_NEAR(LeafArea(*coarse), LeafArea(*tree) * std::sqrt(share),
              0.1 * LeafArea(*tree) * std::sqrt(share));
  EXPECT_LE(coarse->PolygonCount(), tree->PolygonCount() * 15 / 100);
  // The leaves on the crown's outside draw its outline: those kept lie
  // farther out from the trunk, on average, than the tree's leaves.
  EXPECT_GT(MeanLeafReach(*coarse), 1.05 * MeanLeafReach(*tree));

  // With their growth capped the same leaves are kept, grown by the cap.
  LodReduction capped{0.15, 0.0};
  capped.mostLeafGrowth = 1.2;
  const auto small = ReduceTree(*tree, capped);
  EXPECT_EQ(Count(*small, kLeafMaterial), kept);
  EXPECT_NEAR(LeafArea(*small), LeafArea(*tree) * share * 1.2, 0.1 * LeafArea(*tree) * share * 1.2);
}

TEST(LodReduction, LeavesOfManyCornersKeepFewerAndAllStay) {
  // The broadleaf oak's leaves have 22 corners: at 40 % every leaf stays,
  // with fewer corners and the same area.
  Tree oak;
  Generate(ReadDocumentFile(VH_SOURCE_DIR "/presets/broadleaf-oak.vhm", TreeParameters()), {}, {}, oak);
  const auto reduced = ReduceTree(oak, {0.4, 0.0});
  EXPECT_EQ(Count(*reduced, kLeafMaterial), Count(oak, kLeafMaterial));
  EXPECT_LE(reduced->PolygonCount(), oak.PolygonCount() * 40 / 100);
  EXPECT_NEAR(LeafArea(*reduced), LeafArea(oak), 0.02 * LeafArea(oak));
  std::size_t corners = 0, fewer = 0;
  for (const auto& submesh : oak.submeshes)
    if (submesh->texture == kLeafMaterial) corners = std::max(corners, submesh->vertices.size());
  for (const auto& submesh : reduced->submeshes)
    if (submesh->texture == kLeafMaterial) fewer += submesh->vertices.size() < corners;
  EXPECT_EQ(fewer, Count(oak, kLeafMaterial));
}

TEST(LodChain, LevelsGetCoarserDownToTheCards) {
  const auto tree = LeafyTree();
  const LodChain chain = BuildLodChain(*tree, {}, {});
  ASSERT_EQ(chain.levels.size(), 4u);
  EXPECT_EQ(chain.levels[0].mesh->PolygonCount(), tree->PolygonCount());
  for (std::size_t i = 1; i < chain.levels.size(); ++i) {
    EXPECT_LT(chain.levels[i].mesh->PolygonCount(), chain.levels[i - 1].mesh->PolygonCount()) << i;
    EXPECT_LT(chain.levels[i].screenCoverage, chain.levels[i - 1].screenCoverage) << i;
  }
  // The last level is the star of fins and the top card, each two faces,
  // then the tree's own trunk.
  const LodLevel& cards = chain.levels.back();
  ASSERT_EQ(cards.mesh->submeshes.size(), static_cast<std::size_t>(kFins + 2));
  for (std::size_t i = 0; i < static_cast<std::size_t>(kFins + 1); ++i) {
    const Submesh& card = *cards.mesh->submeshes[i];
    EXPECT_EQ(card.texture, kCardMaterial);
    EXPECT_EQ(card.materialName, kCardMaterialName);
    EXPECT_EQ(card.triangles.size(), 4u);
  }
  EXPECT_EQ(cards.mesh->submeshes.back(), Trunk(*chain.levels[1].mesh)) << "the first reduction's trunk";
  EXPECT_LT(cards.mesh->PolygonCount(), chain.levels[2].mesh->PolygonCount());
  EXPECT_FALSE(cards.billboardColour.Empty());

  Tree bare;
  Generate(TreeParameters(), {}, {}, bare);
  EXPECT_EQ(BuildLodChain(bare, {}, {}).levels.size(), 4u);  // branches alone get their cards too
  EXPECT_TRUE(BuildLodChain(*tree, {}, {}, [](int) { return false; }).levels.empty());
}

TEST(LodChain, WrittenAsGltfPassesTheValidator) {
  VH_REQUIRE_GLTF_VALIDATOR();
  const auto tree = LeafyTree();
  const LodChain chain = BuildLodChain(*tree, {}, {});
  test::ScratchDir dir;
  ExportGLB(ChainScene(chain, {}), dir.File("chain.glb"));
  ExportGLTF(ChainScene(chain, {}, 0.5), dir.File("chain.gltf"));
  test::ExpectValidGltf(dir.File("chain.glb"));
  test::ExpectValidGltf(dir.File("chain.gltf"));
  const tinygltf::Model model = test::LoadGltf(dir.File("chain.glb"));
  ASSERT_EQ(model.meshes.size(), 4u);
  EXPECT_EQ(model.nodes.at(3).name, "chain_LOD3");
}

// The triangles of `model` whose corners, as written, span no area.
long TrianglesWithoutArea(const tinygltf::Model& model) {
  long flat = 0;
  for (const tinygltf::Mesh& mesh : model.meshes)
    for (const tinygltf::Primitive& primitive : mesh.primitives) {
      const std::vector<float> p = test::AccessorValues<float>(model, primitive.attributes.at("POSITION"));
      const std::vector<std::uint32_t> indices = test::IndexValues(model, primitive.indices);
      const auto corner = [&p](std::uint32_t index) {
        return std::array<double, 3>{p[3 * index], p[3 * index + 1], p[3 * index + 2]};
      };
      for (std::size_t i = 0; i + 2 < indices.size(); i += 3)
        flat += !test::SpansArea(corner(indices[i]), corner(indices[i + 1]), corner(indices[i + 2]));
    }
  return flat;
}

TEST(LodChain, NoPresetsChainWritesATriangleWithoutArea) {
  const PresetLibrary presets(VH_SOURCE_DIR "/presets");
  ASSERT_GE(presets.Names().size(), 8u);
  test::ScratchDir dir;
  for (const std::string& name : presets.Names()) {
    const TreeParameters params = presets.Read(name, TreeParameters());
    Tree tree;
    Generate(params, {}, {}, tree);
    const Image leaf = LoadPicture(params.leafTextureFile), bark = LoadPicture(params.barkTextureFile);
    ExportGLB(ChainScene(BuildLodChain(tree, {}, {}), {&leaf, &bark}), dir.File(name + ".glb"));
    const tinygltf::Model model = test::LoadGltf(dir.File(name + ".glb"));
    EXPECT_EQ(model.meshes.size(), 4u) << name;
    EXPECT_EQ(TrianglesWithoutArea(model), 0) << name;
  }
}

}  // namespace
}  // namespace vh
