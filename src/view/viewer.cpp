#include "view/viewer.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <vector>

#include "view/mesh_drawing.h"

namespace vh {
namespace {

const GLfloat kLightDiffuse[] = {0.95f, 0.95f, 0.95f, 1.0f};
const GLfloat kLightPosition[] = {20.0f, 15.0f, 15.0f, 0.0f};  // w = 0: directional
const GLfloat kGlobalAmbient[] = {0.4f, 0.4f, 0.4f, 1.0f};
const GLfloat kMaterialEmission[] = {0.0f, 0.0f, 0.0f, 1.0f};
const GLfloat kMaterialAmbient[] = {0.4f, 0.4f, 0.4f, 1.0f};
const GLfloat kMaterialDiffuse[] = {1.0f, 1.0f, 1.0f, 1.0f};
const GLfloat kMaterialSpecular[] = {0.0f, 0.0f, 0.0f, 1.0f};
const GLfloat kMaterialShininess = 20.0f;

constexpr double kNearPlane = 0.05;

struct FrameMesh {
  const MeshObject* mesh;
  DrawOptions options;
};

// What a frame draws, in drawing order: the tree (unless there is a
// billboard), the ground plane when shown, and the billboard.
std::vector<FrameMesh> FrameMeshes(const FrameContents& contents) {
  const WireframeParts& wireframe = contents.wireframe;
  std::vector<FrameMesh> parts;
  if (contents.billboard == nullptr && contents.tree != nullptr)
    parts.push_back({contents.tree, {wireframe.tree}});
  if (contents.showPlane && contents.groundPlane != nullptr)
    parts.push_back({contents.groundPlane, {wireframe.groundPlane}});
  if (contents.billboard != nullptr) parts.push_back({contents.billboard, {wireframe.billboard}});
  return parts;
}
constexpr double kFarPlane = 10000.0;

}  // namespace

void InitViewState() {
  glEnable(GL_DEPTH_TEST);
  glFrontFace(GL_CW);  // the generator winds front faces clockwise
  glDisable(GL_CULL_FACE);
  glEnable(GL_LIGHTING);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, kLightDiffuse);
  glLightfv(GL_LIGHT0, GL_POSITION, kLightPosition);
  glEnable(GL_LIGHT0);
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, kGlobalAmbient);
  glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
  glEnable(GL_COLOR_MATERIAL);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  glEnable(GL_NORMALIZE);
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
  glShadeModel(GL_SMOOTH);
}

void ApplyCamera(Camera& camera) {
  glViewport(0, 0, camera.viewportWidth, camera.viewportHeight);
  Normalize(camera.up);
  camera.right = Normalized(Cross(camera.forward, camera.up));
  Normalize(camera.forward);

  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(camera.fieldOfView, AspectRatio(camera), kNearPlane, kFarPlane);

  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  const Vector3& eye = camera.position;
  const Vector3 centre = camera.position + camera.focusDistance * camera.forward;
  gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, camera.up.x, camera.up.y, camera.up.z);
}

void BeginFrame(Camera& camera) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  ApplyFrameState(camera);
}

void ApplyFrameState(Camera& camera) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glShadeModel(GL_SMOOTH);
  ApplyCamera(camera);

  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, kMaterialEmission);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, kMaterialAmbient);
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, kMaterialDiffuse);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, kMaterialSpecular);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, kMaterialShininess);
  glLightfv(GL_LIGHT0, GL_POSITION, kLightPosition);  // world space: view matrix is loaded
}

void RenderFrame(Camera& camera, const FrameContents& contents, DrawListCache& lists) {
  ReleaseGoneLists(lists);
  BeginFrame(camera);
  for (const FrameMesh& part : FrameMeshes(contents)) DrawMesh(lists, *part.mesh, part.options);
}

}  // namespace vh

namespace vh {

void SetWireframeBlending(bool billboardMode, bool wireframe) {
  if (billboardMode && wireframe) {
    glBlendFunc(GL_ZERO, GL_SRC_COLOR);
    glDisable(GL_ALPHA_TEST);
  } else {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_ALPHA_TEST);
  }
}

}  // namespace vh
