// Text fields take the keys they type with, not the window's shortcuts:
// Ctrl+Z undoes the document rather than the field's typing, Ctrl+E exports.
#pragma once

class QWidget;

// From now on every text field inside `window` gives up the key
// combinations of the window's enabled actions, which then trigger.
void LetShortcutsPassTextFields(QWidget* window);
