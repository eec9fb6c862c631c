// "Save changes?" before a changed document is replaced or the program
// ends. The question goes through one seam, so that tests can answer it
// instead of blocking on a modal box.
#pragma once

#include <functional>

#include <QString>

class QWidget;

enum class SaveChangesAnswer { kSave, kDiscard, kCancel };

// Receives every question: the parent window and the document's name.
using SaveChangesPrompt = std::function<SaveChangesAnswer(QWidget* parent, const QString& document)>;

// Asks whether the changes of `document` are to be saved: Save, Discard
// or Cancel in a modal box (or the installed prompt's answer).
SaveChangesAnswer AskSaveChanges(QWidget* parent, const QString& document);

// Installs `prompt` in place of the modal box and returns the previous
// one; an empty prompt restores the box.
SaveChangesPrompt SetSaveChangesPrompt(SaveChangesPrompt prompt);
