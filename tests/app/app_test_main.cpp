// Entry of the GUI test programs: the application object must exist before
// any widget, and on the platform the program was built to test.
#include <gtest/gtest.h>

#include <QSettings>
#include <QSurfaceFormat>
#include <QTemporaryDir>

#include "app/shell/application.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();  // listing needs no display
  // The offscreen program always runs offscreen; the main one defaults to
  // the X11 platform (a virtual display under xvfb-run).
  if (qstrcmp(VH_TEST_PLATFORM, "offscreen") == 0 || qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", VH_TEST_PLATFORM);
  }
  QSurfaceFormat format;
  format.setDepthBufferSize(24);
  format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
  format.setProfile(QSurfaceFormat::CompatibilityProfile);
  QSurfaceFormat::setDefaultFormat(format);
  Application application(argc, argv);
  // Settings the program keeps between runs (the recent documents) go to a
  // scratch folder, never to the settings of whoever runs the tests.
  QTemporaryDir settings;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
  return RUN_ALL_TESTS();
}
