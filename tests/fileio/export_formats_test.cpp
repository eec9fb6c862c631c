// The table of export formats: dialog order and filter text, extensions,
// and writing through it.
#include <gtest/gtest.h>

#include "common/scratch_dir.h"
#include "fileio/export_formats.h"
#include "fileio/obj_export.h"
#include "test_support.h"
#include "tree/tree.h"

namespace vh {
namespace {

TEST(ExportFormats, DialogListsTheThreeOriginalFiltersThenGltf) {
  EXPECT_EQ(ExportFilterList(),
            "3DS File (*.3ds)|*.3ds|AutoCAD File (*.dxf)|*.dxf|WaveFront Object File (*.obj)|*.obj|"
            "glTF Binary (*.glb)|*.glb|glTF (*.gltf)|*.gltf");
  EXPECT_EQ(ExportFormatOfFilter(0), ExportFormat::k3DS);
  EXPECT_EQ(ExportFormatOfFilter(1), ExportFormat::kDXF);
  EXPECT_EQ(ExportFormatOfFilter(2), ExportFormat::kOBJ);
  EXPECT_EQ(ExportFormatOfFilter(3), ExportFormat::kGLB);
  EXPECT_EQ(ExportFormatOfFilter(4), ExportFormat::kGLTF);
  EXPECT_EQ(ExportFormatOfFilter(5), ExportFormat::k3DS);  // as a fresh dialog selects it
  EXPECT_EQ(ExportFormatOfFilter(-1), ExportFormat::k3DS);
  EXPECT_EQ(ExportExtensionsText(), ".3ds, .dxf, .obj, .glb or .gltf");
}

TEST(ExportFormats, FormatComesFromTheExtensionInAnyCase) {
  EXPECT_EQ(ExportFormatOfExtension("x/tree.OBJ"), ExportFormat::kOBJ);
  EXPECT_EQ(ExportFormatOfExtension("tree.3Ds"), ExportFormat::k3DS);
  EXPECT_EQ(ExportFormatOfExtension("tree.dxf"), ExportFormat::kDXF);
  EXPECT_EQ(ExportFormatOfExtension("tree.GLB"), ExportFormat::kGLB);
  EXPECT_EQ(ExportFormatOfExtension("a.b/tree.gltf"), ExportFormat::kGLTF);
  EXPECT_EQ(ExportFormatOfExtension("tree.obj.bmp"), std::nullopt);
  EXPECT_EQ(ExportFormatOfExtension("dir.obj/tree"), std::nullopt);
  EXPECT_EQ(ExportFormatOfExtension("tree"), std::nullopt);
}

TEST(ExportFormats, FileNameGetsTheFormatsExtensionUnlessItHasIt) {
  EXPECT_EQ(ExportFileName("tree", ExportFormat::kGLB), "tree.glb");
  EXPECT_EQ(ExportFileName("tree.GLTF", ExportFormat::kGLTF), "tree.GLTF");
  EXPECT_EQ(ExportFileName("tree.glb", ExportFormat::kGLTF), "tree.glb.gltf");
  EXPECT_EQ(ExportFileName("tree.obj", ExportFormat::k3DS), "tree.obj.3ds");
}

TEST(ExportFormats, WritesThroughTheTableAndRefusesWhatAFormatCannotCarry) {
  Tree tree;
  Generate(TreeParameters(), {}, {}, tree);
  test::ScratchDir dir;
  WriteExport(ExportFormat::kOBJ, SingleMeshScene(tree), dir.File("table.obj"));
  ExportOBJ(tree, dir.File("direct.obj"));
  // The same file but for the "mtllib" line, which names the file.
  const auto afterMaterialLine = [](const std::string& text) { return text.substr(text.find("\ng ")); };
  EXPECT_EQ(afterMaterialLine(test::ReadWholeFile(dir.File("table.obj"))),
            afterMaterialLine(test::ReadWholeFile(dir.File("direct.obj"))));
  ExportScene chain = SingleMeshScene(tree);
  chain.levels.push_back(chain.levels.front());
  EXPECT_THROW(WriteExport(ExportFormat::kDXF, chain, dir.File("chain.dxf")), std::invalid_argument);
  EXPECT_THROW(WriteExport(ExportFormat::k3DS, SingleMeshScene(tree, {}, 2.0), dir.File("big.3ds")),
               std::invalid_argument);
  ExportScene windy = SingleMeshScene(tree);
  windy.wind.enabled = true;
  EXPECT_THROW(WriteExport(ExportFormat::kOBJ, windy, dir.File("windy.obj")), std::invalid_argument);
  WriteExport(ExportFormat::kGLB, chain, dir.File("chain.glb"));
  EXPECT_TRUE(std::filesystem::exists(dir.File("chain.glb")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("chain.dxf")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("big.3ds")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("windy.obj")));
}

}  // namespace
}  // namespace vh
