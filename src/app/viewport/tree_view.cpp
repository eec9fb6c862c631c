#include "app/viewport/tree_view.h"

#include <chrono>

#include <QMouseEvent>
#include <QOpenGLContext>
#include <QTimer>
#include <QWheelEvent>

#include "app/document/tree_document.h"
#include "app/viewport/gl_probe.h"
#include "app/viewport/view_scene.h"
#include "app/widgets/message_box.h"
#include "tree/tree.h"
#include "view/camera.h"
#include "view/viewer.h"
#include "view/wheel_zoom.h"

namespace {
constexpr float kOrbitRadiansPerPixel = 0.05f;
// How long one slice of list compilation may hold the window's thread.
constexpr std::chrono::milliseconds kPreparationSlice{30};
}

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
}

void TreeView::ReleaseContext() {
  if (!m_bound) return;
  // Display-list names belong to this context: forget them so that the
  // next context compiles afresh and never frees a name it did not make.
  emit contextLost();
  m_bound = false;
}

bool TreeView::WithContext(const std::function<void()>& work) {
  if (!m_bound) return false;
  makeCurrent();
  if (QOpenGLContext::currentContext() != context()) return false;
  work();
  doneCurrent();
  return true;
}

void TreeView::RenderFrameNow() {
  if (!m_bound) return;
  repaint();
}

void TreeView::RequestFrame() {
  if (m_preparing) return;  // the frame being prepared will show this change too
  m_preparing = true;
  QTimer::singleShot(0, this, &TreeView::PrepareSlice);
}

void TreeView::PrepareSlice() {
  bool ready = true;
  const auto deadline = std::chrono::steady_clock::now() + kPreparationSlice;
  WithContext([&] { ready = vh::CompileFrameLists(ContentsNow(), m_scene.drawLists, deadline); });
  if (!ready) {
    QTimer::singleShot(0, this, &TreeView::PrepareSlice);
    return;
  }
  m_preparing = false;
  update();
}

vh::FrameContents TreeView::ContentsNow() const {
  vh::FrameContents contents;
  contents.tree = &m_document.CurrentTree();
  contents.groundPlane = m_scene.groundPlane.get();
  contents.billboard = m_document.Billboard();
  contents.showPlane = m_scene.showPlane;
  contents.wireframe = m_document.Session().wireframe;
  return contents;
}

void TreeView::paintGL() {
  if (!m_bound) return;
  vh::Camera& camera = m_scene.camera;
  // The framebuffer is in device pixels; the camera keeps widget pixels
  // for the controls, and the frame uses the device size.
  const qreal ratio = devicePixelRatioF();
  vh::Camera frameCamera = camera;
  frameCamera.viewportWidth = static_cast<int>(width() * ratio);
  frameCamera.viewportHeight = static_cast<int>(height() * ratio);
  vh::RenderFrame(frameCamera, ContentsNow(), m_scene.drawLists);
  // ApplyCamera renormalises the axes: keep that in the real camera.
  camera.right = frameCamera.right;
  camera.up = frameCamera.up;
  camera.forward = frameCamera.forward;
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
