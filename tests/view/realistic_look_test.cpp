// The realistic look drawn for real on the software renderer: it is
// deterministic, differs from the classic look, draws wireframe and
// billboards, is whole when drawn in slices, casts the tree's shadow on
// the ground away from the sun, lets back-lit leaves glow, and a scene that
// goes back to the classic look (or whose renderer could not start) draws
// the classic picture exactly.
#include <gtest/gtest.h>

#include <EGL/egl.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <memory>
#include <thread>
#include <vector>

#include "billboard/billboard_cloud.h"
#include "fileio/document.h"
#include "tree/tree.h"
#include "view/billboard_renderer.h"
#include "view/billboard_texture.h"
#include "view/buffered_scene.h"
#include "view/ground_plane.h"
#include "view/headless_gl.h"
#include "view/look.h"
#include "view/mesh_drawing.h"
#include "view/realistic_renderer.h"
#include "view/texture_upload.h"
#include "view/viewer.h"

namespace vh {
namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr double kNoBudgetLimit = 1e9;

using Pixels = std::vector<std::uint8_t>;

void* Resolve(const char* name) { return reinterpret_cast<void*>(eglGetProcAddress(name)); }

class RealisticLook : public ::testing::Test {
 protected:
  void SetUp() override {
    gl = std::make_unique<HeadlessGl>();
    InitViewState();
    gl->BindFramebuffer(kWidth, kHeight);
    camera.viewportWidth = kWidth;
    camera.viewportHeight = kHeight;
    camera.position = kHomePosition;
    plane = BuildGroundPlane();
    scene = std::make_unique<BufferedScene>();
    scene->AttachContext(ResolveBufferObjects(Resolve));
    ASSERT_TRUE(renderer.Attach(Resolve)) << renderer.Problem();
  }
  void TearDown() override {
    scene->ReleaseGl();
    scene.reset();
    renderer.Release();
    ForgetTextureObjects();
  }
  // The whole tree drawn in the scene's current look, once it is prepared;
  // in billboard mode `billboard` instead, and as lines with `wireframe`.
  Pixels Draw(const MeshObject& tree, const MeshObject* billboard = nullptr, bool wireframe = false) {
    FrameContents contents;
    contents.tree = &tree;
    contents.groundPlane = plane.get();
    contents.billboard = billboard;
    contents.wireframe = {wireframe, wireframe, wireframe};
    scene->DrawWithinBudget(camera, contents, kNoBudgetLimit);
    while (scene->Pump(PacingClock::now() + std::chrono::milliseconds(20)))
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_FALSE(scene->DrawWithinBudget(camera, contents, kNoBudgetLimit).reduced);
    Pixels pixels(static_cast<std::size_t>(kWidth) * kHeight * 4);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
  }
  // Where a point of the world lands in the last frame's picture.
  static std::pair<int, int> PixelOf(const Vector3& point) {
    GLdouble model[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble x = 0, y = 0, z = 0;
    gluProject(point.x, point.y, point.z, model, projection, viewport, &x, &y, &z);
    return {static_cast<int>(x), static_cast<int>(y)};
  }
  // Mean brightness of the 7 x 7 pixels around (x, y).
  static double Brightness(const Pixels& pixels, std::pair<int, int> at) {
    double sum = 0.0;
    int count = 0;
    for (int y = at.second - 3; y <= at.second + 3; ++y)
      for (int x = at.first - 3; x <= at.first + 3; ++x) {
        if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) continue;
        const std::size_t i = (static_cast<std::size_t>(y) * kWidth + x) * 4;
        sum += pixels[i] + pixels[i + 1] + pixels[i + 2];
        ++count;
      }
    return count > 0 ? sum / count : -1.0;
  }

  std::unique_ptr<HeadlessGl> gl;
  Camera camera;
  std::unique_ptr<MeshObject> plane;
  std::unique_ptr<BufferedScene> scene;
  RealisticRenderer renderer;
};

Image Plain(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  Image image(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      std::uint8_t* p = image.At(x, y);
      p[0] = r;
      p[1] = g;
      p[2] = b;
    }
  return image;
}

int DifferingPixels(const Pixels& a, const Pixels& b) {
  int differing = 0;
  for (std::size_t i = 0; i < a.size(); i += 4)
    differing += a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2];
  return differing;
}

TEST_F(RealisticLook, IsDeterministicAndDiffersFromTheClassicLook) {
  const Tree tree = Generate(TreeParameters());
  const Pixels classic = Draw(tree);
  scene->SetLook(&renderer);
  ASSERT_TRUE(scene->DrawsRealistic());
  const Pixels first = Draw(tree);
  EXPECT_EQ(DifferingPixels(first, Draw(tree)), 0) << "two draws, the same pixels";
  EXPECT_GT(DifferingPixels(first, classic), kWidth * kHeight / 2) << "the sky alone differs from white";
}

// Switching back, or a renderer that could not start, gives the classic
// picture to the pixel: the realistic frame leaves no state behind.
TEST_F(RealisticLook, TheClassicLookIsUnchangedAfterItAndWithoutIt) {
  const Tree tree = Generate(TreeParameters());
  const Pixels classic = Draw(tree);
  scene->SetLook(&renderer);
  Draw(tree);
  scene->SetLook(nullptr);
  EXPECT_EQ(DifferingPixels(classic, Draw(tree)), 0) << "back to classic";

  RealisticRenderer unavailable;
  EXPECT_FALSE(unavailable.Attach([](const char*) -> void* { return nullptr; }));
  EXPECT_NE(unavailable.Problem().find("The classic look is shown."), std::string::npos)
      << unavailable.Problem();
  scene->SetLook(&unavailable);
  EXPECT_FALSE(scene->DrawsRealistic());
  EXPECT_EQ(DifferingPixels(classic, Draw(tree)), 0) << "the fallback is the classic look";
}

// Full detail drawn a slice at a time between events, as the window does
// once the camera rests, gives the frame drawn at once.
TEST_F(RealisticLook, AFrameDrawnInSlicesIsTheWholeFrame) {
  const Tree tree = Generate(TreeParameters());
  scene->SetLook(&renderer);
  const Pixels whole = Draw(tree);
  FrameContents contents;
  contents.tree = &tree;
  contents.groundPlane = plane.get();
  scene->BeginRefinement(camera);
  int slices = 0;
  while (!scene->RefineSlice(camera, contents, 0.0005)) ASSERT_LT(++slices, 100000);
  Pixels sliced(whole.size());
  glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, sliced.data());
  EXPECT_GT(slices, 1);
  EXPECT_EQ(DifferingPixels(whole, sliced), 0);
}

// What the classic look shows, the realistic one shows too: the tree as
// lines, and a billboard cloud in the tree's place (drawn, not the bare
// ground).
TEST_F(RealisticLook, DrawsWireframeAndBillboards) {
  Tree tree = Generate(TreeParameters());
  BillboardSettings settings;
  settings.textureResolution = 8;
  BillboardPicker picker;
  DrawListCache pictureLists;
  const BillboardRenderer render = [&](const Vector3& v0, const Vector3& v1, const Vector3& v2, int side) {
    gl->BindFramebuffer(side, side);
    return RenderBillboardPicture(pictureLists, tree, {}, v0, v1, v2, side);
  };
  const BillboardCloud cloud = CreateBillboardCloud(tree, settings, picker, render, {});
  ReleaseAllLists(pictureLists);
  ASSERT_NE(cloud.mesh, nullptr);
  gl->BindFramebuffer(kWidth, kHeight);
  scene->SetLook(&renderer);
  const MeshObject nothing;
  const Pixels bare = Draw(nothing);
  const Pixels solid = Draw(tree);
  EXPECT_GT(DifferingPixels(Draw(tree, nullptr, true), solid), 200) << "lines, not surfaces";
  UploadBillboardTexture(cloud.colourTexture);  // switches blending on, as billboard mode does
  EXPECT_GT(DifferingPixels(Draw(tree, cloud.mesh.get()), bare), 200) << "the cloud is drawn";
  glDisable(GL_BLEND);
  glDisable(GL_ALPHA_TEST);
}

// Seen from above, the ground where the sun casts the crown's shadow
// (away from the sun) is darker with the tree than without it, and the
// ground as far toward the sun is as lit as without the tree.
TEST_F(RealisticLook, TheTreeShadowsTheGroundAwayFromTheSun) {
  const Tree tree = Generate(TreeParameters());
  const Box box = *MeshBounds(tree);
  const Vector3 crown = box.Centre();
  const Vector3 sun = SunDirection();
  const Vector3 shadow = crown - sun * (crown.y / sun.y);  // the crown's centre projected onto y = 0
  const Vector3 towardSun{2.0f * crown.x - shadow.x, 0.0f, 2.0f * crown.z - shadow.z};
  camera.position = {crown.x, 6.0f * box.high.y, crown.z};
  camera.forward = {0.0f, -1.0f, 0.0f};
  camera.up = {0.0f, 0.0f, -1.0f};
  scene->SetLook(&renderer);
  const MeshObject nothing;
  const Pixels bare = Draw(nothing);
  const Pixels shaded = Draw(tree);
  const auto shadowAt = PixelOf(shadow);
  const auto litAt = PixelOf(towardSun);
  EXPECT_LT(Brightness(shaded, shadowAt), 0.8 * Brightness(bare, shadowAt)) << "in the shadow";
  EXPECT_NEAR(Brightness(shaded, litAt), Brightness(bare, litAt), 3.0) << "in the sun";
}

// Looking at the tree against the sun, the leaves seen from their shaded
// side are brighter with light passing through them, and nothing is darker.
TEST_F(RealisticLook, BackLitLeavesGlow) {
  TreeParameters params = ReadDocumentFile(VH_PRESETS_DIR "/broadleaf-oak.vhm", TreeParameters());
  params.leafTextureLoaded = params.barkTextureLoaded = true;
  const Tree tree = Generate(params);
  ASSERT_GT(tree.leafCount, 100);
  ASSERT_TRUE(UploadTexture(kLeafTextureObject, Plain(70, 150, 40), MinFilter::kLinearMipmapLinear));
  ASSERT_TRUE(UploadTexture(kBarkTextureObject, Plain(120, 90, 60), MinFilter::kNearestMipmapNearest));
  const Box box = *MeshBounds(tree);
  const Vector3 centre = box.Centre();
  const Vector3 sun = SunDirection();
  camera.position = centre - Normalized(Vector3(sun.x, 0.0f, sun.z)) * (1.5f * box.LargestSide());
  camera.forward = Normalized(centre - camera.position);
  scene->SetLook(&renderer);
  const Pixels glowing = Draw(tree);
  renderer.settings.leafTransmission = false;
  const Pixels opaque = Draw(tree);
  long brighter = 0, darker = 0;
  for (std::size_t i = 0; i < glowing.size(); i += 4)
    for (int k = 0; k < 3; ++k) {
      brighter += glowing[i + k] > opaque[i + k] + 2;
      darker += glowing[i + k] + 2 < opaque[i + k];
    }
  EXPECT_GT(brighter, kWidth * kHeight / 100) << "the leaves glow";
  EXPECT_EQ(darker, 0);
}

TEST(LookNames, AreReadInAnyCaseAndWrittenInLowerCase) {
  const struct {
    const char* text;
    std::optional<Look> look;
  } cases[] = {{"classic", Look::kClassic},
               {"Realistic", Look::kRealistic},
               {"REALISTIC", Look::kRealistic},
               {"real", std::nullopt},
               {"", std::nullopt}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseLook(c.text), c.look);
    if (c.look) {
      EXPECT_EQ(ParseLook(LookName(*c.look)), c.look);
    }
  }
}

// The shadow map holds the sphere around the box: its centre maps to the
// middle of the map, and a point toward the sun is nearer the sun.
TEST(ShadowMatrix, FitsTheBoxAndLooksFromTheSun) {
  const Box box{{-10.0f, 0.0f, -10.0f}, {10.0f, 40.0f, 10.0f}};
  const Matrix4 m = ShadowMatrix(box);
  const auto map = [&m](const Vector3& p) {
    return Vector3(m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12], m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
                   m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]);
  };
  const Vector3 centre = map(box.Centre());
  EXPECT_NEAR(centre.x, 0.5f, 1e-5f);
  EXPECT_NEAR(centre.y, 0.5f, 1e-5f);
  EXPECT_NEAR(centre.z, 0.5f, 1e-5f);
  EXPECT_LT(map(box.Centre() + SunDirection() * 10.0f).z, centre.z);
  for (const Vector3& corner : {box.low, box.high}) {
    const Vector3 p = map(corner);
    for (float c : {p.x, p.y, p.z}) {
      EXPECT_GE(c, 0.0f);
      EXPECT_LE(c, 1.0f);
    }
  }
}

}  // namespace
}  // namespace vh
