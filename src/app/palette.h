// The colours of the main window: one flat background for the window, its
// panels and its owner-drawn tabs, and one text colour.
#pragma once

#include <QColor>

inline const QColor kWindowColour(165, 216, 175);
inline const QColor kTextColour(45, 77, 66);
