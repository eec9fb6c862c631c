#include "view/mesh_drawing.h"

#include <GL/gl.h>

#include <vector>

#include "view/submesh_drawing.h"
#include "view/texture_upload.h"

namespace vh {
namespace {

// The real back end of DrawSubmeshWith: thin forwarding to OpenGL 1.1.
struct ContextGl {
  unsigned GenList() { return glGenLists(1); }
  void NewList(unsigned name) { glNewList(name, GL_COMPILE_AND_EXECUTE); }
  void CompileList(unsigned name) { glNewList(name, GL_COMPILE); }
  void EndList() { glEndList(); }
  void CallList(unsigned name) { glCallList(name); }
  void SetCulling(bool enabled) {
    if (enabled) {
      glEnable(GL_CULL_FACE);
    } else {
      glDisable(GL_CULL_FACE);
    }
  }
  void EnableTexture(int textureName) {
    glEnable(GL_TEXTURE_2D);
    // Material numbers map to generated names (the lowest GL names belong
    // to the window system's compositor in a shared context).
    glBindTexture(GL_TEXTURE_2D, TextureObjectName(static_cast<unsigned>(textureName)));
  }
  void DisableTexture() { glDisable(GL_TEXTURE_2D); }
  void Begin(Primitive primitive) {
    switch (primitive) {
      case Primitive::kLineStrip:
        glBegin(GL_LINE_STRIP);
        break;
      case Primitive::kTriangleStrip:
        glBegin(GL_TRIANGLE_STRIP);
        break;
      case Primitive::kTriangles:
        glBegin(GL_TRIANGLES);
        break;
    }
  }
  void End() { glEnd(); }
  void Color4(float r, float g, float b, float a) { glColor4f(r, g, b, a); }
  void Color3(float r, float g, float b) { glColor3f(r, g, b); }
  void TexCoord2(float u, float v) { glTexCoord2f(u, v); }
  void Normal3(float x, float y, float z) { glNormal3f(x, y, z); }
  void Vertex3(float x, float y, float z) { glVertex3f(x, y, z); }
};

void DeleteLists(const std::vector<unsigned>& names) {
  for (unsigned name : names) glDeleteLists(name, 1);
}

}  // namespace

void DrawMesh(DrawListCache& lists, const MeshObject& mesh, const DrawOptions& options) {
  glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT | GL_HINT_BIT);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
  ContextGl gl;
  for (const auto& submesh : mesh.submeshes) DrawSubmeshWith(gl, *submesh, options, lists.For(submesh));
  glPopAttrib();
}

void ReleaseGoneLists(DrawListCache& lists) { DeleteLists(lists.TakeGone()); }

void ReleaseAllLists(DrawListCache& lists) { DeleteLists(lists.TakeAll()); }

}  // namespace vh
