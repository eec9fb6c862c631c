// One slider change in the real main window, until the new tree is on
// screen: the handler stores the value and asks for a tree, the tree grows
// on the generation driver's worker ("grow"), then the window takes it in
// and the view draws its first picture of it ("draw": the whole of a small
// tree, the coarsest level of a large one while its buffers are prepared). Run for the
// default tree and for the large benchmark tree (bench/large_tree.vhm).
// Needs a display (xvfb-run).
#include <GL/gl.h>

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QOpenGLWidget>
#include <QSlider>
#include <QSurfaceFormat>
#include <QTest>
#include <QTimer>

#include "app/document/tree_document.h"
#include "app/shell/application.h"
#include "app/shell/main_window.h"
#include "app/viewport/viewport.h"
#include "app/widgets/message_box.h"
#include "fileio/document.h"

namespace {

MainWindow* window = nullptr;
constexpr qint64 kGiveUpMs = 120'000;

// Processes events, sleeping until one arrives, while `pending` holds: a
// busy loop would take a core from the growing tree. (The overload of
// processEvents with a time limit ignores WaitForMoreEvents and spins; the
// heartbeat wakes the blocking one to check the give-up time.)
template <class Pending>
bool WaitWhile(const QElapsedTimer& clock, Pending pending) {
  QTimer heartbeat;
  heartbeat.start(50);
  while (pending()) {
    if (clock.elapsed() > kGiveUpMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  return true;
}

struct Timing {
  double growMs = 0;
  double drawMs = 0;
};

// Moves "Noise :" by one and waits until the view has drawn the new tree
// and the GL work is done.
bool ChangeSliderUntilFramed(QSlider* noise, Timing& timing) {
  auto* view = window->findChild<QOpenGLWidget*>("StaticText1");
  QElapsedTimer clock;
  qint64 grownAt = -1;
  const auto connection =
      QObject::connect(window, &MainWindow::treeGrown, [&] { grownAt = clock.nsecsElapsed(); });
  clock.start();
  noise->setValue(noise->value() == 30 ? 31 : 30);
  bool ok = WaitWhile(clock, [&] { return grownAt < 0; });
  QObject::disconnect(connection);
  ok = ok && WaitWhile(clock, [] { return window->View().Dirty(); });
  view->makeCurrent();
  glFinish();
  const qint64 framedAt = clock.nsecsElapsed();
  timing.growMs = static_cast<double>(grownAt) / 1e6;
  timing.drawMs = static_cast<double>(framedAt - grownAt) / 1e6;
  return ok;
}

void SliderToFrame(benchmark::State& state) {
  auto* noise = window->findChild<QSlider*>("noise");
  double grow = 0, draw = 0;
  for (auto _ : state) {
    Timing timing;
    if (!ChangeSliderUntilFramed(noise, timing)) {
      state.SkipWithError("no new tree on screen within two minutes");
      break;
    }
    state.SetIterationTime((timing.growMs + timing.drawMs) / 1e3);
    grow += timing.growMs;
    draw += timing.drawMs;
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["grow_ms"] = grow / n;
  state.counters["draw_ms"] = draw / n;
  state.counters["grow_share"] = grow / (grow + draw);
  state.counters["vertices"] = static_cast<double>(window->Document().CurrentTree().VertexCount());
}

// One frame of the tree as it is, its buffers uploaded (a large tree at
// the level that fits the frame's budget).
void RedrawOnly(benchmark::State& state) {
  auto* view = window->findChild<QOpenGLWidget*>("StaticText1");
  for (auto _ : state) {
    QElapsedTimer clock;
    clock.start();
    window->View().SetDirty();
    if (!WaitWhile(clock, [] { return window->View().Dirty(); })) {
      state.SkipWithError("the view did not draw a frame");
      break;
    }
    view->makeCurrent();
    glFinish();
  }
}

// Shows `params` (grown and drawn once) before the benchmarks of a tree.
bool ShowTree(const vh::TreeParameters& params) {
  window->Document().State().params = params;
  window->Document().ParametersReplaced();
  window->Document().GenerateTree();
  QElapsedTimer clock;
  clock.start();
  return WaitWhile(clock, [] { return window->Document().Busy() || window->View().Dirty(); });
}

void BM_DefaultTreeSliderToFrame(benchmark::State& state) {
  if (!ShowTree(vh::TreeParameters())) state.SkipWithError("the default tree did not show");
  SliderToFrame(state);
}
BENCHMARK(BM_DefaultTreeSliderToFrame)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);

void BM_DefaultTreeRedraw(benchmark::State& state) { RedrawOnly(state); }
BENCHMARK(BM_DefaultTreeRedraw)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

void BM_LargeTreeSliderToFrame(benchmark::State& state) {
  const vh::TreeParameters large = vh::ReadDocumentFile(VH_BENCH_DIR "/large_tree.vhm", vh::TreeParameters());
  if (!ShowTree(large)) state.SkipWithError("the large tree did not show");
  SliderToFrame(state);
}
BENCHMARK(BM_LargeTreeSliderToFrame)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

void BM_LargeTreeRedraw(benchmark::State& state) { RedrawOnly(state); }
BENCHMARK(BM_LargeTreeRedraw)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  QSurfaceFormat format;
  format.setDepthBufferSize(24);
  format.setProfile(QSurfaceFormat::CompatibilityProfile);
  QSurfaceFormat::setDefaultFormat(format);
  Application application(argc, argv);
  benchmark::Initialize(&argc, argv);
  SetMessageSink([](QWidget*, MessageKind, const QString&, const QString& text) {
    std::fprintf(stderr, "message: %s\n", qPrintable(text));
  });
  MainWindow mainWindow(ProbeOpenGL());
  mainWindow.show();
  if (!QTest::qWaitForWindowExposed(&mainWindow) || !mainWindow.View().Bound()) {
    std::fprintf(stderr, "no OpenGL view: run under a display (xvfb-run)\n");
    return 1;
  }
  window = &mainWindow;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
