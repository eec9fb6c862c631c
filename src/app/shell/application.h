// The application object: an exception that escapes an event handler is
// shown in a message box and the program carries on.
#pragma once

#include <QApplication>

class Application : public QApplication {
  Q_OBJECT
 public:
  Application(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};
