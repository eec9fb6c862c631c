#include "app/shell/application.h"

#include <exception>

#include "app/widgets/message_box.h"

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName("Verdanthollow");
  // No display name: the platform would append it to every window title,
  // and each window's caption must read exactly as given.
  setApplicationVersion("2.0");
}

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    ShowWarning(activeWindow(), QString::fromLocal8Bit(error.what()), "Error");
  }
  return false;
}
