#include "app/offscreen_context.h"

#include <functional>
#include <stdexcept>
#include <string>

#include <QOpenGLFramebufferObject>

#include "app/editor_host.h"
#include "billboard/atlas.h"
#include "view/billboard_renderer.h"
#include "view/viewer.h"

namespace {

// Draws with `draw` into a framebuffer object of width x height in the
// host's view context; blank without a context.
vh::Image DrawOffscreen(EditorHost& host, int width, int height, const std::function<vh::Image()>& draw) {
  if (width <= 0 || height <= 0) return vh::Image();
  vh::Image picture;
  bool framebufferMade = false;
  const bool ran = host.WithViewContext([&] {
    QOpenGLFramebufferObject framebuffer(width, height, QOpenGLFramebufferObject::Depth);
    if (!framebuffer.isValid() || !framebuffer.bind()) return;
    framebufferMade = true;
    picture = draw();
    framebuffer.release();
  });
  if (!ran) return vh::KeyColourImage(width, height);
  if (!framebufferMade)
    throw std::runtime_error("The view cannot draw a picture of " + std::to_string(width) + " x " +
                             std::to_string(height) + " pixels; try a lower texture quality.");
  return picture;
}

}  // namespace

vh::BillboardRenderer ViewContextBillboardRenderer(EditorHost& host, vh::MeshObject& mesh) {
  return [&host, &mesh](const vh::Vector3& v0, const vh::Vector3& v1, const vh::Vector3& v2, int side) {
    return DrawOffscreen(host, side, side, [&] {
      return vh::RenderBillboardPicture(host.ViewDrawLists(), mesh, {host.Session().wireframe.tree}, v0, v1, v2,
                                        side);
    });
  };
}

vh::PictureRenderer ViewContextLodPictures(EditorHost& host, const vh::MeshObject& mesh) {
  return [&host, &mesh](const vh::PictureFrame& frame) {
    return DrawOffscreen(host, frame.width, frame.height,
                         [&] { return vh::RenderLodPicture(host.ViewDrawLists(), mesh, frame); });
  };
}
