// The buttons of the program's windows are tool buttons known by their
// control name (SpeedButton1 ...), with a caption.
#pragma once

#include <QString>
#include <QToolButton>

inline QToolButton* NamedButton(QWidget* parent, const char* name, const QString& caption) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setText(caption);
  return button;
}
