#include "modal_answers.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>

namespace {
// Marks a dialog that was handed to a step: a later dialog may take the
// same address, never the mark.
const char* const kAnswered = "vhAnsweredByTest";

QString Describe(QWidget* dialog) {
  if (auto* box = qobject_cast<QMessageBox*>(dialog)) return dialog->windowTitle() + ": " + box->text();
  if (auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit")) return dialog->windowTitle() + ": " + edit->text();
  return dialog->windowTitle();
}
}  // namespace

ModalAnswers::ModalAnswers() {
  timer_.setInterval(20);
  connect(&timer_, &QTimer::timeout, this, &ModalAnswers::Poll);
  timer_.start();
}

ModalAnswers& ModalAnswers::Then(Step step) {
  steps_.push_back(std::move(step));
  return *this;
}

void ModalAnswers::Poll() {
  QWidget* dialog = QApplication::activeModalWidget();
  if (dialog == nullptr || dialog->property(kAnswered).toBool() || !dialog->isVisible()) return;
  dialog->setProperty(kAnswered, true);
  seen << Describe(dialog);
  if (steps_.empty()) {
    ++unexpected;
    QTest::keyClick(dialog, Qt::Key_Escape);
    return;
  }
  const Step step = std::move(steps_.front());
  steps_.pop_front();
  step(dialog);
}

ModalAnswers::Step ClickButton(QMessageBox::StandardButton button) {
  return [button](QWidget* dialog) {
    auto* box = qobject_cast<QMessageBox*>(dialog);
    QAbstractButton* target = box != nullptr ? box->button(button) : nullptr;
    if (target == nullptr) {
      ADD_FAILURE() << "no such button in " << Describe(dialog).toStdString();
      QTest::keyClick(dialog, Qt::Key_Escape);
      return;
    }
    QTest::mouseClick(target, Qt::LeftButton);
  };
}

ModalAnswers::Step TypeFileName(const QString& fileName) {
  return [fileName](QWidget* dialog) {
    auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
    if (edit == nullptr) {
      ADD_FAILURE() << "not a file dialog: " << Describe(dialog).toStdString();
      QTest::keyClick(dialog, Qt::Key_Escape);
      return;
    }
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, fileName);
    QTest::keyClick(edit, Qt::Key_Return);
  };
}

ModalAnswers::Step PressEscape() {
  return [](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); };
}
