#include "view/billboard_renderer.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdint>
#include <vector>

#include "billboard/billboard_geometry.h"
#include "view/mesh_drawing.h"

namespace vh {
namespace {

const GLfloat kLightPosition[] = {20.0f, 15.0f, 15.0f, 0.0f};  // w = 0: directional
constexpr double kEyeDistance = 10.0;
constexpr double kNear = 0.1;
constexpr double kFar = 100.0;

// Saves everything the picture changes and puts it back on destruction, so
// that the view's next frame (or whoever owns the context) finds its state.
class SavedState {
 public:
  SavedState() {
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_VIEWPORT_BIT | GL_LIGHTING_BIT | GL_TRANSFORM_BIT);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
  }
  ~SavedState() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopClientAttrib();
    glPopAttrib();  // also selects the matrix mode that was current
  }
  SavedState(const SavedState&) = delete;
  SavedState& operator=(const SavedState&) = delete;
};

}  // namespace

Image RenderBillboardPicture(DrawListCache& lists, const MeshObject& mesh, const DrawOptions& options,
                             const Vector3& v0, const Vector3& v1, const Vector3& v2, int side) {
  if (side <= 0) return Image();
  const SavedState saved;

  glClearColor(kBillboardKeyColour[0], kBillboardKeyColour[1], kBillboardKeyColour[2], kBillboardKeyColour[3]);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glShadeModel(GL_SMOOTH);

  const Vector3 n = Normalized(Cross(v1 - v0, v2 - v0));
  const Vector3 centre = (v0 + v2) * 0.5f;
  const Vector3 eye = centre + n * static_cast<float>(kEyeDistance);
  const Vector3 up = Normalized(v1 - v0);
  const double width = Length(v2 - v1);
  const double height = Length(v1 - v0);

  glViewport(0, 0, side, side);
  glOrtho(-width / 2, width / 2, -height / 2, height / 2, kNear, kFar);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, up.x, up.y, up.z);
  glLightfv(GL_LIGHT0, GL_POSITION, kLightPosition);  // world space: the view matrix is loaded

  DrawMesh(lists, mesh, options);

  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(side) * static_cast<std::size_t>(side) * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, side, side, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());

  Image picture(side, side, 3);
  for (int y = 0; y < side; ++y) {
    // GL's first row is the bottom one; pictures store the top row first.
    const std::uint8_t* source = rgba.data() + static_cast<std::size_t>(side - 1 - y) * side * 4;
    std::uint8_t* target = picture.Row(y);
    for (int x = 0; x < side; ++x) {
      target[3 * x + 0] = source[4 * x + 0];
      target[3 * x + 1] = source[4 * x + 1];
      target[3 * x + 2] = source[4 * x + 2];
    }
  }
  return picture;
}

}  // namespace vh
