#include "app/viewport/tree_view.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include <QLabel>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QTimer>
#include <QWheelEvent>

#include "app/document/tree_document.h"
#include "app/viewport/gl_probe.h"
#include "app/viewport/view_scene.h"
#include "app/widgets/message_box.h"
#include "tree/tree.h"
#include "view/gpu_buffers.h"
#include "view/wheel_zoom.h"

namespace {
constexpr float kOrbitRadiansPerPixel = 0.05f;
// How long one upload slice or one slice of the full-detail frame may hold
// the window's thread.
constexpr std::chrono::milliseconds kUploadSlice{15};
constexpr double kRefinementSliceSeconds = 0.030;
// While a billboard cloud or chain is built its pictures are drawn in this
// context: the view's own GL work waits and looks again after this.
constexpr int kBusyContextRetryMs = 50;
// A screenshot waits at most this long for full detail.
constexpr std::chrono::seconds kFullDetailWait{120};
}  // namespace

TreeView::TreeView(const TreeDocument& document, ViewScene& scene, QWidget* parent)
    : QOpenGLWidget(parent), m_document(document), m_scene(scene) {
  setObjectName("StaticText1");
  // Fixed-function drawing needs a compatibility context; the default
  // format gives one on Mesa. Depth and double buffering as the view needs.
  QSurfaceFormat format = QSurfaceFormat::defaultFormat();
  format.setDepthBufferSize(24);
  format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
  format.setRenderableType(QSurfaceFormat::OpenGL);
  format.setProfile(QSurfaceFormat::CompatibilityProfile);
  setFormat(format);
  setMinimumSize(1, 1);
  setAttribute(Qt::WA_OpaquePaintEvent);

  m_refineTimer = new QTimer(this);
  m_refineTimer->setSingleShot(true);
  connect(m_refineTimer, &QTimer::timeout, this, &TreeView::RefineSlice);

  // A quiet note in the corner, not a control: drags pass through it.
  m_reducedMark = new QLabel("Reduced detail", this);
  m_reducedMark->setObjectName("ReducedDetailMark");
  m_reducedMark->setAttribute(Qt::WA_TransparentForMouseEvents);
  m_reducedMark->setStyleSheet("color: rgb(130, 130, 130); background: transparent; font-size: 9px;");
  m_reducedMark->move(6, 4);
  m_reducedMark->adjustSize();
  m_reducedMark->hide();
}

TreeView::~TreeView() {
  if (m_bound) ReleaseContext();
}

void TreeView::BindViewSurface() {
  if (context() == nullptr || !context()->isValid()) {
    if (!m_reportedMissing) {
      m_reportedMissing = true;
      ShowWarning(window(), GlFailureMessage(GlAvailability::kNoContext));
    }
  }
}

void TreeView::initializeGL() {
  if (QOpenGLContext::currentContext() != context()) {
    ShowWarning(window(), GlFailureMessage(GlAvailability::kCannotMakeCurrent));
    return;
  }
  m_bound = true;
  connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &TreeView::ReleaseContext,
          Qt::UniqueConnection);
  vh::InitViewState();
  QOpenGLContext* gl = context();
  const vh::GlResolver resolve = [gl](const char* name) {
    return reinterpret_cast<void*>(gl->getProcAddress(name));
  };
  m_scene.buffers.AttachContext(vh::ResolveBufferObjects(resolve));
  // The shaders are checked once per context, whichever look is shown, so
  // that a switch to the realistic look is immediate or explained at once.
  m_scene.realistic.Attach(resolve);
  ApplyLook();
  emit realisticChecked();
}

void TreeView::ApplyLook() {
  m_scene.buffers.SetLook(m_scene.look == vh::Look::kRealistic ? &m_scene.realistic : nullptr);
}

void TreeView::ReleaseContext() {
  if (!m_bound) return;
  // Buffer, list and texture names belong to this context: what can be
  // freed is freed while it is current, the rest forgotten, so that the
  // next context prepares afresh and never frees a name it did not make.
  if (QOpenGLContext::currentContext() != context()) makeCurrent();
  if (QOpenGLContext::currentContext() == context()) {
    m_scene.buffers.ReleaseGl();
    m_scene.realistic.Release();
  } else {
    m_scene.buffers.ForgetGl();
    m_scene.realistic.Forget();
  }
  m_refinement.reset();
  m_refinementComplete = false;
  m_refineTimer->stop();
  m_scene.refinement.Input(vh::PacingClock::now());
  emit contextLost();
  m_bound = false;
}

bool TreeView::RunInContext(const std::function<void()>& work) {
  if (!m_bound) return false;
  makeCurrent();
  if (QOpenGLContext::currentContext() != context()) return false;
  work();
  doneCurrent();
  return true;
}

void TreeView::RenderFrameNow() {
  if (!m_bound) return;
  m_scene.refinement.Input(vh::PacingClock::now());
  m_refinementComplete = false;
  repaint();
}

void TreeView::RequestFrame() {
  m_scene.refinement.Input(vh::PacingClock::now());
  m_refinementComplete = false;
  update();
}

bool TreeView::Preparing() const { return m_scene.buffers.Preparing(); }

bool TreeView::Refining() const {
  return m_scene.refinement.Now() == vh::RefinementSchedule::State::kDrawing;
}

QImage TreeView::GrabFullDetail() {
  m_fullDetailOnly = true;
  QImage picture = grabFramebuffer();
  m_fullDetailOnly = false;
  update();  // back to the paced frame
  return picture;
}

void TreeView::PiecesReady() {
  if (m_uploading) return;
  m_uploading = true;
  QTimer::singleShot(0, this, &TreeView::UploadSlice);
}

void TreeView::UploadSlice() {
  m_uploading = false;
  if (!m_bound) return;
  if (m_document.EditsLocked()) {
    m_uploading = true;
    QTimer::singleShot(kBusyContextRetryMs, this, &TreeView::UploadSlice);
    return;
  }
  vh::BufferedScene& buffers = m_scene.buffers;
  const std::size_t levelsBefore = buffers.ReadyLevels().size();
  const bool fullBefore = buffers.FullReady();
  RunInContext([&buffers] { buffers.Pump(vh::PacingClock::now() + kUploadSlice); });
  // A finer level or full detail is ready: show it (not an input, so a
  // refinement waiting for quiet keeps its time).
  if (buffers.ReadyLevels().size() != levelsBefore || buffers.FullReady() != fullBefore) update();
  if (buffers.UploadPending()) PiecesReady();
}

void TreeView::ScheduleRefinement() {
  const vh::RefinementSchedule& schedule = m_scene.refinement;
  if (schedule.Now() != vh::RefinementSchedule::State::kWaiting ||
      !m_scene.buffers.RefinementReady(ContentsNow()))
    return;
  const auto wait =
      std::chrono::duration_cast<std::chrono::milliseconds>(schedule.StartsAt() - vh::PacingClock::now());
  m_refineTimer->start(static_cast<int>(std::max<std::chrono::milliseconds::rep>(wait.count(), 0)));
}

// One step of the full-detail frame: its start once the camera has rested,
// then a slice at a time, each from the event loop, until it is complete
// and shown, or until an input sends it back to waiting.
void TreeView::RefineSlice() {
  vh::BufferedScene& buffers = m_scene.buffers;
  vh::RefinementSchedule& schedule = m_scene.refinement;
  const vh::FrameContents contents = ContentsNow();
  if (!m_bound || !buffers.RefinementReady(contents)) {
    // The wind began to play meanwhile: its frames replace any still one.
    if (contents.swaying != nullptr) schedule.Shown(true);
    return;
  }
  if (m_document.EditsLocked()) {
    m_refineTimer->start(kBusyContextRetryMs);
    return;
  }
  using State = vh::RefinementSchedule::State;
  const bool starting = schedule.Now() == State::kWaiting;
  if (starting && !schedule.Begin(vh::PacingClock::now())) {
    ScheduleRefinement();
    return;
  }
  if (schedule.Now() != State::kDrawing) return;
  bool complete = false;
  RunInContext([&] {
    const QSize size(std::max(1, static_cast<int>(width() * devicePixelRatioF())),
                     std::max(1, static_cast<int>(height() * devicePixelRatioF())));
    if (m_refinement == nullptr || m_refinement->size() != size)
      m_refinement = std::make_unique<QOpenGLFramebufferObject>(size, QOpenGLFramebufferObject::Depth);
    m_refinement->bind();
    if (starting) {
      m_refinementCamera = FrameCamera();
      buffers.BeginRefinement(m_refinementCamera);
    }
    complete = buffers.RefineSlice(m_refinementCamera, contents, kRefinementSliceSeconds);
    m_refinement->release();
  });
  if (complete) {
    m_refinementComplete = true;
    update();
  } else {
    m_refineTimer->start(0);
  }
}

void TreeView::PresentRefinement() {
  QOpenGLFramebufferObject::blitFramebuffer(nullptr, m_refinement.get(), GL_COLOR_BUFFER_BIT, GL_NEAREST);
  m_refinementComplete = false;
  m_scene.refinement.Completed();
  ShowReduced(false);
}

void TreeView::ShowReduced(bool reduced) {
  m_reducedOnScreen = reduced;
  m_reducedMark->setVisible(reduced);
}

vh::Camera TreeView::FrameCamera() const {
  // The framebuffer is in device pixels; the camera keeps widget pixels
  // for the controls, and the frame uses the device size.
  vh::Camera frameCamera = m_scene.camera;
  const qreal ratio = devicePixelRatioF();
  frameCamera.viewportWidth = static_cast<int>(width() * ratio);
  frameCamera.viewportHeight = static_cast<int>(height() * ratio);
  return frameCamera;
}

vh::FrameContents TreeView::ContentsNow() const {
  vh::FrameContents contents;
  contents.tree = &m_document.CurrentTree();
  contents.groundPlane = m_scene.groundPlane.get();
  contents.billboard = m_document.Billboard();
  contents.showPlane = m_scene.showPlane;
  const WireframeParts& lines = m_document.State().wireframe;
  contents.wireframe = {lines.tree, lines.groundPlane, lines.billboard};
  // Wind off, or a swaying tree of another tree or mode: today's frame.
  const vh::SwayingTree* swaying = m_scene.swaying.get();
  if (swaying != nullptr && swaying->Shows(*contents.tree, contents.wireframe.tree)) {
    contents.swaying = swaying;
    const vh::SwayingTree* whole = m_scene.swayingWhole.get();
    if (whole != nullptr && whole->Shows(*contents.tree, contents.wireframe.tree))
      contents.swayingWhole = whole;
  }
  return contents;
}

void TreeView::paintGL() {
  if (!m_bound) return;
  if (m_refinementComplete && m_refinement != nullptr && !m_fullDetailOnly) {
    PresentRefinement();
    emit framePainted();
    return;
  }
  vh::BufferedScene& buffers = m_scene.buffers;
  vh::Camera frameCamera = FrameCamera();
  const vh::FrameContents contents = ContentsNow();
  const bool treeShown = contents.billboard == nullptr;
  double budget = vh::kFrameBudgetSeconds;
  if (m_fullDetailOnly) {
    budget = 1e9;
    buffers.DrawWithinBudget(frameCamera, contents, budget);  // starts preparing a tree it has not seen
    const auto giveUp = vh::PacingClock::now() + kFullDetailWait;
    while (treeShown && !buffers.FullReady() && vh::PacingClock::now() < giveUp) {
      buffers.Pump(vh::PacingClock::now() + std::chrono::milliseconds(50));
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  const vh::BufferedScene::FrameReport report = buffers.DrawWithinBudget(frameCamera, contents, budget);
  m_lastFrame = report;
  // ApplyCamera renormalises the axes: keep that in the real camera.
  vh::Camera& camera = m_scene.camera;
  camera.right = frameCamera.right;
  camera.up = frameCamera.up;
  camera.forward = frameCamera.forward;

  const bool full = !treeShown || (report.drewTree && !report.reduced);
  ShowReduced(!full);
  // A tree in the wind is posed anew for every frame while it plays: full
  // detail drawn still, once the camera rests, would stop it. Standing
  // still, it gets full detail as the tree without wind does.
  const bool playing = report.swaying && !m_scene.buffers.RefinementReady(contents);
  if (!m_fullDetailOnly) m_scene.refinement.Shown(full || playing);
  if (!full && !playing) ScheduleRefinement();
  if (buffers.UploadPending()) PiecesReady();
  emit framePainted();
}

void TreeView::mousePressEvent(QMouseEvent* event) {
  m_orbiting = true;
  m_orbitLastX = static_cast<int>(event->position().x());
  m_orbitLastY = static_cast<int>(event->position().y());
}

void TreeView::mouseMoveEvent(QMouseEvent* event) {
  if (!m_orbiting) return;
  const int x = static_cast<int>(event->position().x());
  const int y = static_cast<int>(event->position().y());
  vh::Orbit(m_scene.camera, static_cast<float>(m_orbitLastX - x) * kOrbitRadiansPerPixel,
            static_cast<float>(y - m_orbitLastY) * kOrbitRadiansPerPixel);
  emit cameraMoved();
  m_orbitLastX = x;
  m_orbitLastY = y;
}

void TreeView::mouseReleaseEvent(QMouseEvent*) { m_orbiting = false; }

void TreeView::wheelEvent(QWheelEvent* event) {
  constexpr float kDeltaPerNotch = 120.0f;  // Qt's eighths of a degree per notch
  const float notches = static_cast<float>(event->angleDelta().y()) / kDeltaPerNotch;
  if (notches == 0.0f) {
    event->ignore();
    return;
  }
  vh::WheelZoom(m_scene.camera, vh::BoundsCentre(m_document.ShownMesh(), vh::kRotationPivot), notches);
  emit cameraMoved();
  event->accept();
}
