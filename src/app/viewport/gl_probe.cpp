#include "app/viewport/gl_probe.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QSurfaceFormat>

namespace {
// Platforms whose windows are composed in software only: a GL widget cannot
// be shown there even when a context can be made (the offscreen platform
// makes GLX contexts when a display is around, then fails to compose).
bool RasterOnlyPlatform() {
  const QString name = QGuiApplication::platformName();
  return name == "offscreen" || name == "minimal" || name == "vnc" || name == "linuxfb";
}
}  // namespace

GlAvailability ProbeOpenGL() {
  if (RasterOnlyPlatform()) return GlAvailability::kNoContext;
  QOpenGLContext context;
  context.setFormat(QSurfaceFormat::defaultFormat());
  if (!context.create()) return GlAvailability::kNoContext;
  QOffscreenSurface surface;
  surface.setFormat(context.format());
  surface.create();
  if (!surface.isValid() || !context.makeCurrent(&surface)) {
    return GlAvailability::kCannotMakeCurrent;
  }
  context.doneCurrent();
  return GlAvailability::kAvailable;
}

QString GlFailureMessage(GlAvailability availability) {
  switch (availability) {
    case GlAvailability::kNoContext:
      return ":-)~ hrc == NULL";
    case GlAvailability::kCannotMakeCurrent:
      return "Could not MakeCurrent";
    case GlAvailability::kAvailable:
      break;
  }
  return QString();
}
