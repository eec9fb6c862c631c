#include "app/viewport/offscreen_context.h"

#include <functional>
#include <stdexcept>
#include <string>

#include <QOpenGLFramebufferObject>

#include "app/document/tree_document.h"
#include "app/viewport/view_context.h"
#include "billboard/atlas.h"
#include "view/billboard_renderer.h"
#include "view/viewer.h"

namespace {

// Draws with `draw`, given the context's display lists, into a framebuffer
// object of width x height in the view's context; blank without a context.
vh::Image DrawOffscreen(ViewContext& context, int width, int height,
                        const std::function<vh::Image(vh::DrawListCache& lists)>& draw) {
  if (width <= 0 || height <= 0) return vh::Image();
  vh::Image picture;
  bool framebufferMade = false;
  const bool ran = context.RunInContext([&](vh::DrawListCache& lists) {
    QOpenGLFramebufferObject framebuffer(width, height, QOpenGLFramebufferObject::Depth);
    if (!framebuffer.isValid() || !framebuffer.bind()) return;
    framebufferMade = true;
    picture = draw(lists);
    framebuffer.release();
  });
  if (!ran) return vh::KeyColourImage(width, height);
  if (!framebufferMade)
    throw std::runtime_error("The view cannot draw a picture of " + std::to_string(width) + " x " +
                             std::to_string(height) + " pixels; try a lower texture quality.");
  return picture;
}

}  // namespace

vh::BillboardRenderer ViewContextBillboardRenderer(ViewContext& context, const TreeDocument& document,
                                                   vh::MeshObject& mesh) {
  return [&context, &document, &mesh](const vh::Vector3& v0, const vh::Vector3& v1, const vh::Vector3& v2,
                                      int side) {
    return DrawOffscreen(context, side, side, [&](vh::DrawListCache& lists) {
      return vh::RenderBillboardPicture(lists, mesh, {document.State().wireframe.tree}, v0, v1, v2, side);
    });
  };
}

vh::PictureRenderer ViewContextLodPictures(ViewContext& context, const vh::MeshObject& mesh) {
  return [&context, &mesh](const vh::PictureFrame& frame) {
    return DrawOffscreen(context, frame.width, frame.height,
                         [&](vh::DrawListCache& lists) { return vh::RenderLodPicture(lists, mesh, frame); });
  };
}
