// Sliders without a value label show their value in a tooltip: while the
// mouse rests on them, and beside the handle while it is dragged.
#pragma once

#include <QStyleOptionSlider>

class QSlider;
class QWidget;

// Gives every slider inside `root` that has no value label beside it (see
// HasLabelAfter) its value tip.
void ShowSliderValues(QWidget* root);

// Gives `slider` its value tip.
void ShowSliderValue(QSlider* slider);

// The style option of `slider` as it stands, for asking its style where the
// handle and the groove lie.
QStyleOptionSlider SliderStyleOption(const QSlider* slider);
