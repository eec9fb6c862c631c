// A caption and a horizontal slider on one row: the common control of the
// right-hand pages, and the rule by which a slider stores its value.
#pragma once

class QGridLayout;
class QSlider;
class QString;

namespace vh {
struct ControlRange;
}

// Adds "caption | slider" as row `row` of `grid` (whose parent widget owns
// both) and returns the slider, named `name`, with the range and position.
QSlider* AddLabelledSlider(QGridLayout* grid, int row, const QString& caption, const char* name, int minimum,
                           int maximum, int position);
// The same for a parameter's slider, with the range and initial position
// of the parameter table.
QSlider* AddLabelledSlider(QGridLayout* grid, int row, const QString& caption, const char* name,
                           const vh::ControlRange& range);

// Stores the slider's position + `offset` into `field` (the slider shows
// field − `offset`). A document may hold values outside the slider's
// range, which the slider shows at the nearest end; such a value is kept
// for as long as the slider still shows it, so that loading the controls
// and storing them back never changes a document the user did not edit.
// Once the user moves the slider, its position counts.
void StoreSlider(const QSlider& slider, int& field, int offset = 0);
