// One slider change on the default tree in the real main window: the
// handler stores the value, regenerates, rebuilds the ground plane and
// refreshes the counts, then the view draws the new tree. Needs a display
// (xvfb-run).
#include <GL/gl.h>

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QOpenGLWidget>
#include <QSlider>
#include <QSurfaceFormat>
#include <QTest>

#include "app/application.h"
#include "app/main_window.h"
#include "app/message_box.h"

namespace {

MainWindow* window = nullptr;

// Lets the event loop run until the view has drawn and the window has
// presented the frame the last change asked for; false after a second
// without one.
bool WaitForFrame(QOpenGLWidget* view) {
  QElapsedTimer clock;
  clock.start();
  while (window->ViewDirty() && clock.elapsed() < 1000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
  view->makeCurrent();
  glFinish();
  return !window->ViewDirty();
}

void BM_SliderChangeRegenerateAndRedraw(benchmark::State& state) {
  auto* noise = window->findChild<QSlider*>("noise");
  auto* view = window->findChild<QOpenGLWidget*>("StaticText1");
  int value = noise->value();
  for (auto _ : state) {
    value = value == 30 ? 31 : 30;
    noise->setValue(value);  // store, Generate, ground plane, counts
    // The idle redraw: RenderFrame recompiles the new submeshes.
    if (!WaitForFrame(view)) {
      state.SkipWithError("the view did not draw a frame");
      break;
    }
  }
  state.counters["vertices"] = static_cast<double>(window->CurrentTree().VertexCount());
}
BENCHMARK(BM_SliderChangeRegenerateAndRedraw)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// The two halves on their own: the handler's work, and one frame of the
// default tree as the window presents it.
void BM_SliderChangeOnly(benchmark::State& state) {
  auto* noise = window->findChild<QSlider*>("noise");
  int value = noise->value();
  for (auto _ : state) {
    value = value == 30 ? 31 : 30;
    noise->setValue(value);
  }
}
BENCHMARK(BM_SliderChangeOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

void BM_RedrawOnly(benchmark::State& state) {
  auto* view = window->findChild<QOpenGLWidget*>("StaticText1");
  for (auto _ : state) {
    window->SetViewDirty();
    if (!WaitForFrame(view)) {
      state.SkipWithError("the view did not draw a frame");
      break;
    }
  }
}
BENCHMARK(BM_RedrawOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
  QSurfaceFormat format;
  format.setDepthBufferSize(24);
  format.setProfile(QSurfaceFormat::CompatibilityProfile);
  QSurfaceFormat::setDefaultFormat(format);
  Application application(argc, argv);
  benchmark::Initialize(&argc, argv);
  SetMessageSink([](QWidget*, const QString&, const QString& text) {
    std::fprintf(stderr, "message: %s\n", qPrintable(text));
  });
  MainWindow mainWindow(ProbeOpenGL());
  mainWindow.show();
  if (!QTest::qWaitForWindowExposed(&mainWindow) || !mainWindow.ViewBound()) {
    std::fprintf(stderr, "no OpenGL view: run under a display (xvfb-run)\n");
    return 1;
  }
  window = &mainWindow;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
