// A caption and a horizontal slider on one row: the common control of the
// right-hand pages.
#pragma once

class QGridLayout;
class QSlider;
class QString;

namespace vh {
struct ControlRange;
}

// Adds "caption | slider" as row `row` of `grid` (whose parent widget owns
// both) and returns the slider, named `name`, with the range and position.
QSlider* AddLabelledSlider(QGridLayout* grid, int row, const QString& caption, const char* name,
                           int minimum, int maximum, int position);
// The same for a parameter's slider, with the range and initial position
// of the parameter table.
QSlider* AddLabelledSlider(QGridLayout* grid, int row, const QString& caption, const char* name,
                           const vh::ControlRange& range);
