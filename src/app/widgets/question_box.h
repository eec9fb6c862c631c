// Yes-or-no questions go through one seam, so that tests can answer them
// instead of blocking on a modal box.
#pragma once

#include <functional>

#include <QString>

class QWidget;

// Receives every question: its parent window, title and text; returns
// whether the answer is Yes.
using QuestionPrompt = std::function<bool(QWidget* parent, const QString& title, const QString& text)>;

// Asks `text` in a modal question box with Yes (the default) and No (or
// hands it to the installed prompt). Returns whether Yes was chosen.
bool AskYesNo(QWidget* parent, const QString& title, const QString& text);

// Installs `prompt` in place of the modal box and returns the previous one;
// an empty prompt restores the box.
QuestionPrompt SetQuestionPrompt(QuestionPrompt prompt);
