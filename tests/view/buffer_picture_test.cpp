// The buffer path draws the frame the display-list path draws: the default
// tree, a textured leafy preset and a billboard cloud, through buffer
// objects and through client arrays, solid and as wireframe; and after the
// context's buffers are lost, the next frames show the tree again; vertices
// replaced in place show where they moved; the tree in the wind is drawn
// through the scene's buffers as posed, a still frame of it whole.
#include <gtest/gtest.h>

#include <EGL/egl.h>
#include <GL/gl.h>

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
#include "view/mesh_drawing.h"
#include "view/swaying_tree.h"
#include "view/texture_upload.h"
#include "view/viewer.h"

namespace vh {
namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr double kNoBudgetLimit = 1e9;  // always full detail

// A picture with some structure at every mipmap level.
Image Checker(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  Image image(64, 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      std::uint8_t* p = image.At(x, y);
      const bool dark = ((x / 8) + (y / 8)) % 2 == 0;
      p[0] = dark ? r / 2 : r;
      p[1] = dark ? g / 2 : g;
      p[2] = static_cast<std::uint8_t>(dark ? b / 2 : b);
    }
  return image;
}

class BufferPicture : public ::testing::TestWithParam<bool> {
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
    scene->AttachContext(Functions());
  }
  void TearDown() override {
    scene->ReleaseGl();
    scene.reset();
    ReleaseAllLists(lists);
    ForgetTextureObjects();
  }
  // Buffer objects (the parameter) or client arrays.
  BufferObjectFunctions Functions() const {
    if (!GetParam()) return {};
    const BufferObjectFunctions functions = ResolveBufferObjects(
        [](const char* name) { return reinterpret_cast<void*>(eglGetProcAddress(name)); });
    EXPECT_TRUE(functions.Available()) << "the software renderer offers OpenGL 1.5";
    return functions;
  }
  std::vector<std::uint8_t> Read() {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(kWidth) * kHeight * 4);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
  }
  std::vector<std::uint8_t> WithLists(const FrameContents& contents) {
    RenderFrame(camera, contents, lists);
    return Read();
  }
  // Pumps until the full tree is uploaded, then draws it.
  std::vector<std::uint8_t> WithBuffers(const FrameContents& contents) {
    scene->DrawWithinBudget(camera, contents, kNoBudgetLimit);  // starts the preparation
    const auto giveUp = PacingClock::now() + std::chrono::seconds(60);
    while (scene->Pump(PacingClock::now() + std::chrono::milliseconds(20)) && PacingClock::now() < giveUp)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(scene->FullReady() || contents.billboard != nullptr) << "billboard mode draws no tree";
    const BufferedScene::FrameReport report = scene->DrawWithinBudget(camera, contents, kNoBudgetLimit);
    EXPECT_TRUE(report.drewTree || contents.billboard != nullptr);
    EXPECT_FALSE(report.reduced);
    return Read();
  }
  FrameContents Contents(const MeshObject& tree, bool wireframe = false) const {
    FrameContents contents;
    contents.tree = &tree;
    contents.groundPlane = plane.get();
    contents.wireframe = {wireframe, wireframe, wireframe};
    return contents;
  }

  std::unique_ptr<HeadlessGl> gl;
  Camera camera;
  std::unique_ptr<MeshObject> plane;
  DrawListCache lists;
  std::unique_ptr<BufferedScene> scene;
};

// Pixels whose channels differ by more than 2 levels, and the pixels that
// are not background (so that an empty picture cannot pass).
struct Difference {
  int differing = 0;
  int drawn = 0;
};
Difference Compare(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  Difference d;
  for (std::size_t i = 0; i < a.size(); i += 4) {
    bool differs = false;
    for (int k = 0; k < 3; ++k) differs |= std::abs(int{a[i + k]} - int{b[i + k]}) > 2;
    d.differing += differs;
    d.drawn += a[i] != 255 || a[i + 1] != 255 || a[i + 2] != 255;
  }
  return d;
}

void ExpectSamePicture(const std::vector<std::uint8_t>& lists, const std::vector<std::uint8_t>& buffers) {
  const Difference d = Compare(lists, buffers);
  EXPECT_GT(d.drawn, kWidth * kHeight / 20) << "the frame shows something";
  EXPECT_LE(d.differing, kWidth * kHeight / 1000)
      << "at most 0.1 % of the pixels differ by more than 2 levels";
}

TEST_P(BufferPicture, DefaultTreeSolidAndWireframe) {
  const Tree tree = Generate(TreeParameters());
  for (bool wireframe : {false, true}) {
    SCOPED_TRACE(wireframe ? "wireframe" : "solid");
    ExpectSamePicture(WithLists(Contents(tree, wireframe)), WithBuffers(Contents(tree, wireframe)));
  }
}

TEST_P(BufferPicture, TexturedLeafyPreset) {
  TreeParameters params = ReadDocumentFile(VH_PRESETS_DIR "/broadleaf-oak.vhm", TreeParameters());
  params.leafTextureLoaded = params.barkTextureLoaded = true;
  const Tree tree = Generate(params);
  ASSERT_GT(tree.leafCount, 100);
  ASSERT_TRUE(UploadTexture(kLeafTextureObject, Checker(60, 200, 40), MinFilter::kLinearMipmapLinear));
  ASSERT_TRUE(UploadTexture(kBarkTextureObject, Checker(150, 100, 60), MinFilter::kNearestMipmapNearest));
  camera.position = {0.0f, 40.0f, 120.0f};
  ExpectSamePicture(WithLists(Contents(tree)), WithBuffers(Contents(tree)));
}

TEST_P(BufferPicture, BillboardCloud) {
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
  UploadBillboardTexture(cloud.colourTexture);  // switches blending on, as billboard mode does
  FrameContents contents = Contents(tree);
  contents.billboard = cloud.mesh.get();
  ExpectSamePicture(WithLists(contents), WithBuffers(contents));
  glDisable(GL_BLEND);
  glDisable(GL_ALPHA_TEST);
}

TEST_P(BufferPicture, ALostContextIsPreparedAnewAtTheNextFrames) {
  TreeParameters params(3);
  for (auto& level : params.levels) level.nbChildrenMin = level.nbChildrenMax = 7;
  const Tree tree = Generate(params);  // beyond the inline fill: prepared on the worker
  ASSERT_GT(tree.VertexCount(), kInlineFillVertices);
  const std::vector<std::uint8_t> before = WithBuffers(Contents(tree));
  scene->ForgetGl();  // the context went; its names are not freed
  scene->AttachContext(Functions());
  EXPECT_FALSE(scene->FullReady());
  ExpectSamePicture(before, WithBuffers(Contents(tree)));
}

// A large tree that replaces a small one leaves the small one on screen
// until something of it can be drawn.
TEST_P(BufferPicture, TheTreeBeforeStandsInUntilTheNewOneCanBeDrawn) {
  const Tree small = Generate(TreeParameters());
  const std::vector<std::uint8_t> before = WithBuffers(Contents(small));
  TreeParameters params(3);
  for (auto& level : params.levels) level.nbChildrenMin = level.nbChildrenMax = 7;
  const Tree large = Generate(params);
  const BufferedScene::FrameReport first = scene->DrawWithinBudget(camera, Contents(large), kNoBudgetLimit);
  EXPECT_TRUE(first.drewTree);
  EXPECT_TRUE(first.reduced) << "what stands in is not the tree";
  // Unless the worker was quick enough for the new tree's coarsest level
  // to be taken by that frame, the tree before is what it shows.
  if (scene->ReadyLevels().empty()) ExpectSamePicture(before, Read());
  WithBuffers(Contents(large));
  const BufferedScene::FrameReport later = scene->DrawWithinBudget(camera, Contents(large), kNoBudgetLimit);
  EXPECT_FALSE(later.reduced) << "the stand-in goes once the new tree is ready";
}

// Full detail drawn a slice at a time, between other drawing, gives the
// frame drawn at once.
TEST_P(BufferPicture, AFrameDrawnInSlicesIsTheWholeFrame) {
  TreeParameters params(3);
  for (auto& level : params.levels) level.nbChildrenMin = level.nbChildrenMax = 7;
  const Tree tree = Generate(params);
  const std::vector<std::uint8_t> whole = WithBuffers(Contents(tree));
  scene->BeginRefinement(camera);
  int slices = 0;
  bool complete = false;
  const auto giveUp = PacingClock::now() + std::chrono::seconds(60);
  while (!complete && PacingClock::now() < giveUp) {
    complete = scene->RefineSlice(camera, Contents(tree), 0.002);
    ++slices;
  }
  ASSERT_TRUE(complete);
  EXPECT_GT(slices, 3) << "a slice draws what fits its time";
  ExpectSamePicture(whole, Read());
}

// A mesh whose vertices move (a posed copy of the tree) is drawn through
// buffers whose vertices were replaced in place: the picture is that of the
// moved mesh filled afresh, and not that of the mesh as it was.
TEST_P(BufferPicture, VerticesReplacedInPlaceDrawTheMovedMesh) {
  const Tree tree = Generate(TreeParameters());
  Tree moved = Generate(TreeParameters());
  for (const auto& submesh : moved.submeshes)
    for (Vertex& vertex : submesh->vertices) vertex.position = vertex.position + Vector3(0.4f, 0.1f, 0.0f);
  const MeshBuffers movedFill = FillMeshBuffers(moved, {});
  const auto draw = [this](const GpuMeshBuffers& buffers) {
    BeginFrame(camera);
    buffers.Draw();
    return Read();
  };
  GpuMeshBuffers posed(FillMeshBuffers(tree, {}), Functions());
  ASSERT_TRUE(posed.Upload(PacingClock::time_point::max()));
  const std::vector<std::uint8_t> still = draw(posed);
  ASSERT_EQ(posed.BatchCount(), movedFill.batches.size());
  for (std::size_t batch = 0; batch < posed.BatchCount(); ++batch) {
    ASSERT_EQ(posed.BlockCount(batch), movedFill.batches[batch].blocks.size());
    for (std::size_t block = 0; block < posed.BlockCount(batch); ++block) {
      const std::vector<BufferVertex>& vertices = movedFill.batches[batch].blocks[block].vertices;
      ASSERT_EQ(posed.BlockVertices(batch, block), vertices.size());
      posed.UpdateVertices(batch, block, 0, vertices);
    }
  }
  const std::vector<std::uint8_t> updated = draw(posed);
  GpuMeshBuffers fresh(movedFill, Functions());
  ASSERT_TRUE(fresh.Upload(PacingClock::time_point::max()));
  ExpectSamePicture(draw(fresh), updated);
  EXPECT_GT(Compare(still, updated).differing, kWidth * kHeight / 100) << "the mesh moved on screen";
  posed.Release();
  fresh.Release();
}

WindSettings Blowing(int strength) {
  WindSettings wind;
  wind.enabled = true;
  wind.strength = strength;
  return wind;
}

// The tree in the wind is drawn from the scene's buffers as posed last:
// without wind it is the tree's own frame, posed it moves, and posed back
// (its vertices written over the uploaded ones) it is the tree again.
TEST_P(BufferPicture, TheTreeInTheWindIsDrawnAsPosedLast) {
  const Tree tree = Generate(TreeParameters());
  const std::vector<std::uint8_t> still = WithBuffers(Contents(tree));
  SwayingTree swaying(tree, Blowing(0));
  FrameContents contents = Contents(tree);
  contents.swaying = &swaying;
  const BufferedScene::FrameReport calm = scene->DrawWithinBudget(camera, contents, kNoBudgetLimit);
  EXPECT_TRUE(calm.swaying);
  EXPECT_FALSE(calm.reduced);
  EXPECT_EQ(calm.primitives, swaying.Primitives());
  ExpectSamePicture(still, Read());
  swaying.SetWind(Blowing(100));
  swaying.PoseAt(0.3 * swaying.LoopLength());
  scene->DrawWithinBudget(camera, contents, kNoBudgetLimit);
  EXPECT_GT(Compare(still, Read()).differing, kWidth * kHeight / 200) << "the wind moved the tree";
  swaying.SetWind(Blowing(0));
  scene->DrawWithinBudget(camera, contents, kNoBudgetLimit);
  ExpectSamePicture(still, Read());
}

// A large tree sways at a reduced level while the wind plays; a still frame
// of it (paused, or a screenshot) draws the whole tree posed at the same
// moment, at once when the budget allows and in slices otherwise.
TEST_P(BufferPicture, AStillFrameInTheWindDrawsTheWholeTreePosed) {
  TreeParameters params(3);
  for (auto& level : params.levels) level.nbChildrenMin = level.nbChildrenMax = 7;
  const Tree tree = Generate(params);
  WithBuffers(Contents(tree));
  LodReduction quarter;
  quarter.triangleShare = 0.25;
  SwayingOptions options;
  options.level = quarter;
  SwayingTree level(tree, Blowing(100), options);
  SwayingTree whole(tree, Blowing(100));
  const double t = 0.3 * whole.LoopLength();
  level.PoseAt(t);
  whole.PoseAt(t);
  FrameContents contents = Contents(tree);
  contents.swaying = &level;
  const BufferedScene::FrameReport playing = scene->DrawWithinBudget(camera, contents, kNoBudgetLimit);
  EXPECT_TRUE(playing.reduced);
  EXPECT_EQ(playing.primitives, level.Primitives());
  EXPECT_FALSE(scene->RefinementReady(contents)) << "a playing tree is never drawn still";

  contents.swayingWhole = &whole;
  const BufferedScene::FrameReport pictured = scene->DrawWithinBudget(camera, contents, kNoBudgetLimit);
  EXPECT_TRUE(pictured.swaying);
  EXPECT_FALSE(pictured.reduced);
  EXPECT_EQ(pictured.primitives, whole.Primitives());
  EXPECT_GT(whole.Primitives(), level.Primitives());
  const std::vector<std::uint8_t> posed = Read();
  EXPECT_GT(Compare(posed, WithBuffers(Contents(tree))).differing, kWidth * kHeight / 200)
      << "the whole tree is posed, not at rest";

  const BufferedScene::FrameReport paused = scene->DrawWithinBudget(camera, contents, 1e-9);
  EXPECT_TRUE(paused.reduced) << "over the budget the level stands in";
  ASSERT_TRUE(scene->RefinementReady(contents));
  scene->BeginRefinement(camera);
  bool complete = false;
  for (int slices = 0; !complete && slices < 10'000; ++slices)
    complete = scene->RefineSlice(camera, contents, 0.002);
  ASSERT_TRUE(complete);
  ExpectSamePicture(posed, Read());
}

INSTANTIATE_TEST_SUITE_P(Paths, BufferPicture, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "BufferObjects" : "ClientArrays"; });

}  // namespace
}  // namespace vh
