#include "app/widgets/slider_value_tips.h"

#include <QEvent>
#include <QHelpEvent>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolTip>

#include "app/widgets/control_caption.h"
#include "app/widgets/slider_meanings.h"

namespace {

// Above the middle of the slider's handle, in global coordinates.
QPoint HandlePoint(QSlider* slider) {
  const QStyleOptionSlider option = SliderStyleOption(slider);
  const QRect handle =
      slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);
  return slider->mapToGlobal(QPoint(handle.center().x(), handle.top()));
}

// Answers the slider's tooltip request with its value at that moment, so
// that the tip is right however the value was set.
class ValueTip : public QObject {
 public:
  explicit ValueTip(QSlider* slider) : QObject(slider), m_slider(slider) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != m_slider || event->type() != QEvent::ToolTip) return false;
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(),
                       SliderValueText(*m_slider, m_slider->value()), m_slider);
    return true;
  }

 private:
  QSlider* m_slider;
};

}  // namespace

void ShowSliderValue(QSlider* slider) {
  slider->installEventFilter(new ValueTip(slider));
  QObject::connect(slider, &QSlider::sliderMoved, slider, [slider](int position) {
    QToolTip::showText(HandlePoint(slider), SliderValueText(*slider, position), slider);
  });
  QObject::connect(slider, &QSlider::sliderReleased, slider, [] { QToolTip::hideText(); });
}

void ShowSliderValues(QWidget* root) {
  for (QSlider* slider : root->findChildren<QSlider*>()) {
    if (!HasLabelAfter(slider)) ShowSliderValue(slider);
  }
}

QStyleOptionSlider SliderStyleOption(const QSlider* slider) {
  QStyleOptionSlider option;
  option.initFrom(slider);
  option.orientation = slider->orientation();
  option.minimum = slider->minimum();
  option.maximum = slider->maximum();
  option.sliderPosition = slider->sliderPosition();
  option.sliderValue = slider->value();
  return option;
}
