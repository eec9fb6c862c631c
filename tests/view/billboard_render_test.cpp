// Billboard pictures drawn for real in an OpenGL context without a display:
// orientation, the key colour, hidden triangles, the state left behind, the
// billboard texture upload and a whole cloud built with real pictures.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>
#include <memory>
#include <stdexcept>
#include <vector>

#include "billboard/atlas.h"
#include "billboard/billboard_cloud.h"
#include "view/billboard_renderer.h"
#include "view/billboard_texture.h"
#include "view/headless_gl.h"
#include "view/texture_upload.h"
#include "view/viewer.h"

namespace vh {
namespace {

// An axis-aligned square in the plane z = `z`, coloured `colour`.
std::shared_ptr<Submesh> Square(float x0, float y0, float x1, float y1, float z,
                                int texture = kLeafMaterial) {
  auto submesh = std::make_shared<Submesh>();
  for (const Vector3& p : {Vector3{x0, y0, z}, Vector3{x1, y0, z}, Vector3{x1, y1, z}, Vector3{x0, y1, z}}) {
    Vertex v(p);
    v.colour = {0.9f, 0.8f, 0.1f};
    v.normal = {0.0f, 0.0f, -1.0f};
    v.hasColour = true;
    submesh->vertices.push_back(v);
  }
  // Split along the diagonal 1-3, so that no triangle's P2 - P0 runs along
  // the box diagonal V0-V2 (the quad's orientation would then be undefined).
  submesh->triangles = {{0, 1, 3, true}, {1, 2, 3, true}};
  submesh->texture = texture;
  submesh->strip = false;
  return submesh;
}

class BillboardRender : public ::testing::Test {
 protected:
  void SetUp() override {
    gl = std::make_unique<HeadlessGl>();
    InitViewState();
  }
  // The billboard square (-10, -10)..(10, 10) in the plane z = 0, seen from
  // z = -10: its normal (V1 - V0) x (V2 - V0) points along -z, up is +y, so
  // world +x appears on the left of the picture.
  Image Render(MeshObject& mesh, int side) {
    gl->BindFramebuffer(side, side);
    return RenderBillboardPicture(lists, mesh, {}, {-10, -10, 0}, {-10, 10, 0}, {10, 10, 0}, side);
  }
  std::unique_ptr<HeadlessGl> gl;
  DrawListCache lists;  // of the context; they go with it
};

bool IsKey(const Image& picture, int x, int y) { return IsKeyColour(picture.At(x, y)); }

int CoveredPixels(const Image& picture) {
  int covered = 0;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) covered += IsKey(picture, x, y) ? 0 : 1;
  return covered;
}

TEST_F(BillboardRender, ClusterAppearsWhereTheOrthographicViewPutsIt) {
  MeshObject mesh;
  // x 2..8 and y 2..8: the picture's columns (10 - x) / 20 * 64 = 6.4..25.6
  // and rows (10 - y) / 20 * 64 = 6.4..25.6, its top-left quarter.
  mesh.submeshes.push_back(Square(2, 2, 8, 8, 0));
  const Image picture = Render(mesh, 64);
  ASSERT_EQ(picture.width, 64);
  ASSERT_EQ(picture.height, 64);
  ASSERT_EQ(picture.channels, 3);
  EXPECT_FALSE(IsKey(picture, 16, 16));
  EXPECT_TRUE(IsKey(picture, 48, 16)) << "mirrored left to right";
  EXPECT_TRUE(IsKey(picture, 16, 48)) << "upside down";
  EXPECT_TRUE(IsKey(picture, 48, 48));
  const int covered = CoveredPixels(picture);
  EXPECT_GE(covered, 18 * 18);
  EXPECT_LE(covered, 21 * 21);
  // Uncovered pixels are exactly the key colour, to the byte.
  const std::uint8_t* corner = picture.At(63, 63);
  EXPECT_EQ((std::array<int, 3>{corner[0], corner[1], corner[2]}), (std::array<int, 3>{50, 134, 40}));
}

TEST_F(BillboardRender, HiddenTrianglesAreNotDrawn) {
  MeshObject mesh;
  mesh.submeshes.push_back(Square(-8, -8, 8, 8, 0));
  EXPECT_GT(CoveredPixels(Render(mesh, 32)), 0);
  for (Triangle& triangle : mesh.submeshes[0]->triangles) triangle.visible = false;
  ++mesh.submeshes[0]->revision;
  EXPECT_EQ(CoveredPixels(Render(mesh, 32)), 0);
}

TEST_F(BillboardRender, EveryVisibleTriangleIsDrawnHoweverFarFromTheSquare) {
  // A billboard's square need not lie in its cluster's plane: its
  // triangles may lie well before it (beyond the eye's usual 10 units) or
  // far behind it, and are drawn all the same.
  MeshObject mesh;
  mesh.submeshes.push_back(Square(-8, -8, 0, 0, -30.0f));  // 30 units before the square
  mesh.submeshes.push_back(Square(0, 0, 8, 8, 195.0f));    // 195 units behind it
  const Image picture = Render(mesh, 32);
  EXPECT_FALSE(IsKey(picture, 20, 20)) << "the square before the eye";
  EXPECT_FALSE(IsKey(picture, 12, 12)) << "the square past the usual far plane";
  EXPECT_GE(CoveredPixels(picture), 2 * 12 * 12);
}

TEST_F(BillboardRender, LodPicturesShowOnlyWhatTheirKeptSidesHold) {
  // One square across the picture, cut by the plane x = 2 (world +x shows
  // on the picture's left): only the part at x >= 2 is drawn, cut exactly
  // there, and the clip plane is off again afterwards.
  MeshObject mesh;
  mesh.submeshes.push_back(Square(-8, -8, 8, 8, 0));
  PictureFrame frame;
  frame.v0 = {-10, -10, 0};
  frame.v1 = {-10, 10, 0};
  frame.v2 = {10, 10, 0};
  frame.width = frame.height = 40;
  frame.keep = {{{1, 0, 0}, -2.0f}};
  gl->BindFramebuffer(40, 40);
  const Image picture = RenderLodPicture(lists, mesh, frame);
  EXPECT_FALSE(IsKey(picture, 4, 20)) << "x = 7.75";
  EXPECT_FALSE(IsKey(picture, 15, 20)) << "x = 2.25";
  EXPECT_TRUE(IsKey(picture, 17, 20)) << "x = 1.25";
  EXPECT_TRUE(IsKey(picture, 30, 20)) << "x = -5.25";
  EXPECT_EQ(CoveredPixels(picture), 6 * 2 * 16 * 2);
  EXPECT_FALSE(glIsEnabled(GL_CLIP_PLANE0));
  frame.keep.assign(kMostKeptSides + 1, frame.keep.front());
  EXPECT_THROW(RenderLodPicture(lists, mesh, frame), std::invalid_argument);
}

TEST_F(BillboardRender, SideZeroGivesAnEmptyPicture) {
  MeshObject mesh;
  mesh.submeshes.push_back(Square(-8, -8, 8, 8, 0));
  EXPECT_TRUE(RenderBillboardPicture(lists, mesh, {}, {-10, -10, 0}, {-10, 10, 0}, {10, 10, 0}, 0).Empty());
}

TEST_F(BillboardRender, LeavesTheCallersStateAsItWas) {
  MeshObject mesh;
  mesh.submeshes.push_back(Square(-8, -8, 8, 8, 0));
  glViewport(1, 2, 7, 9);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glScalef(2.0f, 3.0f, 4.0f);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(5.0f, 6.0f, 7.0f);
  const GLfloat light[] = {1.0f, 2.0f, 3.0f, 0.0f};
  glLightfv(GL_LIGHT0, GL_POSITION, light);
  Render(mesh, 16);

  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ((std::array<GLint, 4>{viewport[0], viewport[1], viewport[2], viewport[3]}),
            (std::array<GLint, 4>{1, 2, 7, 9}));
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  EXPECT_EQ((std::array<GLfloat, 4>{clear[0], clear[1], clear[2], clear[3]}),
            (std::array<GLfloat, 4>{1, 1, 1, 1}));
  GLfloat projection[16];
  GLfloat modelView[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
  EXPECT_EQ(projection[0], 2.0f);
  EXPECT_EQ(projection[10], 4.0f);
  EXPECT_EQ(modelView[12], 5.0f);
  EXPECT_EQ(modelView[14], 7.0f);
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);
  GLfloat position[4];
  glGetLightfv(GL_LIGHT0, GL_POSITION, position);  // eye coordinates, through the model-view at the time
  EXPECT_EQ(position[0], 1.0f);
  EXPECT_EQ(position[2], 3.0f);
}

TEST_F(BillboardRender, TextureUploadCutsTheKeyColourOutAndSetsBlending) {
  Image colour = KeyColourImage(8, 8);
  colour.At(1, 0)[0] = 255;  // one red-ish pixel in the top row
  UploadBillboardTexture(colour);
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  GLint binding = 0, minFilter = 0, alphaFunc = 0, blendSource = 0, blendTarget = 0, environment = 0;
  GLfloat alphaRef = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &binding);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
  glGetIntegerv(GL_ALPHA_TEST_FUNC, &alphaFunc);
  glGetFloatv(GL_ALPHA_TEST_REF, &alphaRef);
  glGetIntegerv(GL_BLEND_SRC, &blendSource);
  glGetIntegerv(GL_BLEND_DST, &blendTarget);
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &environment);
  EXPECT_EQ(static_cast<unsigned>(binding), TextureObjectName(kBillboardTextureName));
  EXPECT_EQ(minFilter, GL_NEAREST_MIPMAP_NEAREST);
  EXPECT_EQ(alphaFunc, GL_GREATER);
  EXPECT_FLOAT_EQ(alphaRef, 0.5f);
  EXPECT_EQ(blendSource, GL_SRC_ALPHA);
  EXPECT_EQ(blendTarget, GL_ONE_MINUS_SRC_ALPHA);
  EXPECT_EQ(environment, GL_MODULATE);

  std::array<std::uint8_t, 8 * 8 * 4> texels{};
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  EXPECT_EQ(texels[4 * 1 + 0], 255);
  EXPECT_EQ(texels[4 * 1 + 3], 255) << "a pixel that is not the key colour is opaque";
  EXPECT_EQ(texels[4 * 2 + 3], 0) << "key-coloured pixels are transparent";
  GLint smallest = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 3, GL_TEXTURE_WIDTH, &smallest);
  EXPECT_EQ(smallest, 1) << "the whole mipmap chain is built";
}

TEST_F(BillboardRender, CloudOfTwoCrossedSquaresGetsRealPictures) {
  MeshObject tree;
  tree.submeshes.push_back(Square(-20, 0, 20, 40, 0));
  auto crossing = Square(-20, 0, 20, 40, 0);
  for (Vertex& v : crossing->vertices) v.position = {0.0f, v.position.y, v.position.x};  // the plane x = 0
  tree.submeshes.push_back(crossing);
  BillboardSettings settings;
  settings.billboardCount = 100;  // threshold 1: the two squares cannot share a plane
  settings.textureResolution = 6;
  BillboardPicker picker;
  const BillboardRenderer render = [&](const Vector3& v0, const Vector3& v1, const Vector3& v2, int side) {
    gl->BindFramebuffer(side, side);
    return RenderBillboardPicture(lists, tree, {}, v0, v1, v2, side);
  };
  const BillboardCloud cloud = CreateBillboardCloud(tree, settings, picker, render, {});
  ASSERT_NE(cloud.mesh, nullptr);
  EXPECT_EQ(cloud.mesh->submeshes.size(), 2u);
  EXPECT_GT(CoveredPixels(cloud.colourTexture), 64 * 64 / 10);
  int opaque = 0;
  for (std::size_t i = 0; i < cloud.transparency.pixels.size(); i += 3)
    opaque += cloud.transparency.pixels[i] == 255;
  EXPECT_EQ(opaque, CoveredPixels(cloud.colourTexture));
}

// Silhouette (not the white background) of one frame of the viewer, seen
// from (0, 20, 100) towards -z.
std::vector<bool> FrameSilhouette(HeadlessGl& gl, DrawListCache& lists, const FrameContents& contents) {
  constexpr int kSide = 128;
  gl.BindFramebuffer(kSide, kSide);
  Camera camera;
  camera.viewportWidth = camera.viewportHeight = kSide;
  camera.position = {0.0f, 20.0f, 100.0f};
  camera.focusDistance = 100.0f;
  RenderFrame(camera, contents, lists);
  std::vector<std::uint8_t> pixels(kSide * kSide * 4);
  glReadPixels(0, 0, kSide, kSide, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  std::vector<bool> mask;
  for (std::size_t i = 0; i < pixels.size(); i += 4)
    mask.push_back(!(pixels[i] == 255 && pixels[i + 1] == 255 && pixels[i + 2] == 255));
  return mask;
}

TEST_F(BillboardRender, CloudOfAFlatTreeLooksLikeTheTreeInTheView) {
  // One right triangle in the plane z = 0, lopsided so that a mirrored or
  // turned picture would show.
  MeshObject tree;
  auto triangle = Square(-20, 0, 20, 40, 0);
  triangle->triangles = {{0, 1, 3, true}};
  tree.submeshes.push_back(triangle);
  BillboardSettings settings;
  settings.mode = BillboardMode::kBillboardsForAll;
  settings.textureQuality = 15;
  settings.textureResolution = 9;
  BillboardPicker picker;
  const BillboardRenderer render = [&](const Vector3& v0, const Vector3& v1, const Vector3& v2, int side) {
    gl->BindFramebuffer(side, side);
    return RenderBillboardPicture(lists, tree, {}, v0, v1, v2, side);
  };
  const BillboardCloud cloud = CreateBillboardCloud(tree, settings, picker, render, {});
  ASSERT_EQ(cloud.mesh->submeshes.size(), 1u);
  UploadBillboardTexture(cloud.colourTexture);

  FrameContents treeFrame;
  treeFrame.tree = &tree;
  treeFrame.showPlane = false;
  FrameContents cloudFrame = treeFrame;
  cloudFrame.billboard = cloud.mesh.get();
  const std::vector<bool> treeMask = FrameSilhouette(*gl, lists, treeFrame);
  const std::vector<bool> cloudMask = FrameSilhouette(*gl, lists, cloudFrame);
  int either = 0, differ = 0;
  for (std::size_t i = 0; i < treeMask.size(); ++i) {
    either += treeMask[i] || cloudMask[i];
    differ += treeMask[i] != cloudMask[i];
  }
  ASSERT_GT(either, 500);
  EXPECT_LT(differ, either / 20) << differ << " of " << either << " pixels differ";
}

}  // namespace
}  // namespace vh
