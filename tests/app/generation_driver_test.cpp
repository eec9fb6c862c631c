// The generation protocol seen from the window: the status line, Escape,
// edits and "Generate" while a tree grows, and closing during a generation.
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

#include "app_test_support.h"

namespace {

const QString kGenerating = "Tree is generating, please wait... (ESC to cancel)      ";

using GenerationDriver = MainWindowTest;

TEST_F(GenerationDriver, EscapeStopsALongGenerationAndKeepsAValidPartialTree) {
  MakeGenerationLong();
  QString statusDuring;
  bool busyDuring = false;
  GenerateAndMeanwhile(150, [&] {
    busyDuring = window->Busy();
    QTest::qWait(40);  // two status ticks
    statusDuring = LabelText("Label54");
    QTest::keyClick(Find<QSlider>("baseSize"), Qt::Key_Escape);
  });
  ASSERT_TRUE(busyDuring) << "the generation must still run when Escape is pressed";
  EXPECT_EQ(statusDuring, kGenerating);
  EXPECT_FALSE(window->Busy());
  ASSERT_TRUE(Tree().cancelled);
  ASSERT_FALSE(Tree().submeshes.empty());
  EXPECT_TRUE(IndicesInside(Tree()));
  // The next status tick clears the line.
  EXPECT_TRUE(WaitUntil([&] { return LabelText("Label54").isEmpty(); }, 3000))
      << LabelText("Label54").toStdString() << " busy " << window->Busy();
}

TEST_F(GenerationDriver, EscapeWhileIdleDoesNotCancelTheNextGeneration) {
  QTest::keyClick(Find<QSlider>("noise"), Qt::Key_Escape);
  Find<QSlider>("noise")->setValue(31);
  ASSERT_TRUE(WaitForTree());
  // Complete: the same as a fresh tree grown from the same parameters.
  EXPECT_FALSE(Tree().cancelled);
  const vh::Tree reference = vh::Generate(State().params);
  EXPECT_EQ(Tree().VertexCount(), reference.VertexCount());
  EXPECT_EQ(LabelText("Label45"), VertexText(reference));
}

// Nothing typed or clicked while a tree grows is dropped: the document
// takes every edit at once, the controls show it, and the tree regrows
// from the newest parameters.
TEST_F(GenerationDriver, EditsWhileATreeGrowsAreAppliedAndRegrowIt) {
  SelectLevelTab(1);
  MakeGenerationLong();
  State().params.levels[1].noise = 20;
  bool ran = false;
  GenerateAndMeanwhile(100, [&] {
    ran = window->Busy();
    Find<QSlider>("noise")->setValue(29);
    Find<QLineEdit>("Edit1")->setText("99");
    Find<QRadioButton>("RadioButton1")->click();
    EXPECT_EQ(State().params.levels[1].noise, 29);
    EXPECT_EQ(LabelText("Label15"), "29%");
    EXPECT_EQ(State().params.seed, 99);
    EXPECT_FALSE(State().params.levels[1].baseSizeInherited);
    // Fewer levels: the tabs follow and the tree becomes small.
    Find<QSlider>("TrackBar1")->setValue(2);
    EXPECT_EQ(State().params.lastParentLevel, 1);
    EXPECT_EQ(Find<QTabBar>("TabControl1")->count(), 3);
  });
  ASSERT_TRUE(ran);
  EXPECT_FALSE(Tree().cancelled) << "the newest parameters grew whole";
  const vh::Tree reference = vh::Generate(State().params);
  EXPECT_EQ(Tree().VertexCount(), reference.VertexCount());
  EXPECT_EQ(Tree().PolygonCount(), reference.PolygonCount());
  EXPECT_EQ(LabelText("Label45"), VertexText(reference));
}

// Escape, then "Generate" before the cancelled tree is in: the newest
// request wins and grows whole.
TEST_F(GenerationDriver, GenerateAfterEscapeGrowsTheTreeWhole) {
  MakeGenerationLong();
  State().params.lastParentLevel = 4;  // long enough to interrupt, short enough to finish
  bool busyAfterGenerate = false;
  GenerateAndMeanwhile(50, [&] {
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QTest::mouseClick(Find<QToolButton>("SpeedButton1"), Qt::LeftButton);
    busyAfterGenerate = window->Busy();
  });
  EXPECT_TRUE(busyAfterGenerate);
  EXPECT_FALSE(Tree().cancelled);
  const vh::Tree reference = vh::Generate(State().params);
  EXPECT_EQ(Tree().VertexCount(), reference.VertexCount());
}

TEST_F(GenerationDriver, ClosingDuringAGenerationStopsItAndCloses) {
  MakeGenerationLong();
  bool wasBusy = false;
  GenerateAndMeanwhile(100, [&] {
    wasBusy = window->Busy();
    window->close();
  });
  ASSERT_TRUE(wasBusy);
  EXPECT_FALSE(window->isVisible());
  EXPECT_FALSE(window->Busy());
  EXPECT_TRUE(Tree().cancelled);
}

TEST_F(GenerationDriver, StatusLineIsEmptyWhenIdle) {
  QTest::qWait(30);
  EXPECT_EQ(LabelText("Label54"), "");
}

TEST_F(GenerationDriver, CountsFollowEveryAutomaticUpdate) {
  Find<QCheckBox>("CheckBox7")->click();  // hide leaves: regrows
  EXPECT_FALSE(State().showLeaves);
  ASSERT_TRUE(WaitForTree());
  EXPECT_EQ(LabelText("Label44"), PolygonText(Tree()));
  EXPECT_EQ(LabelText("Label45"), VertexText(Tree()));
  EXPECT_EQ(LabelText("Label46"), SubmeshText(Tree()));
}

}  // namespace

namespace {

TEST_F(GenerationDriver, ATreeStoppedAtTheGeometryBudgetIsReported) {
  State().vertexBudget = 5000;  // the default tree has 3441 vertices
  State().params.lastParentLevel = 4;
  recorder->messages.clear();
  window->UpdateAfterChange();
  ASSERT_TRUE(WaitForTree());
  EXPECT_TRUE(Tree().budgetExceeded);
  EXPECT_LE(Tree().VertexCount(), 5000u);
  ASSERT_EQ(recorder->messages.size(), 1);
  EXPECT_TRUE(recorder->messages.front().contains("more than 5000 vertices"));
  EXPECT_EQ(LabelText("Label45"), VertexText(Tree()));  // the counts show the tree as grown

  State().params.lastParentLevel = 2;
  window->UpdateAfterChange();
  ASSERT_TRUE(WaitForTree());
  EXPECT_FALSE(Tree().budgetExceeded);
  EXPECT_EQ(recorder->messages.size(), 1);  // nothing new to report
}

}  // namespace
