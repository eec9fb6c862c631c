#include "fileio/obj_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "foundations/file_error.h"
#include "test_support.h"

namespace vh {
namespace {

using test::MakeSubmesh;

std::vector<std::string> Export(const MeshObject& mesh, test::ScratchDir& dir,
                                std::vector<std::string>* material = nullptr) {
  const std::string path = dir.File("tree.obj");
  ExportOBJ(mesh, path);
  if (material) *material = test::SplitLines(test::ReadWholeFile(path + ".mtl"));
  return test::SplitLines(test::ReadWholeFile(path));
}

std::size_t Find(const std::vector<std::string>& lines, const std::string& line) {
  return static_cast<std::size_t>(std::find(lines.begin(), lines.end(), line) - lines.begin());
}

TEST(ObjExport, WritesTheWholeFileAsSpecifiedForOneTriangle) {
  test::ScratchDir dir;
  MeshObject mesh;
  auto leaf = MakeSubmesh({{10, 20, 30}, {11, 20, 30}, {10, 22.5f, 29}}, {{0, 1, 2}}, kLeafMaterial,
                          {0.25f, 0.5f, 0.125f});
  leaf->displayList = 7;
  leaf->vertices[1].texCoord = {0.5f, 0.25f};
  mesh.submeshes.push_back(leaf);
  std::vector<std::string> material;
  const std::vector<std::string> lines = Export(mesh, dir, &material);
  const std::vector<std::string> expected = {"# OBJ created from Verdanthollow v2.0",
                                             "mtllib tree.obj.mtl",
                                             "g object7",
                                             "usemtl Material1",
                                             "v 0.000000 0.000000 0.000000",
                                             "v 0.010000 0.000000 0.000000",
                                             "v 0.000000 0.025000 -0.010000",
                                             "vt 0.000000 1.000000",
                                             "vt 0.500000 0.750000",
                                             "vt 0.000000 1.000000",
                                             "vn 0 0 0",
                                             "vn 0 0 0",
                                             "vn 0 0 0",
                                             "f 1/1 3/3 2/2"};
  EXPECT_EQ(lines, expected);
  const std::vector<std::string> expectedMaterial = {
      "newmtl Material1",  "illum 4",           "Kd 0.250000 0.500000 0.125000",
      "Ka 0.00 0.00 0.00", "Tf 1.00 1.00 1.00", "Ni 1.00",
      "Ks 0.0 0.0 0.0",    "Ns 18.00"};
  EXPECT_EQ(material, expectedMaterial);
}

TEST(ObjExport, FaceIndicesContinueAcrossSubmeshes) {
  test::ScratchDir dir;
  MeshObject mesh;
  mesh.submeshes.push_back(test::MakeStrip(4));               // 10 vertices
  mesh.submeshes.push_back(test::MakeStrip(3, {100, 0, 0}));  // 8 vertices
  const std::vector<std::string> lines = Export(mesh, dir);
  const std::size_t second = Find(lines, "g object" + std::to_string(mesh.submeshes[1]->displayList));
  ASSERT_LT(second, lines.size());
  // Group, usemtl, 8 v, 8 vt, 8 vn, then the first face (0, 1, 2).
  EXPECT_EQ(lines[second + 2 + 3 * 8], "f 11/11 13/13 12/12");
  // The second submesh keeps the first one's origin: its first vertex is
  // 100 units (1.0 after scaling) away.
  EXPECT_EQ(lines[second + 2], "v 1.000000 0.000000 0.000000");
}

TEST(ObjExport, OneMaterialPerTextureNumberFromItsFirstSubmesh) {
  test::ScratchDir dir;
  MeshObject mesh;
  auto bark = MakeSubmesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}, kBarkMaterial, {1, 1, 1}, true);
  bark->textureFile = "C:\\Bark\\Oak.jpg";
  auto leafA = MakeSubmesh({{0, 0, 0}}, {}, kLeafMaterial, {0.1f, 0.2f, 0.3f});
  auto leafB = MakeSubmesh({{0, 0, 0}}, {}, kLeafMaterial, {0.9f, 0.9f, 0.9f});
  leafB->materialName = "Other1";
  mesh.submeshes = {bark, leafA, leafB};
  std::vector<std::string> material;
  Export(mesh, dir, &material);
  EXPECT_EQ(std::count_if(material.begin(), material.end(),
                          [](const std::string& l) { return l.rfind("newmtl", 0) == 0; }),
            2);
  EXPECT_LT(Find(material, "map_Kd Oak.jpg"), material.size());
  EXPECT_LT(Find(material, "newmtl Material1"), material.size());
  EXPECT_LT(Find(material, "Kd 0.100000 0.200000 0.300000"), material.size());
  EXPECT_EQ(Find(material, "newmtl Other1"), material.size());
  EXPECT_EQ(std::count(material.begin(), material.end(), std::string("map_Kd Oak.jpg")), 1);
}

// The picture lies beside the exported files under a name in mixed case;
// the material file must name exactly that file.
TEST(ObjExport, TextureNameIsTheNameOfTheFileOnDisk) {
  test::ScratchDir dir;
  test::WriteWholeFile(dir.File("BarkOfOak.Jpg"), "picture");
  MeshObject mesh;
  auto bark = MakeSubmesh({{0, 0, 0}}, {}, kBarkMaterial, {1, 1, 1}, true);
  bark->textureFile = dir.File("BarkOfOak.Jpg");
  mesh.submeshes = {bark};
  std::vector<std::string> material;
  Export(mesh, dir, &material);
  const auto map = std::find_if(material.begin(), material.end(),
                                [](const std::string& l) { return l.rfind("map_Kd ", 0) == 0; });
  ASSERT_NE(map, material.end());
  const std::string named = map->substr(7);
  EXPECT_EQ(named, "BarkOfOak.Jpg");
  EXPECT_TRUE(std::filesystem::exists(dir.File(named))) << named;
}

TEST(ObjExport, EmptyFirstSubmeshExportsFromTheOrigin) {
  test::ScratchDir dir;
  MeshObject mesh;
  auto empty = MakeSubmesh({}, {}, kBarkMaterial);
  auto later = MakeSubmesh({{100, 200, 300}}, {}, kBarkMaterial, {0.5f, 0.25f, 1});
  auto lonely = MakeSubmesh({}, {}, kLeafMaterial);
  mesh.submeshes = {empty, later, lonely};
  std::vector<std::string> material;
  const std::vector<std::string> lines = Export(mesh, dir, &material);
  EXPECT_LT(Find(lines, "v 1.000000 2.000000 3.000000"), lines.size());
  // Bark takes its colour from the first bark vertex; the leaf material
  // has no vertex at all and is white, untextured.
  EXPECT_LT(Find(material, "Kd 0.500000 0.250000 1.000000"), material.size());
  EXPECT_LT(Find(material, "Kd 1.000000 1.000000 1.000000"), material.size());
  EXPECT_EQ(std::count_if(material.begin(), material.end(),
                          [](const std::string& l) { return l.rfind("map_Kd", 0) == 0; }),
            0);
}

TEST(ObjExport, MaterialFileThatCannotBeCreatedLeavesTheObjUntouched) {
  test::ScratchDir dir;
  const std::string path = dir.File("tree.obj");
  test::WriteWholeFile(path, "old obj");
  // A directory where the material file should go: it cannot be replaced.
  std::filesystem::create_directory(path + ".mtl");
  MeshObject mesh;
  mesh.submeshes.push_back(test::MakeStrip(2));
  EXPECT_THROW(ExportOBJ(mesh, path), FileError);
  EXPECT_EQ(test::ReadWholeFile(path), "old obj");
  EXPECT_EQ(dir.Entries().size(), 2u);
}

}  // namespace
}  // namespace vh
