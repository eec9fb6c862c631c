#include "app/tree_view.h"

#include <chrono>
#include <thread>

#include <QLabel>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QTimer>
#include <QWheelEvent>

#include "app/editor_host.h"
#include "app/message_box.h"
#include "tree/tree.h"
#include "view/camera.h"
#include "view/gpu_buffers.h"
#include "view/viewer.h"
#include "view/wheel_zoom.h"

namespace {
constexpr float kOrbitRadiansPerPixel = 0.05f;
// A frame that takes longer than this makes the window feel stuck: larger
// trees are drawn reduced while the camera moves.
constexpr double kFrameBudgetSeconds = 0.040;
// How long one upload slice or one slice of the full-detail frame may hold
// the window's thread.
constexpr std::chrono::milliseconds kUploadSlice{15};
constexpr double kRefinementSliceSeconds = 0.030;
// While a billboard cloud is built the context draws its pictures: the
// view's own GL work waits and looks again after this.
constexpr int kBusyContextRetryMs = 50;
// A screenshot waits at most this long for full detail.
constexpr std::chrono::seconds kFullDetailWait{120};
}  // namespace

TreeView::TreeView(EditorHost& host, QWidget* parent)
    : QOpenGLWidget(parent),
      host_(host),
      scene_([this] { QMetaObject::invokeMethod(this, &TreeView::onPiecesReady, Qt::QueuedConnection); }) {
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

  refineTimer_ = new QTimer(this);
  refineTimer_->setSingleShot(true);
  connect(refineTimer_, &QTimer::timeout, this, &TreeView::RefineSlice);

  // A quiet note in the corner, not a control: drags pass through it.
  reducedMark_ = new QLabel("Reduced detail", this);
  reducedMark_->setObjectName("ReducedDetailMark");
  reducedMark_->setAttribute(Qt::WA_TransparentForMouseEvents);
  reducedMark_->setStyleSheet("color: rgb(130, 130, 130); background: transparent; font-size: 9px;");
  reducedMark_->move(6, 4);
  reducedMark_->adjustSize();
  reducedMark_->hide();
}

TreeView::~TreeView() {
  if (bound_) ReleaseContext();
}

void TreeView::BindViewSurface() {
  if (context() == nullptr || !context()->isValid()) {
    if (!reportedMissing_) {
      reportedMissing_ = true;
      ShowMessage(window(), ":-)~ hrc == NULL");
    }
  }
}

void TreeView::initializeGL() {
  if (QOpenGLContext::currentContext() != context()) {
    ShowMessage(window(), "Could not MakeCurrent");
    return;
  }
  bound_ = true;
  connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &TreeView::ReleaseContext,
          Qt::UniqueConnection);
  vh::InitViewState();
  QOpenGLContext* gl = context();
  scene_.AttachContext(
      vh::ResolveBufferObjects([gl](const char* name) { return reinterpret_cast<void*>(gl->getProcAddress(name)); }));
}

void TreeView::ReleaseContext() {
  if (!bound_) return;
  // Buffer, list and texture names belong to this context: free what can
  // be freed while it is current, forget the rest, so that the next context
  // prepares afresh and never frees a name it did not make.
  if (QOpenGLContext::currentContext() != context()) makeCurrent();
  if (QOpenGLContext::currentContext() == context()) {
    scene_.ReleaseGl();
  } else {
    scene_.ForgetGl();
  }
  refinement_.reset();
  refinementComplete_ = false;
  emit contextLost();
  bound_ = false;
}

bool TreeView::WithContext(const std::function<void()>& work) {
  if (!bound_) return false;
  makeCurrent();
  if (QOpenGLContext::currentContext() != context()) return false;
  work();
  doneCurrent();
  return true;
}

void TreeView::RenderFrameNow() {
  if (!bound_) return;
  schedule_.Input(vh::PacingClock::now());
  refinementComplete_ = false;
  repaint();
}

void TreeView::RequestFrame() {
  schedule_.Input(vh::PacingClock::now());
  refinementComplete_ = false;
  update();
}

bool TreeView::Preparing() const { return scene_.Preparing(); }

void TreeView::TreeChanging() {
  scene_.TreeChanging();
  refinementComplete_ = false;
}

QImage TreeView::GrabFullDetail() {
  fullDetailOnly_ = true;
  QImage picture = grabFramebuffer();
  fullDetailOnly_ = false;
  update();  // back to the paced frame
  return picture;
}

void TreeView::onPiecesReady() {
  if (pumping_) return;
  pumping_ = true;
  QTimer::singleShot(0, this, &TreeView::PumpSlice);
}

void TreeView::PumpSlice() {
  pumping_ = false;
  if (!bound_) return;
  if (host_.EditsLocked()) {
    pumping_ = true;
    QTimer::singleShot(kBusyContextRetryMs, this, &TreeView::PumpSlice);
    return;
  }
  const std::size_t levelsBefore = scene_.ReadyLevels().size();
  const bool fullBefore = scene_.FullReady();
  WithContext([this] { scene_.Pump(vh::PacingClock::now() + kUploadSlice); });
  // A finer level or full detail is ready: show it (not an input, so a
  // refinement waiting for quiet keeps its time).
  if (scene_.ReadyLevels().size() != levelsBefore || scene_.FullReady() != fullBefore) update();
  if (scene_.UploadPending()) {
    pumping_ = true;
    QTimer::singleShot(0, this, &TreeView::PumpSlice);
  }
}

void TreeView::ScheduleRefinement() {
  if (schedule_.Now() != vh::RefinementSchedule::State::kWaiting || !scene_.FullReady()) return;
  const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(schedule_.StartsAt() - vh::PacingClock::now());
  refineTimer_->start(static_cast<int>(std::max<std::chrono::milliseconds::rep>(wait.count(), 0)));
}

// One step of the full-detail frame: its start once the camera has rested,
// then a slice at a time, each from the event loop, until it is complete
// and shown, or until an input sends it back to waiting.
void TreeView::RefineSlice() {
  if (!bound_ || !scene_.FullReady()) return;
  if (host_.EditsLocked()) {
    refineTimer_->start(kBusyContextRetryMs);
    return;
  }
  using State = vh::RefinementSchedule::State;
  const bool starting = schedule_.Now() == State::kWaiting;
  if (starting && !schedule_.Begin(vh::PacingClock::now())) {
    ScheduleRefinement();
    return;
  }
  if (schedule_.Now() != State::kDrawing) return;
  bool complete = false;
  WithContext([&] {
    const QSize size(std::max(1, static_cast<int>(width() * devicePixelRatioF())),
                     std::max(1, static_cast<int>(height() * devicePixelRatioF())));
    if (refinement_ == nullptr || refinement_->size() != size)
      refinement_ = std::make_unique<QOpenGLFramebufferObject>(size, QOpenGLFramebufferObject::Depth);
    refinement_->bind();
    if (starting) {
      refinementCamera_ = FrameCamera();
      scene_.BeginRefinement(refinementCamera_);
    }
    complete = scene_.RefineSlice(refinementCamera_, ContentsNow(), kRefinementSliceSeconds);
    refinement_->release();
  });
  if (complete) {
    refinementComplete_ = true;
    update();
  } else {
    refineTimer_->start(0);
  }
}

void TreeView::PresentRefinement() {
  QOpenGLFramebufferObject::blitFramebuffer(nullptr, refinement_.get(), GL_COLOR_BUFFER_BIT, GL_NEAREST);
  refinementComplete_ = false;
  schedule_.Completed();
  reducedOnScreen_ = false;
  reducedMark_->hide();
}

vh::Camera TreeView::FrameCamera() const {
  // The framebuffer is in device pixels; the camera keeps widget pixels
  // for the controls, and the frame uses the device size.
  vh::Camera frameCamera = host_.ViewCamera();
  const qreal ratio = devicePixelRatioF();
  frameCamera.viewportWidth = static_cast<int>(width() * ratio);
  frameCamera.viewportHeight = static_cast<int>(height() * ratio);
  return frameCamera;
}

vh::FrameContents TreeView::ContentsNow() const {
  vh::FrameContents contents;
  contents.tree = &host_.CurrentTree();
  contents.groundPlane = &host_.GroundPlane();
  contents.billboard = host_.Billboard();
  contents.showPlane = host_.ShowPlane();
  contents.wireframe = host_.Session().wireframe;
  return contents;
}

void TreeView::paintGL() {
  if (!bound_) return;
  if (refinementComplete_ && refinement_ != nullptr && !fullDetailOnly_) {
    PresentRefinement();
    emit framePainted();
    return;
  }
  vh::Camera frameCamera = FrameCamera();
  const vh::FrameContents contents = ContentsNow();
  const bool treeShown = contents.billboard == nullptr;
  double budget = kFrameBudgetSeconds;
  if (fullDetailOnly_) {
    budget = 1e9;
    scene_.RenderFrame(frameCamera, contents, budget);  // starts preparing a tree it has not seen
    const auto giveUp = vh::PacingClock::now() + kFullDetailWait;
    while (treeShown && !scene_.FullReady() && vh::PacingClock::now() < giveUp) {
      scene_.Pump(vh::PacingClock::now() + std::chrono::milliseconds(50));
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  const vh::BufferedScene::FrameReport report = scene_.RenderFrame(frameCamera, contents, budget);
  // ApplyCamera renormalises the axes: keep that in the real camera.
  vh::Camera& camera = host_.ViewCamera();
  camera.right = frameCamera.right;
  camera.up = frameCamera.up;
  camera.forward = frameCamera.forward;

  const bool full = !treeShown || (report.drewTree && !report.reduced);
  reducedOnScreen_ = !full;
  reducedMark_->setVisible(reducedOnScreen_);
  if (!fullDetailOnly_) schedule_.Shown(full);
  if (!full) ScheduleRefinement();
  if (scene_.UploadPending()) onPiecesReady();
  emit framePainted();
}

void TreeView::mousePressEvent(QMouseEvent* event) {
  orbiting_ = true;
  orbitLastX_ = static_cast<int>(event->position().x());
  orbitLastY_ = static_cast<int>(event->position().y());
}

void TreeView::mouseMoveEvent(QMouseEvent* event) {
  if (!orbiting_) return;
  const int x = static_cast<int>(event->position().x());
  const int y = static_cast<int>(event->position().y());
  vh::Orbit(host_.ViewCamera(), static_cast<float>(orbitLastX_ - x) * kOrbitRadiansPerPixel,
            static_cast<float>(y - orbitLastY_) * kOrbitRadiansPerPixel);
  host_.SetViewDirty();
  orbitLastX_ = x;
  orbitLastY_ = y;
}

void TreeView::mouseReleaseEvent(QMouseEvent*) { orbiting_ = false; }

void TreeView::wheelEvent(QWheelEvent* event) {
  constexpr float kDeltaPerNotch = 120.0f;  // Qt's eighths of a degree per notch
  const float notches = static_cast<float>(event->angleDelta().y()) / kDeltaPerNotch;
  if (notches == 0.0f) {
    event->ignore();
    return;
  }
  vh::MeshObject* shown = host_.Billboard() != nullptr ? host_.Billboard() : &host_.CurrentTree();
  vh::WheelZoom(host_.ViewCamera(), vh::BoundsCentre(*shown, vh::kRotationPivot), notches);
  host_.SetViewDirty();
  event->accept();
}
