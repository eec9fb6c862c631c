// The generation protocol seen from the window: the status line, Escape,
// the busy lock and closing during a generation.
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
    busyDuring = Session().busy;
    QTest::qWait(40);  // two status ticks
    statusDuring = LabelText("Label54");
    QTest::keyClick(Find<QSlider>("baseSize"), Qt::Key_Escape);
  });
  ASSERT_TRUE(busyDuring) << "the generation must still run when Escape is pressed";
  EXPECT_EQ(statusDuring, kGenerating);
  EXPECT_FALSE(Session().busy);
  EXPECT_FALSE(Session().cancelRequested);
  // The partial tree is a valid mesh: every index inside its submesh.
  ASSERT_FALSE(Tree().submeshes.empty());
  for (const auto& submesh : Tree().submeshes) {
    for (const auto& t : submesh->triangles) {
      ASSERT_LT(t.a, submesh->vertices.size());
      ASSERT_LT(t.b, submesh->vertices.size());
      ASSERT_LT(t.c, submesh->vertices.size());
    }
  }
  // The next status tick clears the line (after the partial tree's first
  // frame, which may take a while to compile under a software renderer).
  EXPECT_TRUE(WaitUntil([&] { return LabelText("Label54").isEmpty(); }, 3000))
      << LabelText("Label54").toStdString() << " busy " << Session().busy;
}

TEST_F(GenerationDriver, EscapeWhileIdleDoesNotCancelTheNextGeneration) {
  QTest::keyClick(Find<QSlider>("noise"), Qt::Key_Escape);
  EXPECT_TRUE(Session().cancelRequested);
  const vh::TreeParameters params = Session().params;
  Find<QSlider>("noise")->setValue(31);
  EXPECT_FALSE(Session().cancelRequested);
  // Complete: the same as a fresh tree grown from the same parameters.
  const vh::Tree reference = vh::Generate(Session().params);
  EXPECT_EQ(Tree().VertexCount(), reference.VertexCount());
  EXPECT_EQ(LabelText("Label45"), VertexText(reference));
}

TEST_F(GenerationDriver, EditingHandlersIgnoreInputWhileBusy) {
  SelectLevelTab(1);
  MakeGenerationLong();
  const int noiseBefore = Session().params.levels[1].noise;
  const int seedBefore = Session().params.seed;
  const QString labelBefore = LabelText("Label15");
  bool ran = false;
  GenerateAndMeanwhile(100, [&] {
    ran = Session().busy;
    Find<QSlider>("noise")->setValue(noiseBefore + 9);      // locked
    Find<QLineEdit>("Edit1")->setText("99");                // locked
    Find<QSlider>("TrackBar1")->setValue(1);                // locked
    Find<QRadioButton>("RadioButton1")->click();            // not locked
    EXPECT_EQ(Session().params.levels[1].noise, noiseBefore);
    EXPECT_EQ(LabelText("Label15"), labelBefore);
    EXPECT_EQ(Session().params.seed, seedBefore);
    EXPECT_EQ(Session().params.lastParentLevel, 6);
    EXPECT_EQ(Find<QTabBar>("TabControl1")->count(), 4) << "tabs are not rebuilt";
    EXPECT_FALSE(Session().params.levels[1].baseSizeInherited);
    QTest::keyClick(window.get(), Qt::Key_Escape);
  });
  ASSERT_TRUE(ran);
  EXPECT_EQ(Session().params.levels[1].noise, noiseBefore);
  // A later level switch stores what the controls show.
  SelectLevelTab(2);
  EXPECT_EQ(Session().params.levels[1].noise, noiseBefore + 9);
  EXPECT_EQ(Session().params.seed, 99);
}

TEST_F(GenerationDriver, RefusedGenerateDuringAGenerationClearsAPendingCancel) {
  MakeGenerationLong();
  Session().params.lastParentLevel = 4;  // long enough to interrupt, short enough to finish
  bool cancelCleared = false;
  GenerateAndMeanwhile(50, [&] {
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QTest::mouseClick(Find<QToolButton>("SpeedButton1"), Qt::LeftButton);
    cancelCleared = Session().busy && !Session().cancelRequested;
  });
  EXPECT_TRUE(cancelCleared) << "the refused Generate clears the flag, so the first completes";
  const vh::Tree reference = vh::Generate(Session().params);
  EXPECT_EQ(Tree().VertexCount(), reference.VertexCount());
}

TEST_F(GenerationDriver, ClosingDuringAGenerationStopsItAndCloses) {
  MakeGenerationLong();
  bool wasBusy = false;
  GenerateAndMeanwhile(100, [&] {
    wasBusy = Session().busy;
    window->close();
  });
  ASSERT_TRUE(wasBusy);
  EXPECT_FALSE(window->isVisible());
  EXPECT_FALSE(Session().busy);
}

TEST_F(GenerationDriver, StatusLineIsEmptyWhenIdle) {
  QTest::qWait(30);
  EXPECT_EQ(LabelText("Label54"), "");
}

TEST_F(GenerationDriver, CountsFollowEveryAutomaticUpdate) {
  Find<QCheckBox>("CheckBox7")->click();  // hide leaves: regenerates
  EXPECT_FALSE(Session().showLeaves);
  EXPECT_EQ(LabelText("Label44"), PolygonText(Tree()));
  EXPECT_EQ(LabelText("Label45"), VertexText(Tree()));
  EXPECT_EQ(LabelText("Label46"), SubmeshText(Tree()));
}

}  // namespace

namespace {

TEST_F(GenerationDriver, ATreeStoppedAtTheGeometryBudgetIsReported) {
  Session().vertexBudget = 5000;  // the default tree has 3441 vertices
  Session().params.lastParentLevel = 4;
  recorder->messages.clear();
  window->UpdateAfterChange();
  EXPECT_TRUE(Tree().budgetExceeded);
  EXPECT_LE(Tree().VertexCount(), 5000u);
  ASSERT_EQ(recorder->messages.size(), 1);
  EXPECT_TRUE(recorder->messages.front().contains("more than 5000 vertices"));
  EXPECT_EQ(LabelText("Label45"), VertexText(Tree()));  // the counts show the tree as grown

  Session().params.lastParentLevel = 2;
  window->UpdateAfterChange();
  EXPECT_FALSE(Tree().budgetExceeded);
  EXPECT_EQ(recorder->messages.size(), 1);  // nothing new to report
}

}  // namespace
