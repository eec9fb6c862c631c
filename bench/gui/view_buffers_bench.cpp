// The view's buffers for three trees: the default tree, the large leafy
// benchmark tree (bench/large_tree.vhm) and a tree grown to the 20 M-vertex
// budget. For each: the time from the tree's arrival to the first picture
// (some level of it on screen), a full-detail frame, an interaction frame
// (the level the 40 ms budget picks), and the renderer's limit: the same
// triangles from one buffer with one glDrawElements. Counters give the
// tree's own mesh and what the view adds in this process (RSS), and, for
// the trees where it is affordable, what the display lists added.
// Renders into an 800 x 600 framebuffer object; run under xvfb-run.
#include <GL/gl.h>

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>
#include <thread>

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>

#include "../bench_trees.h"
#include "view/buffered_scene.h"
#include "view/ground_plane.h"
#include "view/mesh_drawing.h"
#include "view/viewer.h"

namespace {

constexpr double kBudget = 0.040;
QOpenGLContext* glContext = nullptr;

double ResidentMegabytes() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmRSS:") {
      double kilobytes = 0;
      status >> kilobytes;
      return kilobytes / 1024.0;
    }
    status.ignore(1 << 12, '\n');
  }
  return 0.0;
}

double MeshMegabytes(const vh::MeshObject& mesh) {
  double bytes = 0;
  for (const auto& submesh : mesh.submeshes)
    bytes += static_cast<double>(submesh->vertices.capacity() * sizeof(vh::Vertex) +
                                 submesh->triangles.capacity() * sizeof(vh::Triangle));
  return bytes / (1024.0 * 1024.0);
}

vh::BufferObjectFunctions Functions() {
  return vh::ResolveBufferObjects(
      [](const char* name) { return reinterpret_cast<void*>(glContext->getProcAddress(name)); });
}

// bench/budget_tree.vhm: the large tree one level deeper with nine children
// on every level; it would have far more than 20 M vertices and stops at the
// budget.
vh::TreeParameters BudgetTreeParameters() {
  return vh::ReadDocumentFile(VH_BENCH_DIR "/budget_tree.vhm", vh::TreeParameters());
}

struct Subject {
  const char* name;
  vh::Tree tree;
  std::unique_ptr<vh::MeshObject> plane = vh::BuildGroundPlane();
  vh::Camera camera;
  double meshMegabytes = 0;

  Subject(const char* n, const vh::TreeParameters& params) : name(n), tree(vh::Generate(params)) {
    camera.viewportWidth = 800;
    camera.viewportHeight = 600;
    camera.position = vh::kHomePosition;
    meshMegabytes = MeshMegabytes(tree);
  }
  vh::FrameContents Contents() const { return {&tree, plane.get(), nullptr, true, {}}; }
};

std::vector<std::unique_ptr<Subject>> subjects;

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
  Subject& subject = *subjects[state.range(0)];
  double fullMs = 0, rssBefore = 0, rssAfter = 0, hostMb = 0;
  for (auto _ : state) {
    rssBefore = ResidentMegabytes();
    vh::BufferedScene scene;
    scene.AttachContext(Functions());
    const auto start = vh::PacingClock::now();
    RunUntil(scene, subject, [](const auto& report) { return report.drewTree; });
    state.SetIterationTime(std::chrono::duration<double>(vh::PacingClock::now() - start).count());
    RunUntil(scene, subject, [&scene](const auto&) { return scene.FullReady(); });
    fullMs = std::chrono::duration<double, std::milli>(vh::PacingClock::now() - start).count();
    rssAfter = ResidentMegabytes();
    hostMb = static_cast<double>(scene.HostBytes()) / (1024.0 * 1024.0);
    scene.ReleaseGl();
  }
  state.SetLabel(subject.name);
  state.counters["full_ready_ms"] = fullMs;
  state.counters["vertices"] = static_cast<double>(subject.tree.VertexCount());
  state.counters["mesh_MB"] = subject.meshMegabytes;
  state.counters["view_rss_MB"] = rssAfter - rssBefore;  // buffers, with the driver's copies
  state.counters["view_host_MB"] = hostMb;
}

// A scene with full detail uploaded, kept for the frame benchmarks.
struct ReadyScene {
  vh::BufferedScene scene;
  explicit ReadyScene(Subject& subject) {
    scene.AttachContext(Functions());
    RunUntil(scene, subject, [this](const auto&) { return scene.FullReady(); });
  }
  ~ReadyScene() { scene.ReleaseGl(); }
};

void BM_FullDetailFrame(benchmark::State& state) {
  Subject& subject = *subjects[state.range(0)];
  ReadyScene ready(subject);
  std::uint64_t primitives = 0;
  for (auto _ : state)
    primitives = ready.scene.DrawWithinBudget(subject.camera, subject.Contents(), 1e9).primitives;
  state.SetLabel(subject.name);
  state.counters["primitives"] = static_cast<double>(primitives);
}

void BM_InteractionFrame(benchmark::State& state) {
  Subject& subject = *subjects[state.range(0)];
  ReadyScene ready(subject);
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
  state.SetLabel(subject.name);
  state.counters["primitives"] = static_cast<double>(primitives);
  state.counters["reduced"] = reduced ? 1 : 0;
}

// Every triangle of the full tree in one block of one batch.
vh::MeshBuffers OneBuffer(const vh::MeshObject& tree) {
  vh::FillOptions options;
  options.blockVertices = std::numeric_limits<std::size_t>::max();
  vh::MeshBuffers filled = vh::FillMeshBuffers(tree, options);
  vh::MeshBuffers one;
  one.primitives = filled.primitives;
  vh::BufferBlock& block = one.batches.emplace_back().blocks.emplace_back();
  for (vh::BufferBatch& batch : filled.batches)
    for (vh::BufferBlock& part : batch.blocks) {
      const auto base = static_cast<std::uint32_t>(block.vertices.size());
      block.vertices.insert(block.vertices.end(), part.vertices.begin(), part.vertices.end());
      for (std::uint32_t index : part.indices) block.indices.push_back(base + index);
      part = vh::BufferBlock();
    }
  return one;
}

void BM_OneBufferLimit(benchmark::State& state) {
  Subject& subject = *subjects[state.range(0)];
  vh::GpuMeshBuffers one(OneBuffer(subject.tree), Functions());
  one.Upload(vh::PacingClock::time_point::max());
  vh::Camera camera = subject.camera;
  for (auto _ : state) {
    vh::BeginFrame(camera);
    one.Draw();
    glFinish();
  }
  one.Release();
  state.SetLabel(subject.name);
  state.counters["primitives"] = static_cast<double>(one.Primitives());
}

// What the display lists of the previous drawing added, for comparison
// (too slow to compile for the budget tree: minutes).
void BM_DisplayListsBefore(benchmark::State& state) {
  Subject& subject = *subjects[state.range(0)];
  double rss = 0, firstMs = 0;
  for (auto _ : state) {
    const double before = ResidentMegabytes();
    vh::DrawListCache lists;
    const auto start = vh::PacingClock::now();
    vh::RenderFrame(subject.camera, subject.Contents(), lists);
    glFinish();
    firstMs = std::chrono::duration<double, std::milli>(vh::PacingClock::now() - start).count();
    rss = ResidentMegabytes() - before;
    vh::ReleaseAllLists(lists);
  }
  state.SetLabel(subject.name);
  state.counters["first_frame_ms"] = firstMs;
  state.counters["lists_rss_MB"] = rss;
  state.counters["mesh_MB"] = subject.meshMegabytes;
}

void AllTrees(benchmark::internal::Benchmark* b) { b->Arg(0)->Arg(1)->Arg(2); }

BENCHMARK(BM_ArrivalToFirstPicture)
    ->Apply(AllTrees)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(2);
BENCHMARK(BM_FullDetailFrame)->Apply(AllTrees)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_InteractionFrame)->Apply(AllTrees)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(BM_OneBufferLimit)->Apply(AllTrees)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_DisplayListsBefore)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

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
  subjects.push_back(std::make_unique<Subject>("default tree", vh::TreeParameters()));
  subjects.push_back(std::make_unique<Subject>("large leafy tree", vh::bench::LargeTreeParameters()));
  subjects.push_back(std::make_unique<Subject>("budget-sized tree", BudgetTreeParameters()));
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  subjects.clear();
  return 0;
}
