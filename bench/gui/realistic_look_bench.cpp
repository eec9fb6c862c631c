// The realistic look against the classic one, for the default tree, the
// large leafy benchmark tree (bench/large_tree.vhm) and a tree grown to the
// 20 M-vertex budget (bench/budget_tree.vhm): the time from the tree's
// arrival to the first picture, a full-detail frame (goal: at most twice
// the classic one) and an interaction frame at the level the 40 ms budget
// picks (goal: within it in both looks). Arguments: tree 0..2, look 0
// classic / 1 realistic. Renders into an 800 x 600 framebuffer object; run
// under xvfb-run.
#include <GL/gl.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <thread>
#include <vector>

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>

#include "../bench_trees.h"
#include "view/buffered_scene.h"
#include "view/ground_plane.h"
#include "view/realistic_renderer.h"
#include "view/viewer.h"

namespace {

constexpr double kBudget = 0.040;
QOpenGLContext* glContext = nullptr;
vh::RealisticRenderer* realistic = nullptr;

void* Resolve(const char* name) { return reinterpret_cast<void*>(glContext->getProcAddress(name)); }

struct Subject {
  const char* name;
  vh::Tree tree;
  std::unique_ptr<vh::MeshObject> plane = vh::BuildGroundPlane();
  vh::Camera camera;

  Subject(const char* n, const vh::TreeParameters& params) : name(n), tree(vh::Generate(params)) {
    camera.viewportWidth = 800;
    camera.viewportHeight = 600;
    camera.position = vh::kHomePosition;
  }
  vh::FrameContents Contents() const { return {&tree, plane.get(), nullptr, true, {}}; }
};

// The trees, each grown when a benchmark first needs it (the budget-sized
// tree takes a minute).
std::unique_ptr<Subject> subjects[3];
Subject& SubjectOf(std::int64_t index) {
  std::unique_ptr<Subject>& subject = subjects[index];
  if (subject == nullptr) {
    if (index == 0) subject = std::make_unique<Subject>("default tree", vh::TreeParameters());
    if (index == 1) subject = std::make_unique<Subject>("large leafy tree", vh::bench::LargeTreeParameters());
    if (index == 2)
      subject = std::make_unique<Subject>(
          "budget-sized tree", vh::ReadDocumentFile(VH_BENCH_DIR "/budget_tree.vhm", vh::TreeParameters()));
  }
  return *subject;
}

const char* LookName(std::int64_t look) { return look == 1 ? "realistic" : "classic"; }

// A scene of the view's context in the look of the benchmark's argument.
struct LookScene {
  vh::BufferedScene scene;
  explicit LookScene(std::int64_t look) {
    scene.AttachContext(vh::ResolveBufferObjects(Resolve));
    if (look == 1) scene.SetLook(realistic);
  }
  ~LookScene() { scene.ReleaseGl(); }
};

// The window's loop in small: frames at the paced level, upload slices in
// between, until `done` says so.
template <class Done>
void RunUntil(vh::BufferedScene& scene, Subject& subject, Done done) {
  for (;;) {
    const vh::BufferedScene::FrameReport report =
        scene.DrawWithinBudget(subject.camera, subject.Contents(), kBudget);
    if (done(report)) return;
    scene.Pump(vh::PacingClock::now() + std::chrono::milliseconds(15));
    if (!scene.UploadPending()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

void BM_ArrivalToFirstPicture(benchmark::State& state) {
  Subject& subject = SubjectOf(state.range(0));
  double fullMs = 0;
  for (auto _ : state) {
    LookScene look(state.range(1));
    const auto start = vh::PacingClock::now();
    RunUntil(look.scene, subject, [](const auto& report) { return report.drewTree; });
    state.SetIterationTime(std::chrono::duration<double>(vh::PacingClock::now() - start).count());
    RunUntil(look.scene, subject, [&look](const auto&) { return look.scene.FullReady(); });
    fullMs = std::chrono::duration<double, std::milli>(vh::PacingClock::now() - start).count();
  }
  state.SetLabel(std::string(subject.name) + ", " + LookName(state.range(1)));
  state.counters["full_ready_ms"] = fullMs;
}

// A scene with full detail uploaded, kept for the frame benchmarks.
struct ReadyScene : LookScene {
  ReadyScene(Subject& subject, std::int64_t look) : LookScene(look) {
    RunUntil(scene, subject, [this](const auto&) { return scene.FullReady(); });
  }
};

void BM_FullDetailFrame(benchmark::State& state) {
  Subject& subject = SubjectOf(state.range(0));
  ReadyScene ready(subject, state.range(1));
  std::uint64_t primitives = 0;
  for (auto _ : state)
    primitives = ready.scene.DrawWithinBudget(subject.camera, subject.Contents(), 1e9).primitives;
  state.SetLabel(std::string(subject.name) + ", " + LookName(state.range(1)));
  state.counters["primitives"] = static_cast<double>(primitives);
}

void BM_InteractionFrame(benchmark::State& state) {
  Subject& subject = SubjectOf(state.range(0));
  ReadyScene ready(subject, state.range(1));
  vh::Camera camera = subject.camera;
  std::uint64_t primitives = 0;
  bool reduced = false;
  for (int i = 0; i < 5; ++i)
    ready.scene.DrawWithinBudget(camera, subject.Contents(), kBudget);  // learn the rate
  for (auto _ : state) {
    vh::Orbit(camera, 0.01f, 0.0f);
    const auto report = ready.scene.DrawWithinBudget(camera, subject.Contents(), kBudget);
    primitives = report.primitives;
    reduced = report.reduced;
  }
  state.SetLabel(std::string(subject.name) + ", " + LookName(state.range(1)));
  state.counters["primitives"] = static_cast<double>(primitives);
  state.counters["reduced"] = reduced ? 1 : 0;
}

void AllTreesBothLooks(benchmark::internal::Benchmark* b) {
  for (int tree = 0; tree < 3; ++tree)
    for (int look = 0; look < 2; ++look) b->Args({tree, look});
}

BENCHMARK(BM_ArrivalToFirstPicture)
    ->Apply(AllTreesBothLooks)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(2);
BENCHMARK(BM_FullDetailFrame)
    ->Apply(AllTreesBothLooks)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);
BENCHMARK(BM_InteractionFrame)
    ->Apply(AllTreesBothLooks)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  QOpenGLContext context;
  QOffscreenSurface surface;
  if (!context.create()) return 1;
  surface.setFormat(context.format());
  surface.create();
  if (!context.makeCurrent(&surface)) {
    std::fprintf(stderr, "no OpenGL context: run under a display (xvfb-run)\n");
    return 1;
  }
  glContext = &context;
  QOpenGLFramebufferObject target(800, 600, QOpenGLFramebufferObject::Depth);
  target.bind();
  vh::InitViewState();
  vh::RealisticRenderer renderer;
  if (!renderer.Attach(Resolve)) {
    std::fprintf(stderr, "%s\n", renderer.Problem().c_str());
    return 1;
  }
  realistic = &renderer;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  for (auto& subject : subjects) subject.reset();
  renderer.Release();
  return 0;
}
