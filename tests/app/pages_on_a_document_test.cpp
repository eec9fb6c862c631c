// The pages built on a TreeDocument alone, without a main window: what they
// store into the document, how they follow its signals, and the "Level of
// detail" page drawing through a view context of its own.
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

#include "app/document/tree_document.h"
#include "app/pages/branches_page.h"
#include "app/pages/leaf_editor.h"
#include "app/pages/leaves_page.h"
#include "app/pages/lod_page.h"
#include "app/pages/texture_page.h"
#include "app/viewport/view_context.h"
#include "app_test_support.h"

namespace {

class PagesOnADocument : public ::testing::Test {
 protected:
  template <class T>
  static T* Child(const QWidget& page, const char* name) {
    T* widget = page.findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << "no control named " << name;
    return widget;
  }
  [[nodiscard]] bool WaitForTree() {
    return WaitUntil([&] { return !document.Busy(); }, 30000);
  }

  MessageRecorder messages;
  TreeDocument document;
};

// The "Branches" page with the two pages whose controls it loads and stores.
class BranchesOnADocument : public PagesOnADocument {
 protected:
  void SetUp() override { branches.LoadLevelControls(); }

  LeavesPage leaves{document};
  TexturePage texture{document};
  BranchesPage branches{document, {&leaves, &texture}};
};

TEST_F(BranchesOnADocument, ASliderStoresIntoTheSelectedLevelAndRegrows) {
  int grownAfterEdits = 0;
  QObject::connect(&document, &TreeDocument::treeReplaced,
                   [&](bool afterEdit) { grownAfterEdits += afterEdit; });
  branches.findChild<QTabBar*>("TabControl1")->setCurrentIndex(1);
  QSlider* noise = Child<QSlider>(branches, "noise");
  ASSERT_NE(noise->value(), 42);
  noise->setValue(42);
  EXPECT_EQ(document.Params().levels[1].noise, 42);
  ASSERT_TRUE(WaitForTree());
  EXPECT_EQ(grownAfterEdits, 1);
}

TEST_F(BranchesOnADocument, PagesShowParametersReplacedAsAWholeWithoutRegrowing) {
  vh::TreeParameters replaced = document.Params();
  replaced.levels[0].noise = 33;
  replaced.seed = 4242;
  replaced.leafBending = 17;
  replaced.uScale = 64;
  document.Params() = replaced;
  document.ParametersReplaced();
  EXPECT_EQ(Child<QSlider>(branches, "noise")->value(), 33);
  EXPECT_EQ(Child<QLineEdit>(branches, "Edit1")->text(), "4242");
  EXPECT_EQ(Child<QSlider>(leaves, "TrackBar11")->value(), 17);
  EXPECT_EQ(Child<QSlider>(texture, "TrackBar16")->value(), 64);
  EXPECT_FALSE(document.Busy()) << "loading the controls grows nothing";
  EXPECT_TRUE(Child<QCheckBox>(branches, "CheckBox4")->isChecked());
  EXPECT_TRUE(document.AutoUpdate());
}

// Loading is no edit: values beyond the controls' ranges, another level
// count and a placement the leaf editor shows differently all stay as the
// document has them, and no step is recorded.
TEST_F(BranchesOnADocument, LoadingTheControlsWritesNothingBack) {
  vh::TreeParameters replaced = document.Params();
  replaced.lastParentLevel = 3;
  replaced.levels[0].baseSize = 999;
  replaced.levels[0].baseLengthInherited = true;
  replaced.leafTexRotate = 5000;
  replaced.leafOutline = {{0.0f, -40.0f}, {20.0f, 0.0f}, {-20.0f, 0.0f}};
  replaced.leafTexCoords.assign(3, vh::Vector2(9.0f, 9.0f));
  replaced.uScale = -7;
  replaced.materialPrefix = "Bark";
  document.Params() = replaced;
  document.ParametersReplaced();
  EXPECT_EQ(branches.findChild<QTabBar*>("TabControl1")->count(), 5);
  EXPECT_TRUE(Child<QRadioButton>(branches, "RadioButton4")->isChecked());
  EXPECT_EQ(document.Params(), replaced);
  EXPECT_EQ(document.History().StepCount(), 0u);
  EXPECT_FALSE(document.Busy()) << "nothing regrows";
}

TEST_F(BranchesOnADocument, AutoUpdateDecidesWhetherAnEditRegrows) {
  Child<QCheckBox>(branches, "CheckBox4")->setChecked(false);
  EXPECT_FALSE(document.AutoUpdate());
  QSlider* noise = Child<QSlider>(branches, "noise");
  ASSERT_NE(noise->value(), 12);
  noise->setValue(12);
  EXPECT_EQ(document.Params().levels[0].noise, 12);
  EXPECT_FALSE(document.Busy());
}

TEST_F(BranchesOnADocument, EditsAreIgnoredWhileACloudIsBuilt) {
  const vh::TreeParameters before = document.Params();
  document.BeginBuildFromTree("Building");
  Child<QSlider>(branches, "noise")->setValue(before.levels[0].noise + 5);
  Child<QSlider>(leaves, "TrackBar11")->setValue(before.leafBending + 5);
  document.EndBuildFromTree();
  EXPECT_EQ(document.Params(), before);
  EXPECT_FALSE(document.Busy());
}

TEST_F(BranchesOnADocument, AnUndoShowsTheLevelItChanges) {
  vh::TreeParameters after = document.Params();
  after.levels[2].noise += 1;
  branches.ShowChangedLevel(document.Params(), after);
  EXPECT_EQ(branches.SelectedLevel(), 2);
  after.lastParentLevel += 1;  // the tabs are rebuilt anyway
  branches.ShowChangedLevel(document.Params(), after);
  EXPECT_EQ(branches.SelectedLevel(), 2);
}

TEST_F(PagesOnADocument, TheLeafEditorRepaintsWhenTheLeafAppearanceChanges) {
  LeavesPage page(document);
  page.resize(320, 640);
  page.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
  const LeafEditor& editor = *page.Editor();
  ASSERT_TRUE(WaitUntil([&] { return editor.EditorBitmap().size() == editor.size(); }));
  // The point's red marker is 4 pixels wide with a white middle.
  const QPoint marker(editor.CentreX() + 20 - 2, editor.CentreY() + 30 - 2);
  ASSERT_NE(editor.EditorBitmap().pixel(marker), qRgb(255, 0, 0));
  document.Params().leafOutline = {vh::Vector2(20.0f, 30.0f)};
  document.LeafAppearanceChanged();
  EXPECT_TRUE(WaitUntil([&] { return editor.EditorBitmap().pixel(marker) == qRgb(255, 0, 0); }));
}

TEST_F(PagesOnADocument, TheLeavesPageStoresItsSlidersAndRegrows) {
  LeavesPage page(document);
  QSlider* bending = Child<QSlider>(page, "TrackBar11");
  ASSERT_NE(bending->value(), 23);
  bending->setValue(23);
  EXPECT_EQ(document.Params().leafBending, 23);
  EXPECT_TRUE(WaitForTree());
  Child<QCheckBox>(page, "CheckBox5")->setChecked(false);
  EXPECT_FALSE(document.Params().noLeavesOnTrunk);
}

// A view context that has no GL context to offer, and counts the requests.
class NoViewContext : public ViewContext {
 public:
  bool RunInContext(const std::function<void(vh::DrawListCache&)>&) override {
    ++requests;
    return false;
  }
  int requests = 0;
};

TEST_F(PagesOnADocument, TheLevelOfDetailPageBuildsACloudThroughItsViewContext) {
  NoViewContext view;
  LodPage page(document, view);
  Child<QSlider>(page, "TrackBar18")->setValue(4);  // four billboards are quick to find
  // Billboards for the branches too: the default tree has no leaves.
  Child<QRadioButton>(page, "RadioGroup1Item1")->setChecked(true);
  std::vector<bool> building;
  QObject::connect(&document, &TreeDocument::buildingChanged, [&](bool on) { building.push_back(on); });
  Child<QToolButton>(page, "SpeedButton22")->click();
  EXPECT_TRUE(messages.messages.isEmpty()) << messages.messages.join('\n').toStdString();
  ASSERT_TRUE(document.BillboardMode());
  EXPECT_GT(view.requests, 0) << "every billboard picture is asked of the view";
  EXPECT_EQ(building, (std::vector<bool>{true, false}));
  EXPECT_FALSE(document.EditsLocked());
  EXPECT_EQ(&document.ShownMesh(), document.Billboard());
  Child<QToolButton>(page, "SpeedButton23")->click();
  EXPECT_FALSE(document.BillboardMode());
  EXPECT_EQ(&document.ShownMesh(), &document.CurrentTree());
}

}  // namespace
