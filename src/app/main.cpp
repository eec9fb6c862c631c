// The desktop program: the main window, the about box as a splash, then the
// bark tiler, hidden until asked for.
#include <exception>

#include <QSurfaceFormat>

#include "app/about/about_box.h"
#include "app/bark_tiler/bark_tiler_window.h"
#include "app/shell/application.h"
#include "app/shell/main_window.h"
#include "app/shell/start_options.h"
#include "app/viewport/gl_probe.h"
#include "app/viewport/look_preference.h"
#include "app/widgets/message_box.h"

int main(int argc, char** argv) {
  // Fixed-function drawing: a compatibility context with depth and double
  // buffering (the default format gives one on Mesa).
  QSurfaceFormat format;
  format.setDepthBufferSize(24);
  format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
  format.setProfile(QSurfaceFormat::CompatibilityProfile);
  QSurfaceFormat::setDefaultFormat(format);

  Application application(argc, argv);
  try {
    // `--look NAME` starts in that look and keeps it as the user's choice.
    const StartOptions start = ParseStartOptions(QCoreApplication::arguments());
    if (start.look) StoreLook(*start.look);
    MainWindow mainWindow(ProbeOpenGL());
    AboutBox aboutBox;
    mainWindow.SetAboutBox(&aboutBox);
    BarkTilerWindow barkTiler;  // hidden until "Tools" > "Bark tiler"
    mainWindow.SetBarkTiler(&barkTiler);
    mainWindow.show();
    if (!start.problem.isEmpty()) ShowWarning(&mainWindow, start.problem);
    // `verdanthollow DOC.vhm` opens the document as "Open..." would.
    if (!start.document.isEmpty()) mainWindow.OpenDocumentFile(start.document);
    aboutBox.show();
    aboutBox.raise();
    return application.exec();
  } catch (const std::exception& error) {
    ShowWarning(nullptr, QString::fromLocal8Bit(error.what()), "Error");
  }
  return 0;
}
