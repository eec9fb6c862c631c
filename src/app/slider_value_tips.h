// Sliders without a value label show their value in a tooltip: while the
// mouse rests on them, and beside the handle while it is dragged.
#pragma once

class QSlider;
class QWidget;

// Gives every slider inside `root` that has no value label beside it (see
// HasLabelAfter) its value tip.
void ShowSliderValues(QWidget* root);

// Gives `slider` its value tip.
void ShowSliderValue(QSlider* slider);
