#include "fileio/tds_export.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tds_reader.h"
#include "test_support.h"

namespace vh {
namespace {

using test::MakeSubmesh;

struct Exported {
  std::string bytes;
  test::TdsFile file;
};

Exported Export(const MeshObject& mesh, test::ScratchDir& dir) {
  const std::string path = dir.File("tree.3ds");
  Export3DS(mesh, path);
  Exported out;
  out.bytes = test::ReadWholeFile(path);
  out.file = test::TdsReader(out.bytes).Read();
  return out;
}

TEST(TdsExport, ReproducesThe345ByteExample) {
  test::ScratchDir dir;
  MeshObject mesh;
  auto quad = MakeSubmesh({{1, 1, 1}, {2, 3, 4}, {1, 2, 1}, {0, 0, 0}}, {{0, 1, 2}, {0, 2, 3}});
  quad->displayList = 1;
  mesh.submeshes.push_back(quad);  // material name "Material2": 9 characters
  const Exported out = Export(mesh, dir);
  EXPECT_EQ(out.bytes.size(), 345u);
  ASSERT_EQ(out.file.objects.size(), 1u);
  ASSERT_EQ(out.file.materials.size(), 1u);
  EXPECT_EQ(out.file.objects[0].chunkLength, 164u);
  EXPECT_EQ(out.file.materials[0].chunkLength, 159u);
  EXPECT_EQ(out.file.objects[0].name, "objt10001");
  // The second vertex is (1, 2, 3) from the origin and is stored x, z, y.
  const std::vector<float> second(out.file.objects[0].positions.begin() + 3,
                                  out.file.objects[0].positions.begin() + 6);
  EXPECT_EQ(second, (std::vector<float>{1, 3, 2}));
  EXPECT_EQ(out.file.objects[0].faces, (std::vector<std::uint16_t>{0, 1, 2, 6, 0, 2, 3, 6}));
  EXPECT_EQ(out.file.objects[0].faceMaterial, "Material2");
  EXPECT_EQ(out.file.objects[0].faceMaterialFaces, (std::vector<std::uint16_t>{0, 1}));
  EXPECT_TRUE(out.file.materials[0].map.empty());
}

TEST(TdsExport, MaterialsComeFromTheFirstSubmeshOfEachNumber) {
  test::ScratchDir dir;
  MeshObject mesh;
  auto bark = MakeSubmesh({{0, 0, 0}}, {}, kBarkMaterial, {1.0f, 0.5f, 0.0f}, true);
  bark->textureFile = "C:\\Bark\\Oak.jpg";
  bark->vertices[0].texCoord = {0.25f, 0.25f};
  auto bark2 = MakeSubmesh({{0, 0, 0}}, {}, kBarkMaterial, {0, 0, 1});
  auto leaf = MakeSubmesh({{0, 0, 0}}, {}, kLeafMaterial, {0.2f, 0.6f, 0.2f});
  mesh.submeshes = {bark, bark2, leaf};
  const Exported out = Export(mesh, dir);
  ASSERT_EQ(out.file.materials.size(), 2u);
  const test::TdsMaterial& first = out.file.materials[0];
  EXPECT_EQ(first.name, "Material2");
  EXPECT_EQ(first.map, "Oak.jpg");
  EXPECT_EQ(first.chunkLength, 9u + 7 + 181);
  const std::uint8_t expected[3] = {255, 127, 0};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(first.ambient[i], expected[i]);
    EXPECT_EQ(first.diffuse[i], expected[i]);
  }
  EXPECT_EQ(out.file.materials[1].name, "Material1");
  EXPECT_EQ(out.file.objects.size(), 3u);
  EXPECT_EQ(out.file.objects[0].mapping, (std::vector<float>{0.25f, 0.75f}));
}

// The map name is the picture's file name as it is on disk, in full (the
// name here is longer than eight characters and has a long extension).
TEST(TdsExport, MapNameIsTheNameOfTheFileOnDisk) {
  test::ScratchDir dir;
  test::WriteWholeFile(dir.File("BarkOfOakTree.Jpeg"), "picture");
  MeshObject mesh;
  auto bark = MakeSubmesh({{0, 0, 0}}, {}, kBarkMaterial, {1, 1, 1}, true);
  bark->textureFile = dir.File("BarkOfOakTree.Jpeg");
  mesh.submeshes = {bark};
  const Exported out = Export(mesh, dir);
  ASSERT_EQ(out.file.materials.size(), 1u);
  const std::string& named = out.file.materials[0].map;
  EXPECT_EQ(named, "BarkOfOakTree.Jpeg");
  EXPECT_TRUE(std::filesystem::exists(dir.File(named))) << named;
  EXPECT_EQ(out.file.materials[0].chunkLength, 9u + named.size() + 181);
}

TEST(TdsExport, LargeObjectNumbersKeepTheLengthsRight) {
  test::ScratchDir dir;
  MeshObject mesh;
  auto submesh = test::MakeStrip(2);
  submesh->displayList = 123456;  // name "objt133456"
  mesh.submeshes.push_back(submesh);
  const Exported out = Export(mesh, dir);
  EXPECT_EQ(out.file.objects[0].name, "objt133456");
}

TEST(TdsExport, SplitsSubmeshesBeyondSixteenBitCounts) {
  test::ScratchDir dir;
  MeshObject mesh;
  mesh.submeshes.push_back(test::MakeStrip(3));
  auto big = test::MakeStrip(50000);  // 100002 vertices, 100000 faces
  mesh.submeshes.push_back(big);
  const Exported out = Export(mesh, dir);
  ASSERT_EQ(out.file.objects.size(), 3u);
  const std::string name = "objt" + std::to_string(big->displayList + 10000);
  EXPECT_EQ(out.file.objects[1].name, name);
  EXPECT_EQ(out.file.objects[2].name, name + "_1");
  std::size_t vertices = 0, faces = 0;
  for (std::size_t i = 1; i < 3; ++i) {
    const test::TdsObject& object = out.file.objects[i];
    const std::size_t v = object.positions.size() / 3, f = object.faces.size() / 4;
    EXPECT_LE(v, 65535u);
    EXPECT_LE(f, 65535u);
    for (std::size_t k = 0; k < object.faces.size(); k += 4) {
      ASSERT_LT(object.faces[k], v);
      ASSERT_LT(object.faces[k + 1], v);
      ASSERT_LT(object.faces[k + 2], v);
    }
    vertices += v;
    faces += f;
  }
  EXPECT_EQ(faces, big->triangles.size());
  // Only the two vertices of the cut edge are repeated in the second part.
  EXPECT_EQ(vertices, big->vertices.size() + 2);
  // Every face still has its three corners, at the right places: compare the
  // last face of the split mesh with the source.
  const test::TdsObject& last = out.file.objects[2];
  const Triangle& source = big->triangles.back();
  const std::size_t k = last.faces.size() - 4;
  const Vector3 origin = mesh.submeshes[0]->vertices[0].position;
  for (int corner = 0; corner < 3; ++corner) {
    const std::uint32_t sourceIndex = corner == 0 ? source.a : corner == 1 ? source.b : source.c;
    const Vector3 expected = big->vertices[sourceIndex].position - origin;
    const std::size_t local = last.faces[k + static_cast<std::size_t>(corner)];
    EXPECT_EQ(last.positions[3 * local], expected.x);
    EXPECT_EQ(last.positions[3 * local + 1], expected.z);
    EXPECT_EQ(last.positions[3 * local + 2], expected.y);
  }
}

TEST(TdsExport, EmptyFirstSubmeshGivesAWhiteMaterialAndTheOrigin) {
  test::ScratchDir dir;
  MeshObject mesh;
  mesh.submeshes = {MakeSubmesh({}, {}, kLeafMaterial), MakeSubmesh({{4, 5, 6}}, {})};
  const Exported out = Export(mesh, dir);
  ASSERT_EQ(out.file.materials.size(), 2u);
  EXPECT_EQ(out.file.materials[0].diffuse[0], 255);
  EXPECT_TRUE(out.file.materials[0].map.empty());
  EXPECT_EQ(out.file.objects[1].positions, (std::vector<float>{4, 6, 5}));
}

}  // namespace
}  // namespace vh
