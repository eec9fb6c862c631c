// What the picture tools share: a mesh drawn standing on the ground plane,
// as the viewer draws it, read back from the bound framebuffer.
#pragma once

#include <GL/gl.h>

#include <QImage>
#include <memory>

#include "view/draw_list_cache.h"
#include "view/ground_plane.h"
#include "view/viewer.h"

namespace vh::tools {

// `mesh` on the ground plane seen by `camera`, drawn into the framebuffer
// bound at the camera's viewport size; the picture's top row first.
inline QImage DrawnPicture(const MeshObject& mesh, Camera& camera, DrawListCache& lists) {
  const std::unique_ptr<MeshObject> plane = BuildGroundPlane();
  FrameContents contents;
  contents.tree = &mesh;
  contents.groundPlane = plane.get();
  contents.showPlane = true;
  RenderFrame(camera, contents, lists);
  glFinish();
  const int width = camera.viewportWidth, height = camera.viewportHeight;
  QImage picture(width, height, QImage::Format_RGBA8888);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, picture.bits());
  return picture.mirrored(false, true).convertToFormat(QImage::Format_RGB32);
}

}  // namespace vh::tools
