// The small conveniences of the editor: the wheel in the 3-D view, the
// sliders' value tips and the new-seed button.
#include <algorithm>
#include <cmath>

#include <QHelpEvent>
#include <QLineEdit>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <QWheelEvent>

#include "app/pages/new_seed_button.h"
#include "app/viewport/tree_view.h"
#include "flow_test_support.h"
#include "view/wheel_zoom.h"

namespace {

// The sliders that have no value label beside them.
const std::string kWithoutLabel[] = {"TrackBar9",  "TrackBar10", "TrackBar2",  "TrackBar3",  "TrackBar11",
                                     "TrackBar12", "TrackBar13", "TrackBar14", "TrackBar15", "TrackBar16",
                                     "TrackBar17", "TrackBar18", "TrackBar19", "TrackBar21"};

// The tips of the sliders whose number alone says little, at a value: what
// the value means.
const struct {
  const char* name;
  int value;
  const char* tip;
} kExplained[] = {
    {"TrackBar9", 40, "Density : 40% chance of a leaf at each of the 60 places on a branch"},
    {"TrackBar10", 50, "Scaling : 50 (a leaf is 0.050 of its size in the leaf editor)"},
    {"TrackBar3", 5, "Height (min) : children start from 5% of the parent's length"},
    {"TrackBar2", 90, "Height (max) : children start up to 90% of the parent's length"},
    {"TrackBar18", 10,
     "Nb of billboards : 10 (each billboard takes the triangles within 10.0 units of its plane; more gives "
     "thinner, more numerous billboards)"},
    {"TrackBar16", 10, "U Scale : 10 (one turn around a branch spans 1.0 × the bark picture's width)"},
    {"TrackBar17", 20, "V Scale : 20 (the bark picture's height spans 50.0 units along a branch)"},
    {"TrackBar19", 50, "Precision : 50 candidate planes tried for each billboard"},
    {"TrackBar21", 7, "Texture Quality : 7 (1.19 pixels per unit of the tree in the billboard pictures)"},
};

class EditorConveniences : public WorkflowTest {
 protected:
  // The tip the slider shows when the mouse rests on it (empty: none).
  QString TipOf(QSlider* slider) {
    QToolTip::hideText();
    QTest::qWait(5);
    const QPoint middle(slider->width() / 2, slider->height() / 2);
    QHelpEvent help(QEvent::ToolTip, middle, slider->mapToGlobal(middle));
    QApplication::sendEvent(slider, &help);
    // A slider without a tip of its own ignores the request.
    return help.isAccepted() ? QToolTip::text() : QString();
  }
  // Rolls the wheel over the 3-D view by `notches` (negative: towards the user).
  void Roll(float notches) {
    QWidget* view = Find<QWidget>("StaticText1");
    const QPointF at(view->width() / 2.0, view->height() / 2.0);
    QWheelEvent wheel(at, view->mapToGlobal(at), QPoint(), QPoint(0, static_cast<int>(notches * 120.0f)),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &wheel);
  }
  float DistanceToTree() {
    const vh::Vector3 d = vh::BoundsCentre(Tree(), vh::kRotationPivot) - window->ViewCamera().position;
    return std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
  }
};

TEST_F(EditorConveniences, TheWheelMovesTheEyeAlongTheViewDirection) {
  if (qobject_cast<TreeView*>(Find<QWidget>("StaticText1")) == nullptr) GTEST_SKIP() << "no OpenGL view";
  vh::Camera& camera = window->ViewCamera();
  const vh::Vector3 start = camera.position;
  const vh::Vector3 forward = camera.forward;
  const float distance = DistanceToTree();
  Roll(1.0f);
  const vh::Vector3 moved = camera.position - start;
  const float travel = moved.x * forward.x + moved.y * forward.y + moved.z * forward.z;
  EXPECT_NEAR(travel, vh::WheelTravel(distance, 1.0f), 1e-3f);
  EXPECT_NEAR(moved.x, travel * forward.x, 1e-3f) << "straight along the view direction";
  EXPECT_NEAR(moved.y, travel * forward.y, 1e-3f);
  EXPECT_NEAR(moved.z, travel * forward.z, 1e-3f);
  EXPECT_TRUE(window->ViewDirty());
  const vh::Vector3 in = camera.position;
  const float closer = DistanceToTree();
  Roll(-1.0f);
  const vh::Vector3 back = camera.position - in;
  EXPECT_NEAR(back.x * forward.x + back.y * forward.y + back.z * forward.z, vh::WheelTravel(closer, -1.0f),
              1e-3f);
  EXPECT_NEAR(camera.position.z, start.z, travel * 0.05f) << "a notch back returns about as far";
}

TEST_F(EditorConveniences, TheWheelStepFollowsTheDistance) {
  if (qobject_cast<TreeView*>(Find<QWidget>("StaticText1")) == nullptr) GTEST_SKIP() << "no OpenGL view";
  vh::Camera& camera = window->ViewCamera();
  const float far = DistanceToTree();
  const vh::Vector3 before = camera.position;
  Roll(1.0f);
  const float farStep = before.z - camera.position.z;
  for (int i = 0; i < 12; ++i) Roll(1.0f);
  const float near = DistanceToTree();
  ASSERT_LT(near, far * 0.3f);
  const float z = camera.position.z;
  Roll(1.0f);
  const float nearStep = z - camera.position.z;
  EXPECT_GT(nearStep, 0.0f);
  EXPECT_LT(nearStep, farStep * 0.4f) << "close to the tree the steps are small";
}

TEST_F(EditorConveniences, SlidersWithoutAValueLabelShowTheirValueInATip) {
  std::size_t tipped = 0;
  for (int page = 0; page < 4; ++page) {
    ShowPage(page);
    for (QSlider* slider : Find<QWidget>("PageControl1")->findChildren<QSlider*>()) {
      if (!slider->isVisible()) continue;
      const std::string name = slider->objectName().toStdString();
      if (std::find(std::begin(kWithoutLabel), std::end(kWithoutLabel), name) == std::end(kWithoutLabel)) {
        EXPECT_TRUE(TipOf(slider).isEmpty()) << name << " has its value label";
        continue;
      }
      ++tipped;
      const auto explained = std::find_if(std::begin(kExplained), std::end(kExplained),
                                          [&](const auto& e) { return name == e.name; });
      if (explained != std::end(kExplained)) {
        slider->setValue(explained->value);
        EXPECT_EQ(TipOf(slider).toStdString(), explained->tip);
        continue;
      }
      EXPECT_EQ(TipOf(slider), QString::number(slider->value())) << name;
      slider->setValue(slider->minimum() + 1);
      EXPECT_EQ(TipOf(slider), QString::number(slider->minimum() + 1)) << name;
    }
  }
  EXPECT_EQ(tipped, std::size(kWithoutLabel));
}

TEST_F(EditorConveniences, TipsFollowValuesLoadedFromADocument) {
  vh::TreeParameters params = State().params;
  params.leafTexRotate = 123;
  State().params = params;
  window->LoadLevelControls();
  ShowPage(1);
  EXPECT_EQ(TipOf(Find<QSlider>("TrackBar12")), "123");
}

TEST_F(EditorConveniences, TheNewSeedButtonRegrowsFromAFreshSeed) {
  auto* seed = Find<QLineEdit>("Edit1");
  const std::vector<float> before = GrownVertexData();
  QTest::mouseClick(Find<QToolButton>("NewSeed"), Qt::LeftButton);
  EXPECT_NE(State().params.seed, 160);
  EXPECT_EQ(seed->text(), QString::number(State().params.seed));
  EXPECT_NE(GrownVertexData(), before);
  Trigger("Undo1");
  EXPECT_EQ(State().params.seed, 160);
  EXPECT_EQ(GrownVertexData(), before);
}

TEST(NewSeed, IsShortAndNeverTheCurrentOne) {
  for (int current : {1, 160, 999999}) {
    for (int i = 0; i < 200; ++i) {
      const int seed = FreshSeed(current);
      EXPECT_NE(seed, current);
      EXPECT_GE(seed, 1);
      EXPECT_LE(seed, 999999);
    }
  }
}

}  // namespace
