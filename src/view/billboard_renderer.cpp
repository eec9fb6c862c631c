#include "view/billboard_renderer.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "billboard/billboard_geometry.h"
#include "view/mesh_drawing.h"

namespace vh {
namespace {

const GLfloat kLightPosition[] = {20.0f, 15.0f, 15.0f, 0.0f};  // w = 0: directional
constexpr double kEyeDistance = 10.0;
constexpr double kNear = 0.1;
constexpr double kFar = 100.0;
// Where the eye moves back to take in a nearer triangle, and how far past
// the farthest one the view reaches.
constexpr double kDepthMargin = 1.0;

struct DepthRange {
  double eyeDistance = kEyeDistance;  // from the rectangle's centre along n
  double far = kFar;                  // from the eye
};

// Where the eye must stand so that every visible triangle lies between the
// near and far planes. Clusters often reach well beyond 10 units in front
// of the rectangle's centre: a billboard's square is spanned from the
// bounds of its cluster and the origin, so it need not lie in the
// cluster's plane at all.
DepthRange DepthRangeOf(const MeshObject& mesh, const Vector3& centre, const Vector3& n) {
  double nearest = 0.0, farthest = 0.0;
  for (const auto& submesh : mesh.submeshes)
    for (const Triangle& t : submesh->triangles) {
      if (!t.visible) continue;
      for (std::uint32_t k : {t.a, t.b, t.c}) {
        const double d = Dot(submesh->vertices[k].position - centre, n);
        nearest = std::max(nearest, d);
        farthest = std::min(farthest, d);
      }
    }
  DepthRange range;
  range.eyeDistance = std::max(kEyeDistance, nearest + kDepthMargin);
  range.far = std::max(kFar, range.eyeDistance - farthest + kDepthMargin);
  return range;
}

// Saves everything the picture changes and puts it back on destruction, so
// that the view's next frame (or whoever owns the context) finds its state.
class SavedState {
 public:
  SavedState() {
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_VIEWPORT_BIT | GL_LIGHTING_BIT | GL_TRANSFORM_BIT | GL_ENABLE_BIT);
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

Image RenderPicture(DrawListCache& lists, const MeshObject& mesh, const DrawOptions& options,
                    const Vector3& v0, const Vector3& v1, const Vector3& v2, int width, int height,
                    PictureLighting lighting, const std::vector<KeptSide>& keep) {
  if (keep.size() > kMostKeptSides)
    throw std::invalid_argument("A picture can be cut by " + std::to_string(kMostKeptSides) +
                                " planes, not " + std::to_string(keep.size()));
  if (width <= 0 || height <= 0) return Image();
  const SavedState saved;

  glClearColor(kBillboardKeyColour[0], kBillboardKeyColour[1], kBillboardKeyColour[2],
               kBillboardKeyColour[3]);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glShadeModel(GL_SMOOTH);

  const Vector3 n = Normalized(Cross(v1 - v0, v2 - v0));
  const Vector3 centre = (v0 + v2) * 0.5f;
  const DepthRange depth = DepthRangeOf(mesh, centre, n);
  const Vector3 eye = centre + n * static_cast<float>(depth.eyeDistance);
  const Vector3 up = Normalized(v1 - v0);
  const double rectangleWidth = Length(v2 - v1);
  const double rectangleHeight = Length(v1 - v0);

  glViewport(0, 0, width, height);
  glOrtho(-rectangleWidth / 2, rectangleWidth / 2, -rectangleHeight / 2, rectangleHeight / 2, kNear,
          depth.far);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, up.x, up.y, up.z);
  if (lighting == PictureLighting::kUnlit) {
    glDisable(GL_LIGHTING);
  } else {
    glLightfv(GL_LIGHT0, GL_POSITION, kLightPosition);  // world space: the view matrix is loaded
  }
  // Clip planes are given with the view matrix loaded, so in world space.
  for (std::size_t i = 0; i < keep.size(); ++i) {
    const GLdouble plane[4] = {keep[i].normal.x, keep[i].normal.y, keep[i].normal.z, keep[i].offset};
    const auto name = static_cast<GLenum>(GL_CLIP_PLANE0 + i);
    glClipPlane(name, plane);
    glEnable(name);
  }

  // Every face: a cluster may hold the far side of a branch whose near side
  // went to another billboard.
  DrawOptions allFaces = options;
  allFaces.allFaces = true;
  DrawMesh(lists, mesh, allFaces);

  const auto rowBytes = static_cast<std::size_t>(width) * 4;
  std::vector<std::uint8_t> rgba(rowBytes * static_cast<std::size_t>(height));
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());

  Image picture(width, height, 3);
  for (int y = 0; y < height; ++y) {
    // GL's first row is the bottom one; pictures store the top row first.
    const std::uint8_t* source = rgba.data() + static_cast<std::size_t>(height - 1 - y) * rowBytes;
    std::uint8_t* target = picture.Row(y);
    for (int x = 0; x < width; ++x) {
      target[3 * x + 0] = source[4 * x + 0];
      target[3 * x + 1] = source[4 * x + 1];
      target[3 * x + 2] = source[4 * x + 2];
    }
  }
  return picture;
}

Image RenderLodPicture(DrawListCache& lists, const MeshObject& mesh, const PictureFrame& frame) {
  return RenderPicture(lists, mesh, {}, frame.v0, frame.v1, frame.v2, frame.width, frame.height,
                       PictureLighting::kUnlit, frame.keep);
}

Image RenderBillboardPicture(DrawListCache& lists, const MeshObject& mesh, const DrawOptions& options,
                             const Vector3& v0, const Vector3& v1, const Vector3& v2, int side) {
  return RenderPicture(lists, mesh, options, v0, v1, v2, side, side, PictureLighting::kViewLight);
}

}  // namespace vh
