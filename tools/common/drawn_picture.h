// What the picture tools share: a mesh drawn standing on the ground plane,
// as the viewer draws it, read back from the bound framebuffer.
#pragma once

#include <GL/gl.h>

#include <QImage>
#include <chrono>
#include <memory>
#include <thread>

#include "view/buffered_scene.h"
#include "view/draw_list_cache.h"
#include "view/ground_plane.h"
#include "view/realistic_renderer.h"
#include "view/viewer.h"

namespace vh::tools {

// The framebuffer bound, at the camera's viewport size, top row first.
inline QImage ReadPicture(const Camera& camera) {
  glFinish();
  const int width = camera.viewportWidth, height = camera.viewportHeight;
  QImage picture(width, height, QImage::Format_RGBA8888);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, picture.bits());
  return picture.mirrored(false, true).convertToFormat(QImage::Format_RGB32);
}

// `mesh` on the ground plane seen by `camera`, drawn into the framebuffer
// bound at the camera's viewport size: in the classic look through the
// display lists `lists`, or, given a ready `realistic` renderer, in the
// realistic look through the view's buffers at full detail, as the program
// draws it.
inline QImage DrawnPicture(const MeshObject& mesh, Camera& camera, DrawListCache& lists,
                           RealisticRenderer* realistic = nullptr) {
  const std::unique_ptr<MeshObject> plane = BuildGroundPlane();
  FrameContents contents;
  contents.tree = &mesh;
  contents.groundPlane = plane.get();
  contents.showPlane = true;
  if (realistic == nullptr) {
    RenderFrame(camera, contents, lists);
    return ReadPicture(camera);
  }
  constexpr double kWholeTree = 1e9;  // no frame budget: full detail
  BufferedScene scene;                // client arrays: drawn once
  scene.SetLook(realistic);
  scene.DrawWithinBudget(camera, contents, kWholeTree);  // starts preparing a large tree
  while (scene.Pump(PacingClock::now() + std::chrono::milliseconds(50)))
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  scene.DrawWithinBudget(camera, contents, kWholeTree);
  QImage picture = ReadPicture(camera);
  scene.ReleaseGl();
  return picture;
}

}  // namespace vh::tools
