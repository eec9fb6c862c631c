// Drawing a large tree (about a million vertices) through display lists:
// the first frame, which compiles every list, and the frames after it,
// which only replay them. Renders into an 800 × 600 framebuffer object of
// a context made for the purpose; run under xvfb-run without a display.
#include <GL/gl.h>

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>

#include "tree/tree.h"
#include "view/ground_plane.h"
#include "view/mesh_drawing.h"
#include "view/viewer.h"

namespace {

struct Scene {
  vh::Tree tree;
  std::unique_ptr<vh::MeshObject> plane = vh::BuildGroundPlane();
  vh::DrawListCache lists;
  vh::Camera camera;

  Scene() {
    // Eight children on four levels at quality 14: about a million vertices.
    vh::TreeParameters params(3);
    for (auto& level : params.levels) {
      level.nbChildrenMin = level.nbChildrenMax = 8;
      level.qualityAngle = level.qualityHeight = 14;
    }
    tree = vh::Generate(params);
    camera.viewportWidth = 800;
    camera.viewportHeight = 600;
    camera.position = vh::kHomePosition;
  }
  void Render() {
    vh::RenderFrame(camera, {&tree, plane.get(), nullptr, true, {}}, lists);
    glFinish();
  }
};

struct GlSetup {
  QOpenGLContext context;
  QOffscreenSurface surface;
  std::unique_ptr<QOpenGLFramebufferObject> target;
  bool ok = false;

  GlSetup() {
    if (!context.create()) return;
    surface.setFormat(context.format());
    surface.create();
    if (!context.makeCurrent(&surface)) return;
    target = std::make_unique<QOpenGLFramebufferObject>(800, 600, QOpenGLFramebufferObject::Depth);
    target->bind();
    vh::InitViewState();
    ok = true;
  }
};

GlSetup* gl = nullptr;
Scene* scene = nullptr;

void SetCounters(benchmark::State& state) {
  state.counters["vertices"] = static_cast<double>(scene->tree.VertexCount());
  state.counters["submeshes"] = static_cast<double>(scene->tree.submeshes.size());
}

void BM_FirstFrameCompilesDisplayLists(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    for (const auto& submesh : scene->tree.submeshes) ++submesh->revision;
    ++scene->plane->submeshes.front()->revision;
    state.ResumeTiming();
    scene->Render();
  }
  SetCounters(state);
}
BENCHMARK(BM_FirstFrameCompilesDisplayLists)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_RedrawFromDisplayLists(benchmark::State& state) {
  scene->Render();  // compiled once
  for (auto _ : state) scene->Render();
  SetCounters(state);
  state.counters["fps"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RedrawFromDisplayLists)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

// The default tree (a few thousand vertices) on the ground plane at the
// size the view has in the 992 × 682 window: the frame's own cost, without
// the window system's composition.
void BM_DefaultTreeFrame(benchmark::State& state) {
  vh::Tree tree = vh::Generate(vh::TreeParameters());
  auto plane = vh::BuildGroundPlane();
  vh::DrawListCache lists;
  vh::Camera camera;
  camera.viewportWidth = 531;
  camera.viewportHeight = 600;
  camera.position = vh::kHomePosition;
  for (auto _ : state) {
    vh::RenderFrame(camera, {&tree, plane.get(), nullptr, true, {}}, lists);
    glFinish();
  }
  state.counters["vertices"] = static_cast<double>(tree.VertexCount());
}
BENCHMARK(BM_DefaultTreeFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  GlSetup setup;
  if (!setup.ok) {
    std::fprintf(stderr, "no OpenGL context: run under a display (xvfb-run)\n");
    return 1;
  }
  gl = &setup;
  Scene big;
  scene = &big;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
