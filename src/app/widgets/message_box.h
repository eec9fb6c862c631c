// Message boxes go through one seam, so that tests can record them instead
// of blocking on a modal dialog.
#pragma once

#include <functional>

#include <QString>

class QWidget;

// Receives every message the program shows: its parent window, title and text.
using MessageSink = std::function<void(QWidget* parent, const QString& title, const QString& text)>;

// Shows `text` in a modal information box (or hands it to the installed sink).
void ShowMessage(QWidget* parent, const QString& text, const QString& title = QString());

// Installs `sink` in place of the modal box and returns the previous one;
// an empty sink restores the box.
MessageSink SetMessageSink(MessageSink sink);
