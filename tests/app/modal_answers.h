// The program's real modal dialogs answered as a user answers them, for the
// flows whose dialogs must be seen for real rather than through the seams:
// each modal dialog that opens goes to the next step, one that no step is
// left for is cancelled with Escape. A dialog that is shown again after a
// question of its own was answered and destroyed takes the next step again.
#pragma once

#include <deque>
#include <functional>

#include <QMessageBox>
#include <QStringList>
#include <QTimer>

class ModalAnswers {
 public:
  using Step = std::function<void(QWidget* dialog)>;  // must close the dialog
  ModalAnswers();
  ModalAnswers& Then(Step step) {
    steps.push_back(std::move(step));
    return *this;
  }
  std::deque<Step> steps;
  // "title: text" of each dialog seen (a file dialog's text: the name it offered).
  QStringList seen;

 private:
  QTimer m_timer;
  int m_ticksOpenAfterAnswer = 0;
};

ModalAnswers::Step ClickButton(QMessageBox::StandardButton button);
// Puts `fileName` over the name a file dialog offers and presses Return.
ModalAnswers::Step TypeFileName(const QString& fileName);
