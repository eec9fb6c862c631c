// The mouse wheel over the parameter pages scrolls them; a slider takes
// wheel steps only when it has the focus, so that scrolling never moves a
// parameter (and regrows the tree) by passing over its slider.
#include <QtTest/qtestspontaneevent.h>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QWheelEvent>

#include "app_test_support.h"

namespace {

// One notch of the wheel turned towards the user over `widget`'s centre,
// delivered as the window system's events are (spontaneous, so that an
// event the widget ignores travels on to its parents).
void TurnWheelDown(QWidget* widget) {
  const QPointF centre = QRectF(widget->rect()).center();
  QWheelEvent event(centre, widget->mapToGlobal(centre), QPoint(), QPoint(0, -120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QSpontaneKeyEvent::setSpontaneous(&event);
  qApp->notify(widget, &event);
}

class MouseWheel : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    window->resize(window->minimumSize());  // too low for the whole "Branches" page
    QTest::qWait(50);
    bar = Find<QScrollArea>("ScrollBox1")->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0) << "the page must be taller than its view for this test";
    ASSERT_EQ(bar->value(), 0);
  }
  // Moves the focus to the "Seed" field, away from every slider.
  void FocusSeed() {
    auto* seed = Find<QLineEdit>("Edit1");
    seed->setFocus();
    ASSERT_TRUE(seed->hasFocus());
  }
  void TakeFocusFrom(QSlider* slider) {
    slider->clearFocus();
    ASSERT_FALSE(slider->hasFocus());
  }
  QScrollBar* bar = nullptr;
};

TEST_F(MouseWheel, OverAnUnfocusedSliderScrollsThePage) {
  FocusSeed();
  auto* slider = Find<QSlider>("sizeDecrease");
  const int position = slider->value();
  const vh::TreeParameters params = State().params;
  const std::size_t vertices = Tree().VertexCount();
  TurnWheelDown(slider);
  EXPECT_EQ(slider->value(), position);
  EXPECT_EQ(State().params, params);
  EXPECT_EQ(Tree().VertexCount(), vertices);
  EXPECT_GT(bar->value(), 0) << "the page scrolled";
}

TEST_F(MouseWheel, FocusedSliderTakesTheStep) {
  auto* slider = Find<QSlider>("sizeDecrease");
  slider->setFocus();
  ASSERT_TRUE(slider->hasFocus());
  const int position = slider->value();
  TurnWheelDown(slider);
  EXPECT_NE(slider->value(), position);
  EXPECT_EQ(State().params.levels[0].sizeDecrease, slider->value());
  EXPECT_EQ(bar->value(), 0) << "the page stays";
}

TEST_F(MouseWheel, SlidersOfTheOtherPagesKeepTheirValues) {
  const struct {
    int page;
    const char* slider;
  } cases[] = {{1, "TrackBar11"}, {1, "TrackBar15"}, {2, "TrackBar16"}, {3, "TrackBar18"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.slider);
    Find<QTabWidget>("PageControl1")->setCurrentIndex(c.page);
    auto* slider = Find<QSlider>(c.slider);
    TakeFocusFrom(slider);
    const int position = slider->value();
    const vh::TreeParameters params = State().params;
    TurnWheelDown(slider);
    EXPECT_EQ(slider->value(), position);
    EXPECT_EQ(State().params, params);
  }
}

}  // namespace
