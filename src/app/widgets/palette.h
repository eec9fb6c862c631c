// The colours of the main window: one flat background for the window, its
// panels and its owner-drawn tabs, and one text colour.
#pragma once

#include <QColor>
#include <QPalette>
#include <QWidget>

inline const QColor kWindowColour(165, 216, 175);
inline const QColor kTextColour(45, 77, 66);

// Gives `widget` the flat window background (filled behind its children)
// and the window's text colour.
inline void ApplyWindowColours(QWidget* widget) {
  QPalette colours = widget->palette();
  colours.setColor(QPalette::Window, kWindowColour);
  colours.setColor(QPalette::WindowText, kTextColour);
  widget->setPalette(colours);
  widget->setAutoFillBackground(true);
}
