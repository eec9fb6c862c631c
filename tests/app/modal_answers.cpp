#include "modal_answers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTest>

ModalAnswers::ModalAnswers() {
  // A dialog answered is marked: a later one may take its address, never the mark.
  QObject::connect(&m_timer, &QTimer::timeout, [this] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr || !dialog->isVisible()) return;
    if (dialog->property("answered").toBool()) {
      // A dialog that stays open after its answer would hold the test
      // forever: after a few seconds it is cancelled, so the test fails.
      if (++m_ticksOpenAfterAnswer > 250) QTest::keyClick(dialog, Qt::Key_Escape);
      return;
    }
    m_ticksOpenAfterAnswer = 0;
    dialog->setProperty("answered", true);
    // A dialog that asked a question of its own (a save dialog's "already
    // exists") takes the next step again once the question is gone: not
    // as soon as it is hidden, while the dialog may still be acting on the
    // answer (closing after a Yes).
    for (QWidget* outer = dialog->parentWidget(); outer != nullptr; outer = outer->parentWidget()) {
      if (outer->property("answered").toBool())
        QObject::connect(dialog, &QObject::destroyed, outer,
                         [outer] { outer->setProperty("answered", false); });
    }
    auto* box = qobject_cast<QMessageBox*>(dialog);
    auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    seen << dialog->windowTitle() + ": " +
                (box != nullptr    ? box->text()
                 : name != nullptr ? name->text()
                                   : "");
    if (steps.empty()) return QTest::keyClick(dialog, Qt::Key_Escape);
    const Step step = std::move(steps.front());
    steps.pop_front();
    // Run from a timer of its own: an answer that opens a question of the
    // dialog's own waits in that question's loop, where this timer must go
    // on looking for dialogs (Qt does not reenter a timer's handler).
    QTimer::singleShot(0, dialog, [step, dialog] { step(dialog); });
  });
  m_timer.start(20);
}

ModalAnswers::Step ClickButton(QMessageBox::StandardButton button) {
  return [button](QWidget* dialog) {
    auto* box = qobject_cast<QMessageBox*>(dialog);
    if (box == nullptr || box->button(button) == nullptr) return QTest::keyClick(dialog, Qt::Key_Escape);
    QTest::mouseClick(box->button(button), Qt::LeftButton);
  };
}

ModalAnswers::Step TypeFileName(const QString& fileName) {
  return [fileName](QWidget* dialog) {
    auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
    if (edit == nullptr) return QTest::keyClick(dialog, Qt::Key_Escape);
    // The name is put in whole rather than typed key by key: typed, a long
    // path opens the field's completion list, which takes the Return for
    // itself whenever the folder holds a matching name.
    edit->setText(fileName);
    QTest::keyClick(edit, Qt::Key_Return);
  };
}
