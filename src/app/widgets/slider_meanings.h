// What the value of a slider without a value label means, for its tooltip:
// "Density : 40% chance of a leaf at each of the 60 places on a branch"
// rather than a bare "40".
#pragma once

#include <QString>

class QSlider;

// The tooltip text of `slider` at `value`: its caption, the value and what
// the value does, for the sliders that have no value label; the bare value
// for any other.
QString SliderValueText(const QSlider& slider, int value);
