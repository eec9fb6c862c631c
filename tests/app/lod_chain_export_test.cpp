// "Export LOD chain..." on the "Level of detail" page: a glTF chain of the
// tree with billboard pictures drawn in the view's context, and cancelling.
#include <QComboBox>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include <tiny_gltf.h>

#include <algorithm>
#include <filesystem>

#include "app_test_support.h"
#include "billboard/lod_chain.h"
#include "common/scratch_dir.h"
#include "fileio/export_common.h"
#include "scripted_dialogs.h"
#include "tree/tree.h"

namespace {

class LodChainExportTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    vh::TreeParameters& p = State().params;
    p.lastParentLevel = 1;
    p.leafOutline = {{0, -20}, {10, 0}, {0, 30}, {-10, 0}};
    p.leafTexCoords = {{0.5f, 0}, {1, 0.5f}, {0.5f, 1}, {0, 0.5f}};
    window->GenerateTree();
    ASSERT_TRUE(WaitForTree());
    scripted = std::make_unique<ScriptedDialogsScope>();
  }
  void TearDown() override {
    scripted.reset();
    MainWindowTest::TearDown();
  }
  void Press() { Find<QToolButton>("ExportLodChain")->click(); }

  vh::test::ScratchDir scratch;
  std::unique_ptr<ScriptedDialogsScope> scripted;
};

TEST_F(LodChainExportTest, WritesEveryLevelAsGltfAndLeavesTheTreeAsItWas) {
  const std::uint64_t polygons = Tree().PolygonCount();
  scripted->dialogs->answers.push_back(
      {false, FileChoice{QString::fromStdString(scratch.File("oak")), 0, 2.0}});
  Press();
  ASSERT_TRUE(recorder->messages.isEmpty()) << recorder->messages.join("\n").toStdString();
  const FileRequest& request = scripted->dialogs->requests.at(0);
  EXPECT_EQ(QtFilter(request.filter), "glTF Binary (*.glb);;glTF (*.gltf)");
  EXPECT_TRUE(request.askScale);
  EXPECT_EQ(request.title, "Export LOD chain");
  ASSERT_TRUE(std::filesystem::exists(scratch.File("oak.glb")));
  tinygltf::TinyGLTF loader;
  tinygltf::Model model;
  std::string error, warning;
  ASSERT_TRUE(loader.LoadBinaryFromFile(&model, &error, &warning, scratch.File("oak.glb"))) << error;
  ASSERT_EQ(model.meshes.size(), 4u);
  EXPECT_EQ(model.nodes.at(0).name, "oak_LOD0");
  EXPECT_EQ(model.scenes.at(0).nodes, std::vector<int>{0});
  EXPECT_TRUE(model.nodes.at(0).extensions.count("MSFT_lod"));
  // The cards' atlas holds the drawn tree, not only the key colour.
  ASSERT_GE(model.images.size(), 1u);
  const tinygltf::Image& atlas = model.images.back();
  std::size_t opaque = 0;
  for (std::size_t i = 3; i < atlas.image.size(); i += 4) opaque += atlas.image[i] == 255;
  EXPECT_GT(opaque, 0u);
  EXPECT_EQ(Tree().PolygonCount(), polygons);
  EXPECT_FALSE(window->Busy());
  EXPECT_EQ(LabelText("Label54"), "LOD chain exported to oak.glb") << "the status line says it is done";
}

// The page's shares and layout reach the files: one per level, the
// reduced ones within their shares; a second share above the first is
// refused before anything is asked or written.
TEST_F(LodChainExportTest, PageSharesAndLayoutShapeTheFiles) {
  Find<QSpinBox>("LodFirstShare")->setValue(10);
  Find<QSpinBox>("LodSecondShare")->setValue(20);
  Press();
  ASSERT_EQ(recorder->messages.size(), 1);
  EXPECT_TRUE(scripted->dialogs->requests.empty());

  Find<QSpinBox>("LodFirstShare")->setValue(30);
  Find<QSpinBox>("LodSecondShare")->setValue(10);
  Find<QComboBox>("LodLayout")->setCurrentIndex(static_cast<int>(vh::LodLayout::kFilePerLevel));
  scripted->dialogs->answers.push_back(
      {false, FileChoice{QString::fromStdString(scratch.File("oak")), 0, 1.0}});
  Press();
  ASSERT_EQ(recorder->messages.size(), 1) << recorder->messages.join("\n").toStdString();
  EXPECT_EQ(scratch.Entries().size(), 4u);
  std::vector<std::size_t> triangles;
  for (int i = 0; i < 4; ++i) {
    tinygltf::TinyGLTF loader;
    tinygltf::Model model;
    std::string error, warning;
    ASSERT_TRUE(loader.LoadBinaryFromFile(&model, &error, &warning,
                                          scratch.File("oak_LOD" + std::to_string(i) + ".glb")))
        << error;
    std::size_t count = 0;
    for (const tinygltf::Primitive& primitive : model.meshes.at(0).primitives)
      count += model.accessors.at(static_cast<std::size_t>(primitive.indices)).count / 3;
    triangles.push_back(count);
  }
  EXPECT_EQ(LabelText("Label54"),
            "LOD chain exported to oak_LOD0.glb, oak_LOD1.glb, oak_LOD2.glb, oak_LOD3.glb");
  EXPECT_LE(triangles[1], Tree().PolygonCount() * 30 / 100);
  EXPECT_LE(triangles[2], Tree().PolygonCount() * 10 / 100);
}

// "Export billboard..." with the glTF filter: one file with the atlas and
// the billboard material inside, no BMP pictures beside it.
TEST_F(LodChainExportTest, BillboardExportAsGltfEmbedsTheAtlas) {
  Find<QToolButton>("SpeedButton22")->click();
  ASSERT_NE(window->Billboard(), nullptr);
  scripted->dialogs->Choose(QString::fromStdString(scratch.File("cloud")), 3);
  window->onExportBillboard();
  ASSERT_TRUE(recorder->messages.isEmpty()) << recorder->messages.join("\n").toStdString();
  EXPECT_EQ(scratch.Entries(), std::vector<std::string>{"cloud.glb"});
  tinygltf::TinyGLTF loader;
  tinygltf::Model model;
  std::string error, warning;
  ASSERT_TRUE(loader.LoadBinaryFromFile(&model, &error, &warning, scratch.File("cloud.glb"))) << error;
  bool billboards = false;
  for (const tinygltf::Material& material : model.materials)
    if (material.name == "BBdMat") billboards = material.alphaMode == "MASK" && material.doubleSided;
  EXPECT_TRUE(billboards);

  // The branches it keeps stand where the tree's own glTF puts them.
  const vh::Vector3 origin = vh::EngineOrigin(Tree());
  float lowestY = 1e30f;
  for (const auto& submesh : Tree().submeshes)
    if (submesh->texture == vh::kBarkMaterial)
      for (const vh::Vertex& v : submesh->vertices)
        lowestY = std::min(lowestY, static_cast<float>((v.position.y - origin.y) * 0.01));
  for (const tinygltf::Primitive& primitive : model.meshes.at(0).primitives)
    if (model.materials.at(static_cast<std::size_t>(primitive.material)).name == "Material2") {
      EXPECT_NEAR(
          model.accessors.at(static_cast<std::size_t>(primitive.attributes.at("POSITION"))).minValues[1],
          lowestY, 1e-6);
    }
}

TEST_F(LodChainExportTest, CancelledDialogWritesNothing) {
  scripted->dialogs->Cancel();
  Press();
  EXPECT_TRUE(scratch.Entries().empty());
  EXPECT_TRUE(recorder->messages.isEmpty());
}

}  // namespace
