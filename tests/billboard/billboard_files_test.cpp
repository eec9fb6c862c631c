// Writing billboard clouds out: the names of the three files, the material
// of the billboards, and the files read back by Assimp and our BMP reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "billboard/billboard_cloud.h"
#include "billboard/billboard_files.h"
#include "common/gltf_tools.h"
#include "common/scratch_dir.h"
#include "fileio/export_common.h"
#include "fileio/gltf_export.h"
#include "fileio/tds_reader.h"
#include "foundations/file_error.h"
#include "imaging/bmp.h"
#include "test_meshes.h"

namespace vh {
namespace {

using test::ScratchDir;

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string RunCommand(const std::string& command, int& status) {
  std::string output;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) {
    status = -1;
    return output;
  }
  std::array<char, 4096> buffer;
  for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
    output.append(buffer.data(), n);
  status = ::pclose(pipe);
  return output;
}

long AssimpCount(const std::string& output, const std::string& label) {
  std::smatch match;
  if (!std::regex_search(output, match, std::regex(label + ":\\s+(\\d+)"))) return -1;
  return std::stol(match[1]);
}

struct NameCase {
  const char* chosen;
  ExportFormat format;
  const char* geometry;
  const char* texture;
  const char* transparency;
};

TEST(BillboardFiles, NamesFollowTheChosenFile) {
  const NameCase cases[] = {
      {"/out/tree", ExportFormat::kOBJ, "/out/tree.obj", "/out/treeTexture.bmp", "/out/treeTransparency.bmp"},
      {"/out/tree.obj", ExportFormat::kOBJ, "/out/tree.obj", "/out/treeTexture.bmp",
       "/out/treeTransparency.bmp"},
      {"/out/tree.OBJ", ExportFormat::kOBJ, "/out/tree.OBJ", "/out/treeTexture.bmp",
       "/out/treeTransparency.bmp"},
      {"/out/tree.obj", ExportFormat::k3DS, "/out/tree.obj.3ds", "/out/treeTexture.bmp",
       "/out/treeTransparency.bmp"},
      {"/out/tree.Dxf", ExportFormat::kDXF, "/out/tree.Dxf", "/out/treeTexture.bmp",
       "/out/treeTransparency.bmp"},
      {"/a.b/tree", ExportFormat::k3DS, "/a.b/tree.3ds", "/a.b/treeTexture.bmp", "/a.b/treeTransparency.bmp"},
      {"tree.v2.3ds", ExportFormat::k3DS, "tree.v2.3ds", "tree.v2Texture.bmp", "tree.v2Transparency.bmp"},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.chosen);
    const BillboardFileNames names = BillboardExportNames(c.chosen, c.format);
    EXPECT_EQ(names.geometry, c.geometry);
    EXPECT_EQ(names.texture, c.texture);
    EXPECT_EQ(names.transparency, c.transparency);
  }
}

// A mode-0 cloud of the hand-built leafy mesh, with distinct pictures so that
// the two images can be told apart when read back.
struct TestCloud {
  std::unique_ptr<MeshObject> tree = test::MakeLeafyMesh({});
  BillboardCloud cloud;
  std::size_t billboards = 0;
  TestCloud() {
    for (const auto& submesh : tree->submeshes)
      submesh->materialName = "Material" + std::to_string(submesh->texture);
    BillboardSettings settings;
    settings.precision = 5;
    settings.textureResolution = 5;
    BillboardPicker picker;
    cloud = CreateBillboardCloud(*tree, settings, picker, {}, {});
    for (const auto& submesh : cloud.mesh->submeshes)
      billboards += submesh->texture == kBillboardMaterial ? 1 : 0;
    cloud.colourTexture.At(3, 4)[0] = 200;  // one pixel that is not the key colour
  }
};

TEST(BillboardFiles, ObjExportNamesTheBillboardMaterialAndItsTexture) {
  ScratchDir dir;
  TestCloud test;
  ASSERT_GT(test.billboards, 0u);
  const BillboardFileNames names = BillboardExportNames(dir.File("tree"), ExportFormat::kOBJ);
  ExportBillboardCloud(*test.cloud.mesh, test.cloud.colourTexture, test.cloud.transparency, names,
                       ExportFormat::kOBJ, ExportOrigin(*test.tree));

  for (const auto& submesh : test.cloud.mesh->submeshes) {
    if (submesh->texture != kBillboardMaterial) continue;
    EXPECT_EQ(submesh->materialName, "BBdMat");
    EXPECT_EQ(submesh->textureFile, std::string_view(dir.File("treeTexture.bmp")));
  }
  const std::string mtl = ReadText(dir.File("tree.obj.mtl"));
  EXPECT_NE(mtl.find("newmtl BBdMat\n"), std::string::npos) << mtl;
  // The texture is named as it was written, letter case kept.
  EXPECT_NE(mtl.find("map_Kd treeTexture.bmp\n"), std::string::npos) << mtl;
  EXPECT_NE(mtl.find("newmtl Material2\n"), std::string::npos) << "mode 0 keeps the bark material\n" << mtl;

  int status = 0;
  const std::string info = RunCommand("assimp info '" + names.geometry + "'", status);
  ASSERT_EQ(status, 0) << info;
  EXPECT_EQ(AssimpCount(info, "Materials"), 2) << info;
  EXPECT_NE(info.find("'BBdMat'"), std::string::npos) << info;
  EXPECT_EQ(AssimpCount(info, "Faces"), static_cast<long>(test.cloud.mesh->PolygonCount())) << info;

  const Image colour = ReadBMP(dir.File("treeTexture.bmp"));
  const Image transparency = ReadBMP(dir.File("treeTransparency.bmp"));
  EXPECT_EQ(colour.channels, 3);
  EXPECT_EQ(colour.pixels, test.cloud.colourTexture.pixels);
  EXPECT_EQ(transparency.pixels, test.cloud.transparency.pixels);
  EXPECT_EQ(dir.Entries().size(), 4u) << "tree.obj, tree.obj.mtl and the two pictures, no temporary files";
}

TEST(BillboardFiles, ThreeDsExportKeepsTheBillboardMaterial) {
  ScratchDir dir;
  TestCloud test;
  const BillboardFileNames names = BillboardExportNames(dir.File("cloud.3DS"), ExportFormat::k3DS);
  ExportBillboardCloud(*test.cloud.mesh, test.cloud.colourTexture, test.cloud.transparency, names,
                       ExportFormat::k3DS, ExportOrigin(*test.tree));
  EXPECT_EQ(names.geometry, dir.File("cloud.3DS"));
  int status = 0;
  const std::string info = RunCommand("assimp info '" + names.geometry + "'", status);
  ASSERT_EQ(status, 0) << info;
  EXPECT_NE(info.find("'BBdMat'"), std::string::npos) << info;
  EXPECT_TRUE(std::filesystem::exists(dir.File("cloudTexture.bmp")));
  EXPECT_TRUE(std::filesystem::exists(dir.File("cloudTransparency.bmp")));

  // The billboard material's map is the colour texture beside the file.
  const test::TdsFile file = test::TdsReader(ReadText(names.geometry)).Read();
  const auto material = std::find_if(file.materials.begin(), file.materials.end(),
                                     [](const test::TdsMaterial& m) { return m.name == "BBdMat"; });
  ASSERT_NE(material, file.materials.end());
  EXPECT_EQ(material->map, "cloudTexture.bmp");
  EXPECT_TRUE(std::filesystem::exists(dir.File(material->map))) << material->map;
}

// The bounds of the POSITION accessors of the primitives whose material is
// named `material` (all primitives for an empty name).
std::pair<Vector3, Vector3> WrittenBounds(const tinygltf::Model& model, const std::string& material) {
  Vector3 low{1e30f, 1e30f, 1e30f}, high{-1e30f, -1e30f, -1e30f};
  for (const tinygltf::Mesh& mesh : model.meshes)
    for (const tinygltf::Primitive& primitive : mesh.primitives) {
      if (!material.empty() &&
          model.materials.at(static_cast<std::size_t>(primitive.material)).name != material)
        continue;
      const tinygltf::Accessor& positions =
          model.accessors.at(static_cast<std::size_t>(primitive.attributes.at("POSITION")));
      low = {std::min<float>(low.x, positions.minValues[0]), std::min<float>(low.y, positions.minValues[1]),
             std::min<float>(low.z, positions.minValues[2])};
      high = {std::max<float>(high.x, positions.maxValues[0]),
              std::max<float>(high.y, positions.maxValues[1]),
              std::max<float>(high.z, positions.maxValues[2])};
    }
  return {low, high};
}

TEST(BillboardFiles, GltfStandsTheCloudWhereItsTreeStands) {
  // The first billboard's first corner is far from the trunk's first
  // vertex, where the tree's own glTF puts the origin.
  ScratchDir dir;
  TestCloud test;
  ExportGLB(SingleMeshScene(*test.tree), dir.File("tree.glb"));
  const BillboardFileNames names = BillboardExportNames(dir.File("cloud.glb"), ExportFormat::kGLB);
  ExportBillboardCloud(*test.cloud.mesh, test.cloud.colourTexture, test.cloud.transparency, names,
                       ExportFormat::kGLB, EngineOrigin(*test.tree));
  const tinygltf::Model tree = test::LoadGltf(dir.File("tree.glb"));
  const tinygltf::Model cloud = test::LoadGltf(names.geometry);
  const auto [treeLow, treeHigh] = WrittenBounds(tree, "Material2");
  const auto [cloudLow, cloudHigh] = WrittenBounds(cloud, "Material2");
  EXPECT_EQ(cloudLow, treeLow) << "the branches a cloud keeps lie where the tree's do";
  EXPECT_EQ(cloudHigh, treeHigh);

  // Every billboard corner is written in the tree's frame.
  const Vector3 origin = EngineOrigin(*test.tree);
  std::vector<float> expected;
  for (const auto& submesh : test.cloud.mesh->submeshes)
    if (submesh->texture == kBillboardMaterial)
      for (const Vertex& v : submesh->vertices)
        for (float c : {v.position.x - origin.x, v.position.y - origin.y, v.position.z - origin.z})
          expected.push_back(static_cast<float>(c * 0.01));
  for (const tinygltf::Primitive& primitive : cloud.meshes.at(0).primitives) {
    if (cloud.materials.at(static_cast<std::size_t>(primitive.material)).name != kBillboardMaterialName)
      continue;
    const std::vector<float> written =
        test::AccessorValues<float>(cloud, primitive.attributes.at("POSITION"));
    ASSERT_EQ(written.size(), expected.size());
    for (std::size_t i = 0; i < written.size(); ++i) EXPECT_NEAR(written[i], expected[i], 1e-6f) << i;
  }
}

TEST(BillboardFiles, UnwritableDirectoryThrowsAndWritesNothing) {
  ScratchDir dir;
  TestCloud test;
  const BillboardFileNames names = BillboardExportNames(dir.File("missing/tree"), ExportFormat::kDXF);
  EXPECT_THROW(ExportBillboardCloud(*test.cloud.mesh, test.cloud.colourTexture, test.cloud.transparency,
                                    names, ExportFormat::kDXF, ExportOrigin(*test.tree)),
               FileError);
  EXPECT_EQ(dir.Entries().size(), 0u);
}

}  // namespace
}  // namespace vh
