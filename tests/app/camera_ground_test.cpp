// The eye and the shown ground, with real drags and clicks: while "Show
// plane" is ticked the eye stays above the ground, so that the ground never
// hides the tree, in the reduced frames of a drag as in the full frame that
// follows and after "Frame the tree"; without the plane it may go below.
#include <QCheckBox>
#include <QTest>
#include <QToolButton>

#include "app/viewport/tree_view.h"
#include "app_test_support.h"

namespace {

// The share of a frame's pixels that show bark: red over green over blue,
// clearly coloured (the ground is green, the sky white).
double BarkShare(const QImage& frame) {
  int bark = 0;
  for (int y = 0; y < frame.height(); ++y) {
    for (int x = 0; x < frame.width(); ++x) {
      const QColor c = frame.pixelColor(x, y);
      if (c.red() > c.green() + 15 && c.green() > c.blue() && c.red() > 60) ++bark;
    }
  }
  return static_cast<double>(bark) / (frame.width() * frame.height());
}

class CameraGround : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    view = qobject_cast<TreeView*>(Find<QWidget>("StaticText1"));
    if (view == nullptr || !window->ViewBound()) GTEST_SKIP() << "no OpenGL on this display";
  }
  Viewport& Port() { return window->View(); }
  float EyeHeight() { return window->ViewCamera().position.y; }
  [[nodiscard]] bool WaitForFullDetail() {
    return WaitUntil([&] { return !Port().Preparing() && !Port().ShowingReducedLevel() && !Port().Dirty(); },
                     60'000);
  }
  // Drags in the view from its centre by (dx, dy) in `steps` mouse moves,
  // calling `during` after each.
  void Drag(int dx, int dy, int steps, const std::function<void()>& during = {}) {
    const QPoint from = view->rect().center();
    QTest::mousePress(view, Qt::LeftButton, {}, from);
    for (int i = 1; i <= steps; ++i) {
      QTest::mouseMove(view, from + QPoint(dx * i / steps, dy * i / steps));
      if (during) during();
    }
    QTest::mouseRelease(view, Qt::LeftButton, {}, from + QPoint(dx, dy));
  }
  void Click(const char* name) { QTest::mouseClick(Find<QToolButton>(name), Qt::LeftButton); }
  void ClickShowPlane() { QTest::mouseClick(Find<QCheckBox>("CheckBox8"), Qt::LeftButton); }

  TreeView* view = nullptr;
};

// The large tree, framed, dragged right and then down: the eye passes over
// the top and comes down behind the tree, where it once went under the
// ground and saw nothing but green.
TEST_F(CameraGround, ALargeTreeStaysInSightThroughADragAndAfterIt) {
  State().params.lastParentLevel = 3;
  for (auto& level : State().params.levels) {
    level.nbChildrenMin = level.nbChildrenMax = 8;
    level.qualityAngle = level.qualityHeight = 12;
  }
  window->GenerateTree();
  ASSERT_TRUE(WaitForTree());
  Port().FrameFromTheFront();
  ASSERT_TRUE(WaitForFullDetail());
  const double front = BarkShare(view->grabFramebuffer());
  ASSERT_GT(front, 0.02);

  Drag(30, 0, 10);
  float lowest = EyeHeight();
  int frames = 0, reducedFrames = 0;
  double lastReduced = 0.0;
  Drag(0, 90, 30, [&] {
    lowest = std::min(lowest, EyeHeight());
    if (++frames % 3 != 0) return;
    const double bark = BarkShare(view->grabFramebuffer());
    if (!Port().ShowingReducedLevel()) return;
    ++reducedFrames;
    lastReduced = bark;
    EXPECT_GT(bark, 0.01) << "the tree in the reduced frame at drag step " << frames << ", eye at "
                          << EyeHeight();
  });
  EXPECT_GE(lowest, 0.0f) << "the eye went under the ground";
  EXPECT_GT(reducedFrames, 0);
  ASSERT_TRUE(WaitForFullDetail());
  const double full = BarkShare(view->grabFramebuffer());
  EXPECT_GT(full, 0.01) << "the tree in the full frame";
  EXPECT_NEAR(full, lastReduced, 0.5 * lastReduced) << "the full frame shows what the reduced one showed";

  Click("FrameTreeButton");
  EXPECT_GE(EyeHeight(), 0.0f);
  ASSERT_TRUE(WaitForFullDetail());
  EXPECT_GT(BarkShare(view->grabFramebuffer()), 0.01) << "framed, the tree is in sight";
}

// Dragging up lowers the eye, and "Move down" lowers it too: both stop
// above the shown ground. Without the plane the eye may go below; ticked
// again, the plane lifts it.
TEST_F(CameraGround, TheEyeStaysAboveTheGroundOnlyWhileItIsShown) {
  Click("FrameTreeButton");  // orbiting the tree's centre from afar
  Drag(0, -60, 20);
  EXPECT_GE(EyeHeight(), 0.0f);
  EXPECT_LT(EyeHeight(), 0.05f * window->ViewCamera().focusDistance) << "stopped at the ground";
  EXPECT_GT(BarkShare(view->grabFramebuffer()), 0.01);
  Click("SpeedButton19");                               // "Reset viewpoint"
  for (int i = 0; i < 40; ++i) Click("SpeedButton18");  // "Move down"
  EXPECT_GE(EyeHeight(), 0.0f);

  ClickShowPlane();
  for (int i = 0; i < 40; ++i) Click("SpeedButton18");
  EXPECT_LT(EyeHeight(), -10.0f) << "no ground to stay above";
  ClickShowPlane();
  ASSERT_TRUE(Find<QCheckBox>("CheckBox8")->isChecked());
  EXPECT_GE(EyeHeight(), 0.0f);
}

}  // namespace
