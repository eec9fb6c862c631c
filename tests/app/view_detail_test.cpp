// The view of a large tree in the real window: a reduced level first, full
// detail once the camera rests, the full-detail frame abandoned at input,
// a lost context, a tree replaced while its buffers are being filled, and
// the tree in the wind.
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/document/tree_document.h"
#include "app/viewport/tree_view.h"
#include "app/viewport/viewport.h"
#include "app/viewport/wind_player.h"
#include "app_test_support.h"
#include "view/mesh_buffers.h"

namespace {

class ViewDetailTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    view = qobject_cast<TreeView*>(Find<QWidget>("StaticText1"));
    if (view == nullptr || !window->ViewBound()) GTEST_SKIP() << "no OpenGL on this display";
  }
  // About 1.5 M triangles: far more than a 40 ms frame on a software
  // renderer, so that reduced levels stand in while the camera moves.
  void GrowLargeTree(int seed = 160) {
    State().params.lastParentLevel = 3;
    State().params.seed = seed;
    for (auto& level : State().params.levels) {
      level.nbChildrenMin = level.nbChildrenMax = 8;
      level.qualityAngle = level.qualityHeight = 12;
    }
    window->GenerateTree();
    ASSERT_TRUE(WaitForTree());
  }
  Viewport& Port() { return window->View(); }
  [[nodiscard]] bool WaitForFullDetail(int timeoutMs = 60'000) {
    return WaitUntil([&] { return !Port().Preparing() && !Port().ShowingReducedLevel() && !Port().Dirty(); },
                     timeoutMs);
  }
  QLabel* Mark() { return Find<QLabel>("ReducedDetailMark"); }

  TreeView* view = nullptr;
};

TEST_F(ViewDetailTest, ALargeTreeShowsAReducedLevelWhileFullDetailIsPrepared) {
  GrowLargeTree();
  int turnsWhilePreparing = 0;
  bool sawReduced = false, markShownWithIt = false;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    turnsWhilePreparing += Port().Preparing() ? 1 : 0;
    if (Port().ShowingReducedLevel()) {
      sawReduced = true;
      markShownWithIt = Mark()->isVisible();
    }
  });
  ticker.start(0);
  ASSERT_TRUE(WaitForFullDetail());
  ticker.stop();
  EXPECT_GT(turnsWhilePreparing, 2) << "events are handled while the buffers are filled and uploaded";
  EXPECT_TRUE(sawReduced);
  EXPECT_TRUE(markShownWithIt) << "the mark says a reduced level is on screen";
  EXPECT_FALSE(Mark()->isVisible());
  EXPECT_EQ(window->ViewDrawLists().Size(), 0u) << "the tree is drawn without display lists";
}

TEST_F(ViewDetailTest, CameraMotionDrawsAReducedLevelAndRestingBringsFullDetailBack) {
  GrowLargeTree();
  ASSERT_TRUE(WaitForFullDetail());
  QElapsedTimer clock;
  clock.start();
  QTest::mouseClick(Find<QToolButton>("SpeedButton7"), Qt::LeftButton);
  EXPECT_TRUE(WaitUntil([&] { return Port().ShowingReducedLevel(); }, 200))
      << "the frame of the click is reduced";
  EXPECT_TRUE(Mark()->isVisible());
  ASSERT_TRUE(WaitForFullDetail(20'000));
  EXPECT_GE(clock.elapsed(), 250) << "full detail waits for the camera to rest";
}

TEST_F(ViewDetailTest, InputAbandonsTheFullDetailFrameBeingDrawn) {
  GrowLargeTree();
  ASSERT_TRUE(WaitForFullDetail());
  // Between two slices of the full-detail frame, the next click.
  bool clicked = false, abandoned = false;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    if (clicked || !Port().Refining()) return;
    clicked = true;
    QTest::mouseClick(Find<QToolButton>("SpeedButton12"), Qt::LeftButton);
    abandoned = !Port().Refining();
  });
  ticker.start(0);
  QTest::mouseClick(Find<QToolButton>("SpeedButton9"), Qt::LeftButton);
  ASSERT_TRUE(WaitUntil([&] { return clicked; }, 10'000)) << "a full-detail frame is drawn in slices";
  const bool reducedAfter = WaitUntil([&] { return Port().ShowingReducedLevel(); }, 200);
  ticker.stop();
  EXPECT_TRUE(abandoned) << "abandoned at the input";
  EXPECT_TRUE(reducedAfter);
  ASSERT_TRUE(WaitForFullDetail(20'000)) << "and drawn again once the camera rests";
}

TEST_F(ViewDetailTest, ALostContextIsPreparedAnew) {
  GrowLargeTree();
  ASSERT_TRUE(WaitForFullDetail());
  // Moving the view into another window replaces its context.
  QWidget* home = view->parentWidget();
  QHBoxLayout* row = nullptr;
  int position = -1;
  for (QHBoxLayout* layout : home->findChildren<QHBoxLayout*>()) {
    if (layout->indexOf(view) >= 0) {
      row = layout;
      position = layout->indexOf(view);
    }
  }
  ASSERT_NE(row, nullptr);
  int lost = 0;
  QObject::connect(view, &TreeView::contextLost, [&] { ++lost; });
  {
    QWidget elsewhere;
    elsewhere.resize(400, 300);
    view->setParent(&elsewhere);
    view->show();
    elsewhere.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&elsewhere));
    view->update();
    EXPECT_TRUE(WaitUntil([&] { return lost > 0 && view->Bound(); }, 10'000));
    EXPECT_TRUE(WaitForFullDetail()) << "the new context gets the tree's buffers again";
    row->insertWidget(position, view, 1);
  }
  view->show();
  EXPECT_TRUE(WaitForFullDetail());
}

TEST_F(ViewDetailTest, ATreeReplacedWhileItsBuffersAreFilledGivesWayToTheNewOne) {
  GrowLargeTree(161);
  ASSERT_TRUE(WaitForFullDetail());
  const QImage expected = Port().Grab();
  GrowLargeTree(160);
  ASSERT_TRUE(WaitUntil([&] { return Port().Preparing(); }, 5'000));
  GrowLargeTree(161);  // replaces the tree whose buffers are being filled
  ASSERT_TRUE(WaitForFullDetail());
  EXPECT_EQ(Port().Grab(), expected) << "the new tree, not a stale piece of the one it replaced";
}

// A large tree in the wind sways at least at the level the view draws
// while the camera moves, not at a coarser copy; paused it returns to full
// detail, and a screenshot taken while it plays shows the whole tree posed.
TEST_F(ViewDetailTest, TheWindSwaysAtTheMovingLevelAndStillFramesShowTheWholeTree) {
  GrowLargeTree();
  ASSERT_TRUE(WaitForFullDetail());
  const QImage rest = Port().Grab();
  const std::uint64_t whole = vh::FillMeshBuffers(Tree(), {}).primitives;
  QTest::mouseClick(Find<QToolButton>("SpeedButton7"), Qt::LeftButton);
  ASSERT_TRUE(WaitUntil([&] { return Port().ShowingReducedLevel(); }, 200));
  const std::uint64_t moving = view->LastFrame().primitives;
  ASSERT_LT(moving, whole);

  State().params.wind.enabled = true;
  window->Document().WindChanged();
  ASSERT_TRUE(Port().Wind().Playing());
  ASSERT_TRUE(WaitUntil([&] { return view->LastFrame().swaying; }, 10'000));
  EXPECT_GE(view->LastFrame().primitives, moving) << "at least the level the view draws while it turns";
  EXPECT_LT(view->LastFrame().primitives, whole) << "a large tree plays at a reduced level";

  const QImage pictured = Port().Grab();
  EXPECT_TRUE(view->LastFrame().swaying);
  EXPECT_FALSE(view->LastFrame().reduced);
  EXPECT_EQ(view->LastFrame().primitives, whole) << "a screenshot shows the whole tree";
  EXPECT_NE(pictured, rest) << "posed in the wind";
  EXPECT_TRUE(Port().Wind().Playing()) << "and the preview plays on";

  window->Document().SetWindPlaying(false);
  EXPECT_TRUE(WaitForFullDetail(60'000)) << "paused, full detail follows";
  EXPECT_FALSE(Mark()->isVisible());
}

}  // namespace
