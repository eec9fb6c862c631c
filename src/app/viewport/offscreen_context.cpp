#include "app/viewport/offscreen_context.h"

#include <stdexcept>
#include <string>

#include <QOpenGLFramebufferObject>

#include "app/document/tree_document.h"
#include "app/viewport/view_context.h"
#include "billboard/atlas.h"
#include "view/billboard_renderer.h"
#include "view/viewer.h"

vh::BillboardRenderer ViewContextBillboardRenderer(ViewContext& context, const TreeDocument& document,
                                                   vh::MeshObject& mesh) {
  return [&context, &document, &mesh](const vh::Vector3& v0, const vh::Vector3& v1, const vh::Vector3& v2,
                                      int side) {
    if (side <= 0) return vh::Image();
    vh::Image picture;
    bool framebufferMade = false;
    const bool ran = context.RunInContext([&](vh::DrawListCache& lists) {
      QOpenGLFramebufferObject framebuffer(side, side, QOpenGLFramebufferObject::Depth);
      if (!framebuffer.isValid() || !framebuffer.bind()) return;
      framebufferMade = true;
      picture = vh::RenderBillboardPicture(lists, mesh, {document.Session().wireframe.tree}, v0, v1, v2, side);
      framebuffer.release();
    });
    if (!ran) return vh::KeyColourImage(side, side);
    if (!framebufferMade)
      throw std::runtime_error("The view cannot draw a billboard picture of " + std::to_string(side) + " x " +
                               std::to_string(side) + " pixels; try a lower texture quality.");
    return picture;
  };
}
