#include "app/gl_probe.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QSurfaceFormat>

GlAvailability ProbeOpenGL() {
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
    case GlAvailability::kNoContext: return ":-)~ hrc == NULL";
    case GlAvailability::kCannotMakeCurrent: return "Could not MakeCurrent";
    case GlAvailability::kAvailable: break;
  }
  return QString();
}
