// The view library in a real GL context: display-list names come from GL
// and go back to it, and drawing leaves the caller's GL state alone.
#include <GL/gl.h>

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>

#include "app/viewport/gl_probe.h"
#include "view/ground_plane.h"
#include "view/mesh_drawing.h"
#include "view/viewer.h"

namespace {

class GlDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    if (ProbeOpenGL() != GlAvailability::kAvailable) GTEST_SKIP() << "no OpenGL here";
    ASSERT_TRUE(context.create());
    surface.setFormat(context.format());
    surface.create();
    ASSERT_TRUE(context.makeCurrent(&surface));
    target = std::make_unique<QOpenGLFramebufferObject>(64, 64, QOpenGLFramebufferObject::Depth);
    target->bind();
  }
  void TearDown() override {
    target.reset();
    if (context.isValid()) context.doneCurrent();
  }

  QOpenGLContext context;
  QOffscreenSurface surface;
  std::unique_ptr<QOpenGLFramebufferObject> target;
  vh::DrawListCache lists;
};

TEST_F(GlDrawing, ListNamesComeFromGlAndAreFreedAfterTheSubmeshGoes) {
  auto plane = vh::BuildGroundPlane();
  vh::DrawMesh(lists, *plane, {});
  const vh::CompiledList& list = lists.For(plane->submeshes.front());
  const unsigned name = list.name;
  ASSERT_NE(name, 0u);
  EXPECT_TRUE(glIsList(name));
  EXPECT_TRUE(list.compiled);

  plane.reset();
  EXPECT_TRUE(glIsList(name)) << "freed at the next frame, not by the mesh";
  vh::ReleaseGoneLists(lists);
  EXPECT_FALSE(glIsList(name));
  EXPECT_EQ(lists.Size(), 0u);
}

TEST_F(GlDrawing, TwoMeshesNeverShareAList) {
  auto first = vh::BuildGroundPlane();
  auto second = vh::BuildGroundPlane();
  vh::DrawMesh(lists, *first, {});
  vh::DrawMesh(lists, *second, {true});
  EXPECT_NE(lists.For(first->submeshes.front()).name, lists.For(second->submeshes.front()).name);
  vh::ReleaseAllLists(lists);
  EXPECT_EQ(lists.Size(), 0u);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GlDrawing, DrawMeshRestoresTheCallersState) {
  auto plane = vh::BuildGroundPlane();  // draws with culling off, untextured
  glEnable(GL_CULL_FACE);
  glEnable(GL_TEXTURE_2D);
  glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
  for (int pass = 0; pass < 2; ++pass) {  // compiling, then replaying
    vh::DrawMesh(lists, *plane, {});
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 0.1f);
    EXPECT_FLOAT_EQ(colour[3], 0.4f);
  }
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GlDrawing, FrameOfThePlaneAloneIsWhiteAboveTheHorizonAndGreenBelow) {
  vh::InitViewState();
  auto plane = vh::BuildGroundPlane();
  vh::Camera camera;
  camera.viewportWidth = 64;
  camera.viewportHeight = 64;
  camera.position = vh::kHomePosition;
  vh::RenderFrame(camera, {nullptr, plane.get(), nullptr, true, {}}, lists);
  const QImage frame = target->toImage();
  const QColor sky = frame.pixelColor(32, 2);
  const QColor ground = frame.pixelColor(32, 61);
  EXPECT_EQ(sky, QColor(Qt::white));
  EXPECT_GT(ground.green(), ground.red() + 20);
  EXPECT_GT(ground.green(), ground.blue() + 20);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
