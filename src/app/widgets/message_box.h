// Message boxes go through one seam, so that tests can record them instead
// of blocking on a modal dialog.
#pragma once

#include <functional>

#include <QString>

class QWidget;

// What a message tells: something to know, or a failure.
enum class MessageKind { kInformation, kWarning };

// Receives every message the program shows: its parent window, kind, title
// and text.
using MessageSink =
    std::function<void(QWidget* parent, MessageKind kind, const QString& title, const QString& text)>;

// Shows `text` in a modal information box (or hands it to the installed
// sink). The title defaults to the application's name.
void ShowMessage(QWidget* parent, const QString& text, const QString& title = QString());

// Shows a failure: `text` in a modal box with the warning icon (or hands it
// to the installed sink).
void ShowWarning(QWidget* parent, const QString& text, const QString& title = QString());

// Installs `sink` in place of the modal box and returns the previous one;
// an empty sink restores the box.
MessageSink SetMessageSink(MessageSink sink);
