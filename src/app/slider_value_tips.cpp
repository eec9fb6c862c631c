#include "app/slider_value_tips.h"

#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolTip>

#include "app/control_caption.h"

namespace {

// Above the middle of the slider's handle, in global coordinates.
QPoint HandlePoint(QSlider* slider) {
  QStyleOptionSlider option;
  option.initFrom(slider);
  option.orientation = slider->orientation();
  option.minimum = slider->minimum();
  option.maximum = slider->maximum();
  option.sliderPosition = slider->sliderPosition();
  option.sliderValue = slider->value();
  const QRect handle =
      slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);
  return slider->mapToGlobal(QPoint(handle.center().x(), handle.top()));
}

}  // namespace

void ShowSliderValue(QSlider* slider) {
  const auto text = [slider](int value) { return QString::number(value); };
  slider->setToolTip(text(slider->value()));
  QObject::connect(slider, &QSlider::valueChanged, slider,
                   [slider, text](int value) { slider->setToolTip(text(value)); });
  QObject::connect(slider, &QSlider::sliderMoved, slider, [slider, text](int position) {
    QToolTip::showText(HandlePoint(slider), text(position), slider);
  });
  QObject::connect(slider, &QSlider::sliderReleased, slider, [] { QToolTip::hideText(); });
}

void ShowSliderValues(QWidget* root) {
  for (QSlider* slider : root->findChildren<QSlider*>()) {
    if (!HasLabelAfter(slider)) ShowSliderValue(slider);
  }
}
