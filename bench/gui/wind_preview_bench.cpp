// The wind preview's frame: the tree posed in the wind on the processor
// (SwayingTree::PoseAt), written over the view's buffers and drawn from
// them, for the default tree and the large benchmark tree (large_tree.vhm,
// about 1.6 million vertices, posed at the level the view draws while the
// camera moves), into an 800 × 600 framebuffer object; and the one-off
// cost of binding the large tree when the wind is switched on. The preview
// redraws about 30 times a second, so a frame must stay under 33 ms. Run
// under xvfb-run without a display.
#include <GL/gl.h>

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>

#include "../bench_trees.h"
#include "tree/tree.h"
#include "view/buffered_scene.h"
#include "view/ground_plane.h"
#include "view/swaying_tree.h"
#include "view/viewer.h"

namespace {

vh::WindSettings Wind() {
  vh::WindSettings wind;
  wind.enabled = true;
  return wind;
}

vh::BufferObjectFunctions Functions() {
  QOpenGLContext* context = QOpenGLContext::currentContext();
  return vh::ResolveBufferObjects(
      [context](const char* name) { return reinterpret_cast<void*>(context->getProcAddress(name)); });
}

struct Preview {
  vh::Tree tree;
  std::unique_ptr<vh::MeshObject> plane = vh::BuildGroundPlane();
  vh::Camera camera;
  vh::BufferedScene scene;
  std::unique_ptr<vh::SwayingTree> swaying;

  explicit Preview(const vh::TreeParameters& params) : tree(vh::Generate(params)) {
    camera.viewportWidth = 800;
    camera.viewportHeight = 600;
    camera.position = vh::kHomePosition;
    scene.AttachContext(Functions());
    vh::SwayingOptions options;
    options.level = scene.MovingLevel(tree, false, vh::kFrameBudgetSeconds);
    swaying = std::make_unique<vh::SwayingTree>(tree, Wind(), options);
  }
  ~Preview() { scene.ReleaseGl(); }
  // One frame of the preview at `t`: pose, then upload and draw.
  void Frame(double t) {
    swaying->PoseAt(t);
    vh::FrameContents contents{&tree, plane.get(), nullptr, true, {}};
    contents.swaying = swaying.get();
    scene.DrawWithinBudget(camera, contents, vh::kFrameBudgetSeconds);
  }
};

void RunFrames(benchmark::State& state, Preview& preview) {
  double t = 0.0;
  for (auto _ : state) {
    preview.Frame(t);
    t += 1.0 / 30.0;
  }
  state.counters["tree vertices"] = static_cast<double>(preview.tree.VertexCount());
  state.counters["posed vertices"] = static_cast<double>(preview.swaying->VertexCount());
  state.counters["posed triangles"] = static_cast<double>(preview.swaying->Primitives());
  state.counters["fps"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_DefaultTreePreviewFrame(benchmark::State& state) {
  Preview preview{vh::TreeParameters()};
  RunFrames(state, preview);
}
BENCHMARK(BM_DefaultTreePreviewFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void BM_LargeTreePreviewFrame(benchmark::State& state) {
  Preview preview{vh::bench::LargeTreeParameters()};
  RunFrames(state, preview);
  state.counters["reduced"] = preview.swaying->Reduced() ? 1 : 0;
}
BENCHMARK(BM_LargeTreePreviewFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// The processor's part of a large tree's frame: posing alone.
void BM_LargeTreePose(benchmark::State& state) {
  Preview preview{vh::bench::LargeTreeParameters()};
  double t = 0.0;
  for (auto _ : state) {
    preview.swaying->PoseAt(t);
    t += 1.0 / 30.0;
  }
  state.counters["posed vertices"] = static_cast<double>(preview.swaying->VertexCount());
}
BENCHMARK(BM_LargeTreePose)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

// Switching the wind on for the large tree: the interaction level, the rig,
// the binding and the buffers.
void BM_LargeTreeSwayingBinding(benchmark::State& state) {
  const vh::Tree tree = vh::Generate(vh::bench::LargeTreeParameters());
  const vh::BufferedScene scene;
  vh::SwayingOptions options;
  options.level = scene.MovingLevel(tree, false, vh::kFrameBudgetSeconds);
  for (auto _ : state) benchmark::DoNotOptimize(vh::SwayingTree(tree, Wind(), options));
}
BENCHMARK(BM_LargeTreeSwayingBinding)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

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

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  GlSetup setup;
  if (!setup.ok) {
    std::fprintf(stderr, "no OpenGL context: run under a display (xvfb-run)\n");
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
