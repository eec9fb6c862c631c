// What a control is called on screen, for naming the edits made with it
// ("Undo Trunk width"): the caption beside it in its layout, or its own text.
#pragma once

#include <QString>

class QWidget;

// The text of the label left of `control` in its layout (the same grid row,
// or the previous item of a box layout), without a trailing " :" or " ;".
// Buttons and check boxes are called by their own text; a radio button
// without a caption in its row takes the caption of the row above, followed
// by its text after a colon ("Trunk width: Constant"). Empty when nothing
// names the control.
QString ControlCaption(const QWidget* control);

// Whether a label follows `control` in its layout (a slider's value label:
// the next column of its grid row, or the next item of a box layout).
bool HasLabelAfter(const QWidget* control);
