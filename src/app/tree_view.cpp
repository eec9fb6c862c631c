#include "app/tree_view.h"

#include <chrono>

#include <QMouseEvent>
#include <QOpenGLContext>
#include <QTimer>
#include <QWheelEvent>

#include "app/editor_host.h"
#include "app/message_box.h"
#include "tree/tree.h"
#include "view/camera.h"
#include "view/viewer.h"
#include "view/wheel_zoom.h"

namespace {
constexpr float kOrbitRadiansPerPixel = 0.05f;
// How long one slice of list compilation may hold the window's thread.
constexpr std::chrono::milliseconds kPreparationSlice{30};
}

TreeView::TreeView(EditorHost& host, QWidget* parent) : QOpenGLWidget(parent), host_(host) {
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
}

TreeView::~TreeView() {
  if (bound_) ReleaseContext();
}

void TreeView::BindViewSurface() {
  if (context() == nullptr || !context()->isValid()) {
    if (!reportedMissing_) {
      reportedMissing_ = true;
      ShowWarning(window(), ":-)~ hrc == NULL");
    }
  }
}

void TreeView::initializeGL() {
  if (QOpenGLContext::currentContext() != context()) {
    ShowWarning(window(), "Could not MakeCurrent");
    return;
  }
  bound_ = true;
  connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &TreeView::ReleaseContext,
          Qt::UniqueConnection);
  vh::InitViewState();
}

void TreeView::ReleaseContext() {
  if (!bound_) return;
  // Display-list names belong to this context: forget them so that the
  // next context compiles afresh and never frees a name it did not make.
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
  repaint();
}

void TreeView::RequestFrame() {
  if (preparing_) return;  // the frame being prepared will show this change too
  preparing_ = true;
  QTimer::singleShot(0, this, &TreeView::PrepareSlice);
}

void TreeView::PrepareSlice() {
  bool ready = true;
  const auto deadline = std::chrono::steady_clock::now() + kPreparationSlice;
  WithContext([&] { ready = vh::CompileFrameLists(ContentsNow(), host_.ViewDrawLists(), deadline); });
  if (!ready) {
    QTimer::singleShot(0, this, &TreeView::PrepareSlice);
    return;
  }
  preparing_ = false;
  update();
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
  vh::Camera& camera = host_.ViewCamera();
  // The framebuffer is in device pixels; the camera keeps widget pixels
  // for the controls, and the frame uses the device size.
  const qreal ratio = devicePixelRatioF();
  vh::Camera frameCamera = camera;
  frameCamera.viewportWidth = static_cast<int>(width() * ratio);
  frameCamera.viewportHeight = static_cast<int>(height() * ratio);
  vh::RenderFrame(frameCamera, ContentsNow(), host_.ViewDrawLists());
  // ApplyCamera renormalises the axes: keep that in the real camera.
  camera.right = frameCamera.right;
  camera.up = frameCamera.up;
  camera.forward = frameCamera.forward;
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
