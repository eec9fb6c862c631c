// The TreeDocument on its own: when it regrows, what waits for the tree,
// the billboard slot, the pictures of an undo and what it reports; and the
// Viewport built on it where there is no OpenGL.
#include <QWidget>

#include "app/document/tree_document.h"
#include "app/viewport/tree_view.h"
#include "app/viewport/viewport.h"
#include "app_test_support.h"
#include "common/scratch_dir.h"
#include "flow_test_support.h"
#include "tree/tree.h"

namespace {

class TreeDocumentTest : public ::testing::Test {
 protected:
  [[nodiscard]] bool WaitForTree() {
    return WaitUntil([&] { return !document.Busy(); }, 30000);
  }

  TreeDocument document;
};

TEST_F(TreeDocumentTest, AnEditRegrowsOnlyWithAutoUpdateAndOutsideBillboardMode) {
  std::vector<bool> replaced;  // whether each tree answered an edit
  QObject::connect(&document, &TreeDocument::treeReplaced,
                   [&](bool afterEdit) { replaced.push_back(afterEdit); });
  document.SetAutoUpdate(false);
  document.UpdateAfterChange();
  EXPECT_FALSE(document.Busy());
  document.SetAutoUpdate(true);
  document.UpdateAfterChange();
  ASSERT_TRUE(WaitForTree());
  document.GenerateTree();
  ASSERT_TRUE(WaitForTree());
  EXPECT_EQ(replaced, (std::vector<bool>{true, false}));

  vh::BillboardCloud cloud;
  cloud.mesh = std::make_unique<vh::MeshObject>();
  document.SetBillboard(std::move(cloud));
  document.UpdateAfterChange();
  document.GenerateTree();
  EXPECT_FALSE(document.Busy()) << "the cloud stands for the tree";
}

TEST_F(TreeDocumentTest, ActionsWaitForTheGrowingTreeInTheOrderAsked) {
  QStringList ran;
  document.GenerateTree();
  ASSERT_TRUE(document.Growing());
  document.WhenTreeIsIn([&] { ran << "first"; });
  document.WhenTreeIsIn([&] { ran << "second"; });
  EXPECT_TRUE(ran.isEmpty());
  ASSERT_TRUE(WaitForTree());
  EXPECT_EQ(ran, (QStringList{"first", "second"}));
  document.WhenTreeIsIn([&] { ran << "at once"; });
  EXPECT_EQ(ran.size(), 3);
}

TEST_F(TreeDocumentTest, ATreeGrownOnlyToTheBudgetIsReported) {
  QStringList titles;
  QObject::connect(&document, &TreeDocument::problem,
                   [&](const QString&, const QString& title) { titles << title; });
  document.State().vertexBudget = 1000;
  document.GenerateTree();
  ASSERT_TRUE(WaitForTree());
  EXPECT_TRUE(document.CurrentTree().budgetExceeded);
  EXPECT_EQ(titles, QStringList{"Tree too large"});
}

TEST_F(TreeDocumentTest, TheBillboardSlotDecidesWhatIsShownAndCounted) {
  int changes = 0;
  int counts = 0;
  QObject::connect(&document, &TreeDocument::billboardChanged, [&] { ++changes; });
  QObject::connect(&document, &TreeDocument::countsChanged, [&] { ++counts; });
  vh::BillboardCloud cloud;
  cloud.mesh = std::make_unique<vh::MeshObject>();
  cloud.colourTexture = GradientPicture(8, 4);
  const vh::MeshObject* mesh = cloud.mesh.get();
  document.State().wireframe.billboard = true;
  document.SetBillboard(std::move(cloud));
  EXPECT_EQ(&document.ShownMesh(), mesh);
  EXPECT_FALSE(document.State().wireframe.billboard) << "a new cloud is drawn filled";
  document.DestroyBillboard();
  document.DestroyBillboard();  // outside billboard mode: nothing
  EXPECT_EQ(&document.ShownMesh(), &document.CurrentTree());
  EXPECT_EQ(document.BillboardColour().width, 8) << "the textures of the last run stay";
  document.ReleaseBillboardImages();
  EXPECT_TRUE(document.BillboardColour().Empty());
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(counts, 2);
}

TEST_F(TreeDocumentTest, AnUndoLoadsThePicturesItNamesAndReportsTheUnreadable) {
  vh::test::ScratchDir scratch;
  const QString bark = QString::fromStdString(scratch.File("bark.bmp"));
  WritePicture(bark, GradientPicture(16, 8));
  int barkLoaded = 0;
  int barkUnnamed = 0;
  QObject::connect(&document, &TreeDocument::barkPictureLoaded, [&] { ++barkLoaded; });
  QObject::connect(&document, &TreeDocument::barkPictureUnnamed, [&] { ++barkUnnamed; });

  const vh::TreeParameters plain = document.Params();
  vh::TreeParameters named = plain;
  named.barkTextureLoaded = true;
  named.barkTextureFile = bark.toStdString();
  named.leafTextureLoaded = true;
  named.leafTextureFile = scratch.File("missing.bmp");
  const QStringList problems = document.RestorePictures(plain, named);
  EXPECT_EQ(document.State().barkTextureImage.width, 16);
  ASSERT_EQ(problems.size(), 1);
  EXPECT_TRUE(problems.front().contains("missing.bmp")) << problems.front().toStdString();
  EXPECT_TRUE(document.RestorePictures(named, plain).isEmpty());
  EXPECT_EQ(barkLoaded, 1);
  EXPECT_EQ(barkUnnamed, 1);
  EXPECT_EQ(document.State().barkTextureImage.width, 16) << "the picture stays loaded";
}

TEST_F(TreeDocumentTest, AViewportWithoutOpenGLKeepsItsCameraAndFreezesDuringBuilds) {
  QWidget window;
  Viewport viewport(document, GlAvailability::kNoContext, &window);
  QWidget& surface = *viewport.Surface();
  EXPECT_EQ(surface.objectName(), "StaticText1");
  EXPECT_EQ(qobject_cast<TreeView*>(&surface), nullptr);
  EXPECT_FALSE(viewport.RunInContext([] {}));
  EXPECT_EQ(viewport.Camera().position, vh::kHomePosition);

  surface.resize(321, 123);
  window.show();
  ASSERT_TRUE(WaitUntil([&] { return viewport.Camera().viewportWidth == 321; }));
  EXPECT_EQ(viewport.Camera().viewportHeight, 123);
  viewport.MoveEye(10.0f);
  EXPECT_EQ(viewport.Camera().position, vh::kHomePosition + 10.0f * viewport.Camera().forward);

  document.BeginBuildFromTree("Building");
  EXPECT_FALSE(surface.updatesEnabled());
  document.EndBuildFromTree();
  EXPECT_TRUE(surface.updatesEnabled());
  EXPECT_TRUE(viewport.Dirty());
  bool ran = false;
  viewport.WhenContextReady([&] { ran = true; });
  EXPECT_TRUE(ran) << "without a GL view there is no context to wait for";
}

}  // namespace
