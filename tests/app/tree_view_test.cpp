// The 3-D view in the real window: rendered frames read back, the camera
// controls, the arrow keys and the display check boxes.
#include <functional>
#include <optional>

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QOpenGLWidget>
#include <QTest>
#include <QToolButton>

#include "app_test_support.h"
#include "view/camera.h"
#include "view/framing.h"

namespace {

struct PixelCounts {
  int white = 0;
  int green = 0;  // the ground plane: green well above red and blue
  int bark = 0;   // the bark: red over green over blue, clearly coloured
  int total = 0;
};

PixelCounts Classify(const QImage& image, QRect area) {
  PixelCounts counts;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      const QColor c = image.pixelColor(x, y);
      ++counts.total;
      if (c.red() > 250 && c.green() > 250 && c.blue() > 250) {
        ++counts.white;
      } else if (c.green() > c.red() + 20 && c.green() > c.blue() + 20) {
        ++counts.green;
      } else if (c.red() > c.green() + 15 && c.green() > c.blue() && c.red() > 60) {
        ++counts.bark;
      }
    }
  }
  return counts;
}

class TreeViewTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    view = Find<QOpenGLWidget>("StaticText1");
    if (view == nullptr || !window->ViewBound()) GTEST_SKIP() << "no OpenGL on this display";
  }
  QImage Frame() {
    view->repaint();
    return view->grabFramebuffer();
  }
  vh::Camera& Camera() { return window->ViewCamera(); }
  void Click(const char* button) { QTest::mouseClick(Find<QToolButton>(button), Qt::LeftButton); }
  // "New from preset" > `name`, once its tree is in.
  void OpenPreset(const char* name) {
    window->findChild<QAction*>(QString("Preset_") + name)->trigger();
    ASSERT_TRUE(WaitForTree());
  }

  QOpenGLWidget* view = nullptr;
};

void ExpectNear(const vh::Vector3& a, const vh::Vector3& b, float tolerance) {
  EXPECT_NEAR(a.x, b.x, tolerance);
  EXPECT_NEAR(a.y, b.y, tolerance);
  EXPECT_NEAR(a.z, b.z, tolerance);
}

TEST_F(TreeViewTest, StartsWithTheBindingAndTheHomeCamera) {
  EXPECT_TRUE(recorder->messages.isEmpty()) << recorder->messages.join("; ").toStdString();
  ExpectNear(Camera().position, {0, 50, 200}, 0);
  ExpectNear(Camera().forward, {0, 0, -1}, 0);
  EXPECT_EQ(Camera().viewportWidth, view->width());
  EXPECT_EQ(Camera().viewportHeight, view->height());
}

TEST_F(TreeViewTest, FrameShowsTheTreeOnTheGroundPlaneAgainstWhite) {
  const QImage frame = Frame();
  ASSERT_FALSE(frame.isNull());
  const PixelCounts all = Classify(frame, frame.rect());
  EXPECT_GT(all.white, all.total / 10) << "white sky";
  EXPECT_GT(all.bark, all.total / 50) << "bark-coloured trunk";
  // The lower left corner sees only the ground plane.
  const QRect corner(0, frame.height() * 9 / 10, frame.width() / 8, frame.height() / 10);
  const PixelCounts ground = Classify(frame, corner);
  EXPECT_EQ(ground.green, ground.total);
}

TEST_F(TreeViewTest, ShowPlaneDecidesWhetherThePlaneIsDrawn) {
  const QRect corner(0, view->height() * 9 / 10, view->width() / 8, view->height() / 10);
  Find<QCheckBox>("CheckBox8")->click();
  EXPECT_FALSE(Find<QCheckBox>("CheckBox8")->isChecked());
  PixelCounts ground = Classify(Frame(), corner);
  EXPECT_EQ(ground.green, 0);
  EXPECT_EQ(ground.white, ground.total);
  Find<QCheckBox>("CheckBox8")->click();
  ground = Classify(Frame(), corner);
  EXPECT_EQ(ground.green, ground.total);
}

TEST_F(TreeViewTest, WireframeDrawsTreeAndPlaneAsLinesAndKeepsFocusOffTheBox) {
  auto* box = Find<QCheckBox>("CheckBox6");
  const PixelCounts filled = Classify(Frame(), view->rect());
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_TRUE(State().wireframe.tree);
  EXPECT_TRUE(State().wireframe.groundPlane);
  EXPECT_EQ(window->focusWidget(), Find<QSlider>("baseSize"));  // active or not
  const PixelCounts lines = Classify(Frame(), view->rect());
  EXPECT_GT(lines.white, filled.white) << "outlines leave the plane's cells white";
}

TEST_F(TreeViewTest, RotationButtonsUndoEachOther) {
  const vh::Camera before = Camera();
  for (const auto& [there, back] :
       {std::pair{"SpeedButton7", "SpeedButton10"}, std::pair{"SpeedButton12", "SpeedButton9"},
        std::pair{"SpeedButton8", "SpeedButton11"}}) {
    Click(there);
    // A turn moves the eye around the pivot; a roll (the eye already on
    // the pivot line) turns only the up axis.
    EXPECT_GT(
        vh::LengthSquared(Camera().position - before.position) + vh::LengthSquared(Camera().up - before.up),
        1e-3f)
        << there;
    Click(back);
    ExpectNear(Camera().forward, before.forward, 1e-5f);
    ExpectNear(Camera().up, before.up, 1e-5f);
    ExpectNear(Camera().position, before.position, 1e-3f);
  }
}

// A step is a share of the tree's size, so that a tall tree is crossed as
// quickly as a small one.
TEST_F(TreeViewTest, MoveButtonsStepByAShareOfTheTreesSize) {
  const float step = vh::MoveStep(vh::MeshBounds(Tree()));
  ASSERT_GT(step, 0.0f);
  const struct {
    const char* button;
    vh::Vector3 direction;
  } moves[] = {{"SpeedButton15", {0, 1, 0}},  {"SpeedButton18", {0, -1, 0}}, {"SpeedButton13", {1, 0, 0}},
               {"SpeedButton16", {-1, 0, 0}}, {"SpeedButton14", {0, 0, -1}}, {"SpeedButton17", {0, 0, 1}}};
  for (const auto& m : moves) {
    const vh::Vector3 before = Camera().position;
    Click(m.button);
    ExpectNear(Camera().position, before + step * m.direction, 1e-3f);
  }
}

// Held down for a second and a half over the tallest preset, "Move up"
// carries the eye a good part of the tree's height.
TEST_F(TreeViewTest, HoldingMoveUpMovesAVisibleShareOfTheTree) {
  OpenPreset("palm");
  const std::optional<vh::Box> bounds = vh::MeshBounds(Tree());
  ASSERT_TRUE(bounds.has_value());
  auto* button = Find<QToolButton>("SpeedButton15");
  const float before = Camera().position.y;
  QTest::mousePress(button, Qt::LeftButton);
  QTest::qWait(1500);
  QTest::mouseRelease(button, Qt::LeftButton);
  EXPECT_GT(Camera().position.y - before, 0.1f * (bounds->high.y - bounds->low.y));
}

// An opened document (the tallest preset) is framed from the front however
// close the eye had come; "Frame the tree" and F (not an F typed into a
// field) frame it from where the eye looks.
TEST_F(TreeViewTest, OpenedDocumentsAndFrameTheTreeShowTheWholeTree) {
  for (int i = 0; i < 40; ++i) Click("SpeedButton14");  // far in: the previous zoom
  OpenPreset("palm");
  const vh::Box bounds = vh::MeshBounds(Tree()).value();
  const auto framed = [&](vh::Camera camera) {
    vh::FrameBox(camera, bounds);
    return camera.position;
  };
  vh::Camera front;
  front.viewportWidth = view->width();
  front.viewportHeight = view->height();
  ExpectNear(Camera().position, framed(front), 1e-3f);

  const std::function<void()> frameTheTree[] = {
      [&] { QTest::keyClick(view, Qt::Key_F); },
      [&] { QTest::mouseClick(Find<QToolButton>("FrameTreeButton"), Qt::LeftButton); }};
  for (const auto& frame : frameTheTree) {
    Click("SpeedButton12");  // a turn
    Click("SpeedButton14");
    const vh::Vector3 expected = framed(Camera());
    frame();
    ExpectNear(Camera().position, expected, 1e-3f);
  }
  Click("SpeedButton14");
  const vh::Vector3 eye = Camera().position;
  QTest::keyClick(Find<QLineEdit>("Edit1"), Qt::Key_F);
  EXPECT_TRUE(Find<QLineEdit>("Edit1")->text().endsWith('f'));
  ExpectNear(Camera().position, eye, 0);
}

TEST_F(TreeViewTest, MouseDragOrbitsAndResetRestoresTheHomeView) {
  QTest::mousePress(view, Qt::LeftButton, {}, QPoint(100, 100));
  QMouseEvent move(QEvent::MouseMove, QPointF(80, 100), view->mapToGlobal(QPointF(80, 100)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(view, &move);
  QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(80, 100));
  // 20 pixels to the left: one radian about the target 15 units ahead.
  const vh::Vector3 target{0, 50, 185};
  ExpectNear(Camera().position, target + vh::Vector3{15 * std::sin(1.0f), 0, 15 * std::cos(1.0f)}, 1e-3f);
  Click("SpeedButton19");
  ExpectNear(Camera().position, {0, 50, 200}, 0);
  ExpectNear(Camera().forward, {0, 0, -1}, 0);
  EXPECT_EQ(Camera().viewportWidth, view->width());
}

TEST_F(TreeViewTest, ArrowKeysMoveTheEyeButNotTheFocusedSlider) {
  QSlider* slider = Find<QSlider>("noise");
  slider->setFocus();
  const int value = slider->value();
  QTest::keyClick(slider, Qt::Key_Up);
  ExpectNear(Camera().position, {0, 50, 190}, 1e-4f);
  QTest::keyClick(slider, Qt::Key_Down);
  QTest::keyClick(slider, Qt::Key_Down);
  ExpectNear(Camera().position, {0, 50, 210}, 1e-4f);
  QTest::keyClick(slider, Qt::Key_Left);
  QTest::keyClick(slider, Qt::Key_PageUp);
  EXPECT_EQ(slider->value(), value);
}

TEST_F(TreeViewTest, EditFieldsTakeCharactersButNotDeleteOrArrows) {
  auto* seed = Find<QLineEdit>("Edit1");
  seed->setFocus();
  seed->setCursorPosition(3);
  QTest::keyClick(seed, Qt::Key_Left);
  QTest::keyClick(seed, Qt::Key_Home);
  EXPECT_EQ(seed->cursorPosition(), 3);
  QTest::keyClicks(seed, "5");
  EXPECT_EQ(seed->text(), "1605");
  QTest::keyClick(seed, Qt::Key_Backspace);
  EXPECT_EQ(seed->text(), "160");
  seed->setCursorPosition(0);
  QTest::keyClick(seed, Qt::Key_Delete);
  EXPECT_EQ(seed->text(), "160");
}

TEST_F(TreeViewTest, ZeroHeightViewRendersWithoutFault) {
  Camera().viewportHeight = 0;
  EXPECT_TRUE(std::isfinite(vh::AspectRatio(Camera())));
  view->setMinimumSize(0, 0);
  view->setFixedHeight(0);
  QTest::qWait(20);
  EXPECT_EQ(Camera().viewportHeight, 0);
  view->repaint();
  view->setMinimumHeight(1);
  view->setMaximumHeight(QWIDGETSIZE_MAX);
  QTest::qWait(20);
  EXPECT_GT(Camera().viewportHeight, 0);
  EXPECT_FALSE(Frame().isNull());
}

TEST_F(TreeViewTest, RedrawFollowsTheDirtyFlag) {
  window->SetViewDirty();
  EXPECT_TRUE(window->ViewDirty());
  EXPECT_TRUE(WaitUntil([&] { return !window->ViewDirty(); }, 1000));
}

}  // namespace

namespace {

// The tree grows on its own copy: frames drawn meanwhile show the previous
// tree, whole, and the new one replaces it when it is in and the view has
// prepared something of it.
TEST_F(TreeViewTest, FramesDrawnWhileATreeGrowsShowThePreviousTree) {
  State().params.lastParentLevel = 3;
  for (auto& level : State().params.levels) {
    level.nbChildrenMin = level.nbChildrenMax = 8;
    level.qualityAngle = level.qualityHeight = 12;
  }
  const QImage before = Frame();
  const std::vector<std::shared_ptr<vh::Submesh>> shown = Tree().submeshes;
  bool grewDuring = false;
  bool sameTreeDuring = false;
  QImage during;
  GenerateAndMeanwhile(30, [&] {
    grewDuring = window->Busy();
    during = Frame();
    sameTreeDuring = Tree().submeshes == shown;
  });
  ASSERT_TRUE(grewDuring) << "the generation must still run at the frame";
  EXPECT_TRUE(sameTreeDuring);
  EXPECT_EQ(during, before);
  EXPECT_GT(Tree().submeshes.size(), shown.size() * 10) << "the large tree is in";
  EXPECT_TRUE(WaitUntil([&] { return Frame() != before; }, 10'000))
      << "the new tree replaces it once the view has something of it to draw";
}

}  // namespace

namespace {

TEST_F(TreeViewTest, MovingWithoutAPressInTheViewDoesNotOrbit) {
  const vh::Camera before = Camera();
  QMouseEvent move(QEvent::MouseMove, QPointF(40, 40), view->mapToGlobal(QPointF(40, 40)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(view, &move);
  ExpectNear(Camera().position, before.position, 0);
  ExpectNear(Camera().forward, before.forward, 0);
}

// "Wireframe" clicked while a tree grows applies at once to the shown tree
// and to the one that arrives (here a cancelled, partial one).
TEST_F(TreeViewTest, WireframeDuringAGenerationReachesTheArrivingTree) {
  MakeGenerationLong();
  bool ranDuring = false;
  bool shownTreeDuring = false;
  GenerateAndMeanwhile(80, [&] {
    ranDuring = window->Busy();
    Find<QCheckBox>("CheckBox6")->click();
    shownTreeDuring = State().wireframe.tree;
    QTest::keyClick(window.get(), Qt::Key_Escape);
  });
  ASSERT_TRUE(ranDuring);
  EXPECT_TRUE(shownTreeDuring);
  ASSERT_TRUE(Tree().cancelled) << "the partial tree is in";
  EXPECT_TRUE(Find<QCheckBox>("CheckBox6")->isChecked());
  EXPECT_TRUE(State().wireframe.tree);
  EXPECT_TRUE(State().wireframe.groundPlane);
}

}  // namespace
