#include "app/flows/save_changes_prompt.h"

#include <QApplication>
#include <QMessageBox>

namespace {
SaveChangesPrompt& Installed() {
  static SaveChangesPrompt prompt;
  return prompt;
}
}  // namespace

SaveChangesAnswer AskSaveChanges(QWidget* parent, const QString& document) {
  if (Installed()) return Installed()(parent, document);
  QMessageBox box(QMessageBox::Question, QApplication::applicationName(), "Save changes?",
                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
  box.setInformativeText(QString("\"%1\" has changes that are not saved.").arg(document));
  box.setDefaultButton(QMessageBox::Save);
  switch (box.exec()) {
    case QMessageBox::Save:
      return SaveChangesAnswer::kSave;
    case QMessageBox::Discard:
      return SaveChangesAnswer::kDiscard;
    default:
      return SaveChangesAnswer::kCancel;
  }
}

SaveChangesPrompt SetSaveChangesPrompt(SaveChangesPrompt prompt) {
  SaveChangesPrompt previous = std::move(Installed());
  Installed() = std::move(prompt);
  return previous;
}
