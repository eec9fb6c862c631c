// The program's real modal dialogs answered as a user answers them: the
// message boxes clicked, file names typed into the file dialog. For the
// flows whose dialogs must be seen for real rather than through the seams.
#pragma once

#include <deque>
#include <functional>

#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>

class ModalAnswers : public QObject {
 public:
  // Handles one modal dialog; it must close it.
  using Step = std::function<void(QWidget* dialog)>;

  // Watches for modal dialogs from now until destroyed. A dialog that no
  // step is left for is rejected and counted in `unexpected`.
  ModalAnswers();

  ModalAnswers& Then(Step step);

  // One entry per dialog answered: its title, then its text (a message
  // box) or the name it offered (a file dialog), "title: text".
  QStringList seen;
  int unexpected = 0;

 private:
  void Poll();
  std::deque<Step> steps_;
  QTimer timer_;
};

// Clicks `button` of a message box.
ModalAnswers::Step ClickButton(QMessageBox::StandardButton button);
// Types `fileName` over the name a file dialog offers and presses Return.
ModalAnswers::Step TypeFileName(const QString& fileName);
// Presses Escape.
ModalAnswers::Step PressEscape();
