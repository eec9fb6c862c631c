// The "Seed" field (Edit1): wide enough to show every seed it accepts whole.
#pragma once

class QLineEdit;
class QWidget;

// The field, with the text "160", parented to `parent`. It takes any text;
// the page stores the integers among them (a seed is an int, so the widest
// accepted value is "-2147483648"), and its width fits that value in the
// field's font.
QLineEdit* MakeSeedField(QWidget* parent);
