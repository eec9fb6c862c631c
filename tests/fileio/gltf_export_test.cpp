// The glTF writer read back with tinygltf: geometry equal to the tree's own
// within float rounding, counter-clockwise faces, index widths, materials,
// pictures, the level chain's nodes, and failures that write nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "common/engine_triangles.h"
#include "common/file_size_limit.h"
#include "common/gltf_tools.h"
#include "common/kept_files.h"
#include "common/scratch_dir.h"
#include "fileio/export_common.h"
#include "fileio/export_formats.h"
#include "fileio/gltf_export.h"
#include "fileio/gltf_geometry.h"
#include "foundations/atomic_file.h"
#include "foundations/file_error.h"
#include "gltf_test_support.h"
#include "imaging/picture_file.h"
#include "test_support.h"

namespace vh {
namespace {

using test::Canonical;
using test::IndexTriangle;
using test::ScratchDir;

// The primitive of material `number` in mesh `mesh`, by its material's name.
const tinygltf::Primitive& PrimitiveNamed(const tinygltf::Model& model, const std::string& materialName,
                                          std::size_t mesh = 0) {
  for (const tinygltf::Primitive& primitive : model.meshes.at(mesh).primitives)
    if (model.materials.at(static_cast<std::size_t>(primitive.material)).name == materialName)
      return primitive;
  ADD_FAILURE() << "no primitive with material " << materialName;
  return model.meshes.at(mesh).primitives.front();
}

// What the writer should make of the submeshes of one material: positions
// as the OBJ export scales them, the tree's normals, every triangle with an
// area as written reversed (those without are left out), vertices that no remaining
// triangle uses left out, and leaves that repeat an earlier one left out.
struct ExpectedPrimitive {
  std::vector<float> positions, normals, texCoords;
  std::vector<IndexTriangle> triangles;
};

ExpectedPrimitive Expected(const MeshObject& mesh, int material, double scale = 1.0) {
  ExpectedPrimitive expected;
  const Vector3 origin = EngineOrigin(mesh);
  std::uint32_t base = 0;
  std::set<std::vector<float>> leavesSeen;
  for (const auto& submesh : mesh.submeshes) {
    if (submesh->texture != material) continue;
    if (material == kLeafMaterial) {  // a leaf made twice in one place is written once
      std::vector<float> key;
      for (const Vertex& v : submesh->vertices)
        key.insert(key.end(), {v.position.x, v.position.y, v.position.z});
      if (!leavesSeen.insert(key).second) continue;
    }
    std::vector<std::int64_t> index(submesh->vertices.size(), -1);
    const auto hasArea = [&](const Triangle& t) { return test::HasWrittenArea(*submesh, t, origin, scale); };
    for (const Triangle& t : submesh->triangles)
      if (hasArea(t)) index[t.a] = index[t.b] = index[t.c] = 0;
    std::uint32_t used = 0;
    for (std::size_t i = 0; i < submesh->vertices.size(); ++i) {
      if (index[i] < 0) continue;
      index[i] = base + used++;
      const Vertex& v = submesh->vertices[i];
      const Vector3 p = v.position - origin;
      for (float c : {p.x, p.y, p.z}) expected.positions.push_back(static_cast<float>(c * 0.01 * scale));
      expected.normals.insert(expected.normals.end(), {v.normal.x, v.normal.y, v.normal.z});
      expected.texCoords.insert(expected.texCoords.end(), {v.texCoord.x, v.texCoord.y});
    }
    for (const Triangle& t : submesh->triangles)
      if (hasArea(t))
        expected.triangles.push_back(Canonical(static_cast<std::uint32_t>(index[t.a]),
                                               static_cast<std::uint32_t>(index[t.c]),
                                               static_cast<std::uint32_t>(index[t.b])));
    base += used;
  }
  std::sort(expected.triangles.begin(), expected.triangles.end());
  return expected;
}

std::vector<IndexTriangle> SortedTriangles(const std::vector<std::uint32_t>& indices) {
  std::vector<IndexTriangle> triangles;
  for (std::size_t i = 0; i + 2 < indices.size(); i += 3)
    triangles.push_back(Canonical(indices[i], indices[i + 1], indices[i + 2]));
  std::sort(triangles.begin(), triangles.end());
  return triangles;
}

void ExpectClose(const std::vector<float>& actual, const std::vector<float>& expected, float relative,
                 const char* what) {
  ASSERT_EQ(actual.size(), expected.size()) << what;
  std::size_t wrong = 0;
  for (std::size_t i = 0; i < actual.size(); ++i)
    if (std::fabs(actual[i] - expected[i]) > relative * std::max(1.0f, std::fabs(expected[i]))) ++wrong;
  EXPECT_EQ(wrong, 0u) << what;
}

void ExpectPrimitiveMatches(const tinygltf::Model& model, const tinygltf::Primitive& primitive,
                            const ExpectedPrimitive& expected, bool textured) {
  // Positions are the OBJ export's numbers in float: rounding only.
  ExpectClose(test::AccessorValues<float>(model, primitive.attributes.at("POSITION")), expected.positions,
              1e-6f, "positions");
  ExpectClose(test::AccessorValues<float>(model, primitive.attributes.at("NORMAL")), expected.normals, 1e-6f,
              "normals");
  if (textured) {
    std::vector<float> texCoords = expected.texCoords;
    ExpectClose(test::AccessorValues<float>(model, primitive.attributes.at("TEXCOORD_0")), texCoords, 0.0f,
                "texture coordinates");
  } else {
    EXPECT_EQ(primitive.attributes.count("TEXCOORD_0"), 0u);
  }
  EXPECT_EQ(SortedTriangles(test::IndexValues(model, primitive.indices)), expected.triangles);
}

TEST(GltfExport, DefaultTreeReadsBackAsItsOwnGeometryInOnePrimitive) {
  Tree tree;
  Generate(TreeParameters(), {}, {}, tree);
  ScratchDir dir;
  ExportGLB(SingleMeshScene(tree), dir.File("tree.glb"));
  const tinygltf::Model model = test::LoadGltf(dir.File("tree.glb"));
  ASSERT_EQ(model.meshes.size(), 1u);
  ASSERT_EQ(model.meshes[0].primitives.size(), 1u);  // 53 branches, one draw call
  const tinygltf::Primitive& bark = model.meshes[0].primitives[0];
  EXPECT_EQ(bark.mode, TINYGLTF_MODE_TRIANGLES);
  ExpectPrimitiveMatches(model, bark, Expected(tree, kBarkMaterial), false);
  // Untextured bark of one colour: the colour in linear light, no COLOR_0.
  EXPECT_EQ(bark.attributes.count("COLOR_0"), 0u);
  const tinygltf::Material& material = model.materials.at(static_cast<std::size_t>(bark.material));
  EXPECT_EQ(material.name, "Material2");
  EXPECT_NEAR(material.pbrMetallicRoughness.baseColorFactor[0], 0.2140, 1e-4);
  EXPECT_NEAR(material.pbrMetallicRoughness.baseColorFactor[1], 0.0732, 1e-4);
  EXPECT_NEAR(material.pbrMetallicRoughness.baseColorFactor[2], 0.0100, 1e-4);
  EXPECT_EQ(material.pbrMetallicRoughness.metallicFactor, 0.0);
  EXPECT_GE(material.pbrMetallicRoughness.roughnessFactor, 0.8);
  EXPECT_FALSE(material.doubleSided);
  ASSERT_EQ(model.nodes.size(), 1u);
  EXPECT_EQ(model.nodes[0].name, "tree");
}

TEST(GltfExport, PositionMinimumAndMaximumBoundTheirAccessor) {
  Tree tree;
  test::GrowLeafyTree(tree, false);
  ScratchDir dir;
  ExportGLB(SingleMeshScene(tree), dir.File("tree.glb"));
  const tinygltf::Model model = test::LoadGltf(dir.File("tree.glb"));
  for (const tinygltf::Primitive& primitive : model.meshes.at(0).primitives) {
    const tinygltf::Accessor& accessor =
        model.accessors.at(static_cast<std::size_t>(primitive.attributes.at("POSITION")));
    const std::vector<float> positions =
        test::AccessorValues<float>(model, primitive.attributes.at("POSITION"));
    ASSERT_EQ(accessor.minValues.size(), 3u);
    ASSERT_EQ(accessor.maxValues.size(), 3u);
    for (int k = 0; k < 3; ++k) {
      float low = positions[static_cast<std::size_t>(k)], high = low;
      for (std::size_t i = static_cast<std::size_t>(k); i < positions.size(); i += 3) {
        low = std::min(low, positions[i]);
        high = std::max(high, positions[i]);
      }
      EXPECT_EQ(accessor.minValues[static_cast<std::size_t>(k)], low);
      EXPECT_EQ(accessor.maxValues[static_cast<std::size_t>(k)], high);
    }
  }
}

TEST(GltfExport, FacesTurnCounterClockwiseTowardsTheirNormals) {
  // One clockwise triangle seen from +z, normal +z: glTF wants it turning
  // counter-clockwise seen from where the normal points.
  MeshObject mesh;
  mesh.submeshes.push_back(test::MakeSubmesh({{0, 0, 0}, {0, 100, 0}, {100, 0, 0}}, {{0, 1, 2}}));
  for (Vertex& v : mesh.submeshes[0]->vertices) v.normal = {0, 0, 1};
  ScratchDir dir;
  ExportGLB(SingleMeshScene(mesh), dir.File("one.glb"));
  const tinygltf::Model model = test::LoadGltf(dir.File("one.glb"));
  const tinygltf::Primitive& primitive = model.meshes.at(0).primitives.at(0);
  EXPECT_EQ(test::IndexValues(model, primitive.indices), (std::vector<std::uint32_t>{0, 2, 1}));

  // On a whole tree the face normal of every branch triangle of some area
  // points the way of its vertex normals (out of the branch). Welding a
  // child's base onto its parent folds a few parent triangles without
  // touching their normals, so the check is made on a tree grown without.
  Tree tree;
  TreeParameters params;
  for (LevelParameters& level : params.levels) level.attachToParent = false;
  Generate(params, {}, {}, tree);
  ExportGLB(SingleMeshScene(tree), dir.File("tree.glb"));
  const tinygltf::Model treeModel = test::LoadGltf(dir.File("tree.glb"));
  const tinygltf::Primitive& bark = treeModel.meshes.at(0).primitives.at(0);
  const std::vector<float> p = test::AccessorValues<float>(treeModel, bark.attributes.at("POSITION"));
  const std::vector<float> n = test::AccessorValues<float>(treeModel, bark.attributes.at("NORMAL"));
  const std::vector<std::uint32_t> indices = test::IndexValues(treeModel, bark.indices);
  std::size_t outward = 0, inward = 0;
  for (std::size_t i = 0; i < indices.size(); i += 3) {
    const auto at = [&](const std::vector<float>& v, std::uint32_t k) {
      return Vector3{v[k * 3], v[k * 3 + 1], v[k * 3 + 2]};
    };
    const Vector3 a = at(p, indices[i]), b = at(p, indices[i + 1]), c = at(p, indices[i + 2]);
    const Vector3 face = Cross(b - a, c - a);
    if (LengthSquared(face) < 1e-12f) continue;  // the seam's slivers
    const Vector3 normal = at(n, indices[i]) + at(n, indices[i + 1]) + at(n, indices[i + 2]);
    (Dot(face, normal) > 0 ? outward : inward) += 1;
  }
  EXPECT_GT(outward, 5000u);
  EXPECT_EQ(inward, 0u);
}

// A submesh of `vertices` vertices in a zigzag strip of thin triangles,
// rows of 300 stacked, every vertex used.
std::shared_ptr<Submesh> Fan(std::uint32_t vertices) {
  auto submesh = std::make_shared<Submesh>();
  submesh->texture = kBarkMaterial;
  submesh->materialName = "Material2";
  for (std::uint32_t i = 0; i < vertices; ++i) {
    Vertex v({static_cast<float>(i / 2 % 300), static_cast<float>(i % 2 + 3 * (i / 600)), 0.0f});
    v.colour = {0.5f, 0.3f, 0.1f};
    submesh->vertices.push_back(v);
  }
  for (std::uint32_t i = 0; i + 2 < vertices; i += 1) submesh->triangles.push_back({i, i + 1, i + 2});
  return submesh;
}

TEST(GltfExport, TrianglesWithoutAreaAndRepeatedLeavesAreLeftOut) {
  // A branch whose tip ring meets in a point, and a leaf made twice in the
  // same place: an engine gets neither the flat triangles (nor the vertex
  // only they use) nor the second leaf.
  MeshObject mesh;
  auto branch = std::make_shared<Submesh>();
  branch->texture = kBarkMaterial;
  for (const Vector3& p :
       {Vector3{0, 0, 0}, Vector3{1, 0, 0}, Vector3{0, 1, 0}, Vector3{0, 1, 0}, Vector3{5, 5, 5}})
    branch->vertices.push_back(Vertex(p));
  branch->triangles = {{0, 1, 2, true}, {1, 2, 3, true}, {2, 3, 4, true}, {0, 1, 2, true}};
  mesh.submeshes.push_back(branch);
  for (int copy = 0; copy < 2; ++copy) {
    auto leaf = std::make_shared<Submesh>();
    leaf->texture = kLeafMaterial;
    for (const Vector3& p : {Vector3{0, 2, 0}, Vector3{1, 2, 0}, Vector3{0, 3, 0}})
      leaf->vertices.push_back(Vertex(p));
    leaf->triangles = {{0, 1, 2, true}};
    mesh.submeshes.push_back(leaf);
  }
  ScratchDir dir;
  ExportGLB(SingleMeshScene(mesh), dir.File("flat.glb"));
  const tinygltf::Model model = test::LoadGltf(dir.File("flat.glb"));
  ASSERT_EQ(model.meshes.at(0).primitives.size(), 2u);
  const auto count = [&model](std::size_t primitive, const char* what) {
    const tinygltf::Primitive& p = model.meshes[0].primitives.at(primitive);
    return model.accessors
        .at(static_cast<std::size_t>(what[0] == 'i' ? p.indices : p.attributes.at("POSITION")))
        .count;
  };
  EXPECT_EQ(count(0, "indices"), 6u) << "the branch's two triangles with an area (one of them twice)";
  EXPECT_EQ(count(0, "positions"), 3u);
  EXPECT_EQ(count(1, "indices"), 3u) << "one leaf";
  EXPECT_EQ(mesh.PolygonCount(), 6u) << "the mesh itself keeps what the generator made";
}

TEST(GltfExport, IndicesWidenToThirtyTwoBitsPastSixtyFiveThousandFiveHundredThirtyFiveVertices) {
  ScratchDir dir;
  for (const std::uint32_t vertices : {65535u, 65536u, 100000u}) {
    MeshObject mesh;
    mesh.submeshes.push_back(Fan(vertices));
    const std::string path = dir.File("fan" + std::to_string(vertices) + ".glb");
    ExportGLB(SingleMeshScene(mesh), path);
    const tinygltf::Model model = test::LoadGltf(path);
    const tinygltf::Primitive& primitive = model.meshes.at(0).primitives.at(0);
    const tinygltf::Accessor& indices = model.accessors.at(static_cast<std::size_t>(primitive.indices));
    EXPECT_EQ(indices.componentType, vertices <= 65535 ? TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT
                                                       : TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT)
        << vertices;
    const std::vector<std::uint32_t> values = test::IndexValues(model, primitive.indices);
    ASSERT_EQ(values.size(), (vertices - 2) * 3u);
    // Never wrapped: the last triangle still reaches the last vertex.
    EXPECT_EQ(*std::max_element(values.begin(), values.end()), vertices - 1);
  }
}

TEST(GltfExport, LargePrimitivesComeOutTheSameWhenFilledInParallel) {
  // Enough triangles for the writer to fill the primitive on two threads.
  MeshObject mesh;
  for (int i = 0; i < 5; ++i) {
    mesh.submeshes.push_back(Fan(60000 + static_cast<std::uint32_t>(i)));
    for (Vertex& v : mesh.submeshes.back()->vertices) v.position.z = static_cast<float>(i * 10);
  }
  ScratchDir dir;
  ExportGLB(SingleMeshScene(mesh), dir.File("large.glb"));
  const tinygltf::Model model = test::LoadGltf(dir.File("large.glb"));
  ExpectPrimitiveMatches(model, model.meshes.at(0).primitives.at(0), Expected(mesh, kBarkMaterial), false);
  const tinygltf::Accessor& positions =
      model.accessors.at(static_cast<std::size_t>(model.meshes[0].primitives[0].attributes.at("POSITION")));
  EXPECT_EQ(positions.maxValues.at(2), 0.4f);  // the last fan's depth, filled by the second thread
  EXPECT_EQ(positions.minValues.at(2), 0.0f);
}

// Branch-like fans and small leaf submeshes of a second material taking
// turns, enough of them to fill on two threads: the shares of the filling
// then complete parts of both primitives, and the file (about 30 MB) goes
// out in pieces as they complete.
MeshObject FansAndLeavesTakingTurns() {
  MeshObject mesh;
  for (int i = 0; i < 64; ++i) {
    mesh.submeshes.push_back(Fan(10000 + static_cast<std::uint32_t>(i)));
    for (Vertex& v : mesh.submeshes.back()->vertices) v.position.z = static_cast<float>(i);
    for (int leaf = 0; leaf < 200; ++leaf) {
      auto submesh = Fan(5 + static_cast<std::uint32_t>(leaf % 3));
      submesh->texture = kLeafMaterial;
      submesh->materialName = "Material1";
      for (Vertex& v : submesh->vertices) {
        v.colour = {0.1f * static_cast<float>(leaf % 7), 0.5f, 0.2f};
        v.position.z =
            static_cast<float>(i) + 0.001f * static_cast<float>(leaf);  // each leaf in its own place
      }
      mesh.submeshes.push_back(submesh);
    }
  }
  return mesh;
}

TEST(GltfExport, FileWrittenWhileItIsFilledIsTheFileFilledFirst) {
  const MeshObject mesh = FansAndLeavesTakingTurns();
  ScratchDir dir;
  const std::string path = dir.File("turns.glb");
  ExportGLB(SingleMeshScene(mesh), path);
  GlbFile filledFirst(SingleMeshScene(mesh), path);
  filledFirst.Fill();
  {
    AtomicFile file(dir.File("filled_first.glb"));
    filledFirst.WriteTo(file);
    file.Commit();
  }
  EXPECT_TRUE(test::ReadWholeFile(path) == test::ReadWholeFile(dir.File("filled_first.glb")));

  const tinygltf::Model model = test::LoadGltf(path);
  ExpectPrimitiveMatches(model, PrimitiveNamed(model, "Material2"), Expected(mesh, kBarkMaterial), false);
  ExpectPrimitiveMatches(model, PrimitiveNamed(model, "Material1"), Expected(mesh, kLeafMaterial), false);
}

TEST(GltfExport, DiskFullWhileTheFileIsFilledKeepsTheOldFile) {
  // The writing stops part-way while the helpers are still filling: the
  // failure is passed on, the helpers stop, nothing is left behind.
  const MeshObject mesh = FansAndLeavesTakingTurns();
  test::KeptFiles kept;
  const std::string path = kept.Put("turns.glb", "old");
  test::ExpectFailedWriteNaming(path, 6 * 1024 * 1024, [&] { ExportGLB(SingleMeshScene(mesh), path); });
  kept.ExpectUntouched();
}

TEST(GltfExport, TexturedLeafyTreeHasTwoMaterialsWithTheirPictures) {
  const test::TexturedLeafyTree textured(test::GradientPicture(64, 32), test::GradientPicture(16, 16));
  const Tree& tree = textured.tree;
  ScratchDir dir;
  ExportGLB(SingleMeshScene(tree, textured.Pictures()), dir.File("tree.glb"));
  const tinygltf::Model model = test::LoadGltf(dir.File("tree.glb"));
  ASSERT_EQ(model.meshes.at(0).primitives.size(), 2u);
  ExpectPrimitiveMatches(model, PrimitiveNamed(model, "Material2"), Expected(tree, kBarkMaterial), true);
  ExpectPrimitiveMatches(model, PrimitiveNamed(model, "Material1"), Expected(tree, kLeafMaterial), true);

  const auto material = [&](const std::string& name) -> const tinygltf::Material& {
    return model.materials.at(static_cast<std::size_t>(PrimitiveNamed(model, name).material));
  };
  EXPECT_TRUE(material("Material1").doubleSided);
  EXPECT_FALSE(material("Material2").doubleSided);
  EXPECT_EQ(material("Material1").alphaMode, "OPAQUE");  // an opaque picture cuts nothing out
  ASSERT_EQ(model.images.size(), 2u);
  for (const tinygltf::Material* m : {&material("Material1"), &material("Material2")}) {
    const int texture = m->pbrMetallicRoughness.baseColorTexture.index;
    ASSERT_GE(texture, 0);
    const tinygltf::Image& image = model.images.at(
        static_cast<std::size_t>(model.textures.at(static_cast<std::size_t>(texture)).source));
    EXPECT_EQ(image.mimeType, "image/jpeg");  // opaque pictures: JPEG
    EXPECT_EQ(image.name.substr(image.name.size() - 4), ".jpg") << "named after what the file holds";
    EXPECT_EQ(image.width, m == &material("Material2") ? 64 : 16);
    EXPECT_EQ(m->pbrMetallicRoughness.baseColorFactor, (std::vector<double>{1, 1, 1, 1}));
  }

  // glTF's texture coordinates start at the picture's top-left corner, as
  // the program's do: every leaf corner reads, in the written picture, the
  // row the program's view shows there (the gradient's green tells rows
  // apart; JPEG keeps it within a few steps).
  const tinygltf::Primitive& leaves = PrimitiveNamed(model, "Material1");
  const tinygltf::Image& leafImage = model.images.at(static_cast<std::size_t>(
      model.textures
          .at(static_cast<std::size_t>(material("Material1").pbrMetallicRoughness.baseColorTexture.index))
          .source));
  const std::vector<float> uv = test::AccessorValues<float>(model, leaves.attributes.at("TEXCOORD_0"));
  ASSERT_FALSE(uv.empty());
  for (std::size_t i = 0; i + 1 < uv.size(); i += 2) {
    const int x = std::clamp(static_cast<int>(uv[i] * 15.0f + 0.5f), 0, 15);
    const int y = std::clamp(static_cast<int>(uv[i + 1] * 15.0f + 0.5f), 0, 15);
    const int written = leafImage.image[static_cast<std::size_t>((y * 16 + x) * leafImage.component + 1)];
    EXPECT_NEAR(written, textured.leaf.At(x, y)[1], 24) << "corner " << i / 2;
  }
}

TEST(GltfExport, LeafPictureWithTransparencyIsMaskedPng) {
  const test::TexturedLeafyTree textured(test::GradientPicture(8, 8), test::GradientPicture(16, 16, true));
  const Tree& tree = textured.tree;
  ScratchDir dir;
  ExportGLB(SingleMeshScene(tree, textured.Pictures()), dir.File("tree.glb"));
  const tinygltf::Model model = test::LoadGltf(dir.File("tree.glb"));
  const tinygltf::Material& material =
      model.materials.at(static_cast<std::size_t>(PrimitiveNamed(model, "Material1").material));
  EXPECT_EQ(material.alphaMode, "MASK");
  EXPECT_EQ(material.alphaCutoff, 0.5);
  const tinygltf::Image& image = model.images.at(static_cast<std::size_t>(
      model.textures.at(static_cast<std::size_t>(material.pbrMetallicRoughness.baseColorTexture.index))
          .source));
  EXPECT_EQ(image.mimeType, "image/png");
  ASSERT_EQ(image.component, 4);
  EXPECT_EQ(image.image[3], 0);                         // left half transparent
  EXPECT_EQ(image.image[(15 * 16 + 15) * 4 + 3], 255);  // right half opaque
}

TEST(GltfExport, UntexturedLeavesCarryTheirColoursInLinearLight) {
  Tree tree;
  test::GrowLeafyTree(tree, false);
  ScratchDir dir;
  ExportGLB(SingleMeshScene(tree), dir.File("tree.glb"));
  const tinygltf::Model model = test::LoadGltf(dir.File("tree.glb"));
  const tinygltf::Primitive& leaves = PrimitiveNamed(model, "Material1");
  ASSERT_EQ(leaves.attributes.count("COLOR_0"), 1u);
  const std::vector<float> colours = test::AccessorValues<float>(model, leaves.attributes.at("COLOR_0"));
  std::vector<float> expected;
  std::set<std::vector<float>> leavesSeen;
  for (const auto& submesh : tree.submeshes) {
    if (submesh->texture != kLeafMaterial) continue;
    std::vector<float> key;  // a leaf made twice in one place is written once
    for (const Vertex& v : submesh->vertices)
      key.insert(key.end(), {v.position.x, v.position.y, v.position.z});
    if (!leavesSeen.insert(key).second) continue;
    std::vector<bool> used(submesh->vertices.size());
    for (const Triangle& t : submesh->triangles) used[t.a] = used[t.b] = used[t.c] = true;
    for (std::size_t i = 0; i < used.size(); ++i)
      if (used[i])
        for (float c :
             {submesh->vertices[i].colour.x, submesh->vertices[i].colour.y, submesh->vertices[i].colour.z})
          expected.push_back(
              static_cast<float>(c <= 0.04045f ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4)));
  }
  ExpectClose(colours, expected, 1e-6f, "leaf colours");
}

TEST(GltfExport, ScaleMultipliesEveryCoordinate) {
  Tree tree;
  Generate(TreeParameters(), {}, {}, tree);
  ScratchDir dir;
  ExportGLB(SingleMeshScene(tree, {}, 2.5), dir.File("scaled.glb"));
  const tinygltf::Model model = test::LoadGltf(dir.File("scaled.glb"));
  ExpectPrimitiveMatches(model, model.meshes.at(0).primitives.at(0), Expected(tree, kBarkMaterial, 2.5),
                         false);
}

TEST(GltfExport, TextFormatWritesBinaryAndPicturesBesideItUnderEscapedNames) {
  const test::TexturedLeafyTree textured(test::GradientPicture(8, 8), test::GradientPicture(8, 8, true));
  const Tree& tree = textured.tree;
  ScratchDir dir;
  ExportGLTF(SingleMeshScene(tree, textured.Pictures()), dir.File("my tree.gltf"));
  std::vector<std::string> files = dir.Entries();
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"my tree.bin", "my tree.gltf", "my tree_Material1.png",
                                             "my tree_Material2.jpg"}));
  const std::string json = test::ReadWholeFile(dir.File("my tree.gltf"));
  EXPECT_NE(json.find("\"uri\": \"my%20tree.bin\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"uri\": \"my%20tree_Material1.png\""), std::string::npos);
  const tinygltf::Model model = test::LoadGltf(dir.File("my tree.gltf"));
  ExpectPrimitiveMatches(model, PrimitiveNamed(model, "Material1"), Expected(tree, kLeafMaterial), true);
  ASSERT_EQ(model.images.size(), 2u);
  EXPECT_EQ(model.images[0].width, 8);
}

TEST(GltfExport, ChainOfLevelsNamesItsNodesAndSharesPictures) {
  Tree tree;
  test::GrowLeafyTree(tree, true);
  MeshObject lower;  // the branches alone
  for (const auto& submesh : tree.submeshes)
    if (submesh->texture == kBarkMaterial) lower.submeshes.push_back(submesh);
  const Image bark = test::GradientPicture(8, 8);
  const Image leaf = test::GradientPicture(8, 8);
  ExportScene scene;
  scene.levels = {{&tree, {&leaf, &bark}, 0.5}, {&lower, {&leaf, &bark}, 0.1}};
  scene.name = "Oak";
  ScratchDir dir;
  ExportGLB(scene, dir.File("chain.glb"));
  const tinygltf::Model model = test::LoadGltf(dir.File("chain.glb"));
  ASSERT_EQ(model.nodes.size(), 2u);
  EXPECT_EQ(model.nodes[0].name, "Oak_LOD0");
  EXPECT_EQ(model.nodes[1].name, "Oak_LOD1");
  // A reader that follows the scene without MSFT_lod finds one tree: the
  // scene's nodes, walked down, reach the finest level alone.
  ASSERT_EQ(model.scenes.size(), 1u);
  std::vector<int> reached, open = model.scenes[0].nodes;
  while (!open.empty()) {
    const int node = open.back();
    open.pop_back();
    reached.push_back(node);
    for (int child : model.nodes.at(static_cast<std::size_t>(node)).children) open.push_back(child);
  }
  EXPECT_EQ(reached, (std::vector<int>{0}));
  const tinygltf::Value& lod = model.nodes[0].extensions.at("MSFT_lod");
  ASSERT_TRUE(lod.Get("ids").IsArray());
  EXPECT_EQ(lod.Get("ids").Get(0).GetNumberAsInt(), 1);
  const tinygltf::Value& coverage = model.nodes[0].extras.Get("MSFT_screencoverage");
  ASSERT_EQ(coverage.ArrayLen(), 2u);
  EXPECT_DOUBLE_EQ(coverage.Get(0).GetNumberAsDouble(), 0.5);
  EXPECT_DOUBLE_EQ(coverage.Get(1).GetNumberAsDouble(), 0.1);
  EXPECT_EQ(model.extensionsUsed, (std::vector<std::string>{"MSFT_lod"}));
  // The bark material and its picture serve both levels.
  EXPECT_EQ(model.images.size(), 2u);
  EXPECT_EQ(model.materials.size(), 2u);
  // Both levels share the origin of the finest one.
  const std::vector<float> low =
      test::AccessorValues<float>(model, model.meshes[1].primitives[0].attributes.at("POSITION"));
  ExpectClose(low, Expected(tree, kBarkMaterial).positions, 1e-6f, "the lower level's positions");

  // Grouped, for tools that gather levels by their names: every level
  // under one root node in the scene.
  scene.allLevelsInScene = true;
  ExportGLB(scene, dir.File("grouped.glb"));
  const tinygltf::Model grouped = test::LoadGltf(dir.File("grouped.glb"));
  ASSERT_EQ(grouped.nodes.size(), 3u);
  EXPECT_EQ(grouped.nodes[2].name, "Oak");
  EXPECT_EQ(grouped.nodes[2].children, (std::vector<int>{0, 1}));
  EXPECT_EQ(grouped.scenes.at(0).nodes, (std::vector<int>{2}));
}

TEST(GltfExport, FailuresSayWhyAndWriteNothing) {
  ScratchDir dir;
  test::WriteWholeFile(dir.File("kept.glb"), "previous");
  Tree textured;
  test::GrowLeafyTree(textured, true);
  MeshObject empty;
  empty.submeshes.push_back(std::make_shared<Submesh>());
  MeshObject badIndex;
  badIndex.submeshes.push_back(Fan(10));
  badIndex.submeshes.back()->triangles.push_back({0, 1, 10});
  const Image bark = test::GradientPicture(8, 8);
  MaterialPictures barkOnly;
  barkOnly.bark = &bark;
  const struct {
    const MeshObject* mesh;
    MaterialPictures pictures;
    std::string path;
    const char* message;
  } cases[] = {
      {&textured, barkOnly, dir.File("kept.glb"), "leaf material is textured but its picture is missing"},
      {&textured, barkOnly, dir.File("kept.gltf"), "picture is missing"},
      {&empty, {}, dir.File("kept.glb"), "has no triangles"},
      {&badIndex, {}, dir.File("kept.glb"), "has a triangle referring to a missing vertex"},
      {&badIndex, {}, dir.File("kept.gltf"), "missing vertex"},
      {&textured, {}, dir.File("kept.glb"), "picture is missing"},
  };
  for (const auto& c : cases) {
    try {
      (c.path.ends_with(".glb") ? ExportGLB : ExportGLTF)(SingleMeshScene(*c.mesh, c.pictures), c.path);
      ADD_FAILURE() << "no error for " << c.message;
    } catch (const std::runtime_error& error) {
      EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
      EXPECT_NE(std::string(error.what()).find(c.path), std::string::npos) << error.what();
    }
  }
  Tree tree;
  Generate(TreeParameters(), {}, {}, tree);
  EXPECT_THROW(ExportGLB(SingleMeshScene(tree), dir.File("missing/tree.glb")), FileError);
  EXPECT_THROW(ExportGLTF(SingleMeshScene(tree), dir.File("missing/tree.gltf")), FileError);
  // A picture that cannot be encoded.
  Image broken(4, 4, 3);
  broken.pixels.resize(5);
  MaterialPictures brokenPictures;
  brokenPictures.bark = &broken;
  brokenPictures.leaf = &broken;
  EXPECT_THROW(ExportGLB(SingleMeshScene(textured, brokenPictures), dir.File("kept.glb")), PictureError);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"kept.glb"});
  EXPECT_EQ(test::ReadWholeFile(dir.File("kept.glb")), "previous");
}

TEST(GltfExport, SrgbToLinearFollowsTheStandardCurve) {
  for (float c : {0.0f, 0.02f, 0.04045f, 0.1f, 0.3f, 0.5f, 0.5254902f, 0.99f, 1.0f}) {
    const double exact = c <= 0.04045f ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    EXPECT_NEAR(LinearFromSrgb(c), exact, 1e-7) << c;
  }
}

}  // namespace
}  // namespace vh
