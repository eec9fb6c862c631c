#include "app/widgets/question_box.h"

#include <QMessageBox>

namespace {
QuestionPrompt& Installed() {
  static QuestionPrompt prompt;
  return prompt;
}
}  // namespace

bool AskYesNo(QWidget* parent, const QString& title, const QString& text) {
  if (Installed()) return Installed()(parent, title, text);
  return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
         QMessageBox::Yes;
}

QuestionPrompt SetQuestionPrompt(QuestionPrompt prompt) {
  QuestionPrompt previous = std::move(Installed());
  Installed() = std::move(prompt);
  return previous;
}
