#include "app/viewport/viewport.h"

#include <memory>
#include <optional>
#include <utility>

#include <QEvent>
#include <QPalette>
#include <QTimer>
#include <QWidget>

#include "app/document/tree_document.h"
#include "app/viewport/look_preference.h"
#include "app/viewport/tree_view.h"
#include "app/viewport/wind_player.h"
#include "app/widgets/message_box.h"
#include "view/billboard_texture.h"
#include "view/framing.h"
#include "view/ground_clearance.h"
#include "view/ground_plane.h"
#include "view/texture_upload.h"

namespace {
// How far the eye stays above the shown ground: a share of its distance to
// what it orbits, so that a large tree seen from afar is looked at from a
// little above the grass, and a leaf close up from just above it.
constexpr float kGroundClearance = 0.02f;
}  // namespace

Viewport::Viewport(TreeDocument& document, GlAvailability gl, QWidget* parent)
    : m_document(document),
      m_gl(gl),
      // The worker's call comes from its own thread: the upload is queued
      // to the window's.
      m_scene([this] { QMetaObject::invokeMethod(this, &Viewport::UploadPieces, Qt::QueuedConnection); }) {
  m_scene.groundPlane = vh::BuildGroundPlane();
  m_scene.look = StoredLook();
  if (gl == GlAvailability::kAvailable) {
    m_glView = new TreeView(document, m_scene, parent);
    connect(m_glView, &TreeView::framePainted, this, [this] { m_dirty = false; });
    connect(m_glView, &TreeView::cameraMoved, this, &Viewport::SetDirty);
    connect(m_glView, &TreeView::contextLost, this, &Viewport::ForgetContextState);
    connect(m_glView, &TreeView::realisticChecked, this, [this] { emit lookNoteChanged(LookNote()); });
    m_surface = m_glView;
  } else {
    // Without OpenGL the view stays blank; a GL widget is not even made,
    // since some platforms fail hard on one they cannot serve.
    m_surface = new QWidget(parent);
    m_surface->setObjectName("StaticText1");
    m_surface->setAutoFillBackground(true);
    QPalette white = m_surface->palette();
    white.setColor(QPalette::Window, Qt::white);
    m_surface->setPalette(white);
  }
  m_surface->installEventFilter(this);
  m_scene.camera.viewportWidth = m_surface->width();
  m_scene.camera.viewportHeight = m_surface->height();
  m_scene.camera.position = vh::kHomePosition;

  connect(&document, &TreeDocument::treeReplaced, this, &Viewport::ShowGrownTree);
  connect(&document, &TreeDocument::billboardChanged, this, &Viewport::ShowBillboard);
  connect(&document, &TreeDocument::redrawRequested, this, &Viewport::SetDirty);
  connect(&document, &TreeDocument::leafPictureLoaded, this, &Viewport::UploadLeafPicture);
  connect(&document, &TreeDocument::barkPictureLoaded, this, &Viewport::UploadBarkPicture);
  connect(&document, &TreeDocument::buildingChanged, this, &Viewport::Freeze);
  m_wind = std::make_unique<WindPlayer>(document, m_scene, [this] { SetDirty(); });
}

// The surface belongs to the window it was placed in, which deletes it;
// the window deletes it before the viewport, while the meshes whose buffers
// and display lists its context holds still exist.
Viewport::~Viewport() = default;

bool Viewport::Preparing() const { return m_glView != nullptr && m_glView->Preparing(); }

bool Viewport::ShowingReducedLevel() const { return m_glView != nullptr && m_glView->ShowingReducedLevel(); }

bool Viewport::Refining() const { return m_glView != nullptr && m_glView->Refining(); }

void Viewport::UploadPieces() {
  if (m_glView != nullptr) m_glView->PiecesReady();
}

bool Viewport::Bound() const { return m_glView != nullptr && m_glView->Bound(); }

void Viewport::KeepEyeAboveGround() {
  if (m_scene.showPlane)
    vh::KeepEyeAbove(m_scene.camera, vh::kGroundHeight, kGroundClearance * m_scene.camera.focusDistance);
}

void Viewport::SetDirty() {
  KeepEyeAboveGround();
  m_dirty = true;
  if (m_glView != nullptr) m_glView->RequestFrame();
}

void Viewport::RenderNow() {
  KeepEyeAboveGround();
  if (m_glView != nullptr) m_glView->RenderFrameNow();
}

bool Viewport::RunInContext(const std::function<void()>& work) {
  return m_glView != nullptr && m_glView->RunInContext(work);
}

bool Viewport::RunInContext(const std::function<void(vh::DrawListCache& lists)>& work) {
  return RunInContext([&] { work(m_scene.drawLists); });
}

void Viewport::SetShowPlane(bool shown) {
  m_scene.showPlane = shown;
  SetDirty();
}

void Viewport::SetLook(vh::Look look) {
  StoreLook(look);
  if (look == m_scene.look) return;
  m_scene.look = look;
  if (m_glView != nullptr) m_glView->ApplyLook();
  emit lookNoteChanged(LookNote());
  RenderNow();
}

QString Viewport::LookNote() const {
  if (m_scene.look != vh::Look::kRealistic || !Bound() || m_scene.realistic.Ready()) return QString();
  return QString::fromStdString(m_scene.realistic.Problem());
}

void Viewport::SetWireframeBlending(bool billboardMode, bool on) {
  RunInContext([billboardMode, on] { vh::SetWireframeBlending(billboardMode, on); });
}

void Viewport::MoveEye(float distance) {
  m_scene.camera.position += distance * m_scene.camera.forward;
  SetDirty();
}

void Viewport::WhenContextReady(std::function<void()> action) {
  if (m_glView == nullptr || m_glView->Bound()) {
    action();
    return;
  }
  auto pending = std::make_shared<std::function<void()>>(std::move(action));
  const auto runOnce = [pending] {
    if (!*pending) return;
    const std::function<void()> run = std::exchange(*pending, nullptr);
    run();
  };
  connect(
      m_glView, &TreeView::framePainted, this, [this, runOnce] { QTimer::singleShot(0, this, runOnce); },
      Qt::SingleShotConnection);
  QTimer::singleShot(2000, this, runOnce);
}

void Viewport::ResetCamera() {
  vh::Camera& camera = m_scene.camera;
  const int width = camera.viewportWidth;
  const int height = camera.viewportHeight;
  camera = vh::Camera();
  camera.viewportWidth = width;
  camera.viewportHeight = height;
  camera.position = vh::kHomePosition;
  SetDirty();
}

void Viewport::FrameShown() {
  const std::optional<vh::Box> bounds = vh::MeshBounds(m_document.ShownMesh());
  if (!bounds) return;  // nothing to look at: the eye stays
  vh::FrameBox(m_scene.camera, *bounds);
  SetDirty();
}

void Viewport::FrameFromTheFront() {
  ResetCamera();
  FrameShown();
}

void Viewport::ReportContextProblems() {
  // The GL view reports a context it could not create or make current
  // itself; a platform without OpenGL got the blank surface.
  if (m_glView != nullptr) {
    m_glView->BindViewSurface();
  } else {
    ShowWarning(m_surface->window(), GlFailureMessage(m_gl));
  }
}

QImage Viewport::Grab() {
  // The GL view draws a full-detail frame into an offscreen buffer of its
  // own size; without a context the blank surface is what the user sees.
  // In the wind it is the whole tree posed at this moment.
  if (Bound()) {
    m_wind->PoseWhole();
    QImage picture = m_glView->GrabFullDetail();
    m_wind->Refresh();
    return picture;
  }
  return m_surface->grab().toImage();
}

bool Viewport::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_surface && event->type() == QEvent::Resize) {
    m_scene.camera.viewportWidth = m_surface->width();
    m_scene.camera.viewportHeight = m_surface->height();
    SetDirty();
  }
  return false;
}

void Viewport::ShowGrownTree(bool afterEdit, bool opened) {
  // After an edit the plane is built anew, taking the object number after
  // the new tree's (no generation runs now).
  if (afterEdit) m_scene.groundPlane = vh::BuildGroundPlane();
  if (opened) FrameFromTheFront();
  SetDirty();
}

void Viewport::ShowBillboard() {
  if (const vh::MeshObject* cloud = m_document.Billboard(); cloud != nullptr) {
    const vh::Image& colour = m_document.BillboardColour();
    RunInContext([&colour] { vh::UploadBillboardTexture(colour); });
  }
  SetDirty();
}

void Viewport::UploadLeafPicture() {
  const vh::Image& picture = m_document.State().leafTextureImage;
  RunInContext(
      [&picture] { vh::UploadTexture(vh::kLeafTextureObject, picture, vh::MinFilter::kLinearMipmapLinear); });
  SetDirty();  // textured leaves show the new picture
}

void Viewport::UploadBarkPicture() {
  const vh::Image& picture = m_document.State().barkTextureImage;
  RunInContext([&picture] {
    vh::UploadTexture(vh::kBarkTextureObject, picture, vh::MinFilter::kNearestMipmapNearest);
  });
  RenderNow();
}

void Viewport::Freeze(bool frozen) {
  // While a cloud is built the view keeps its last frame: the builder
  // hides all of the tree but one cluster at a time, which a frame drawn in
  // between (the window was uncovered, the camera turned) would show.
  m_surface->setUpdatesEnabled(!frozen);
  // The builder changes the tree's submeshes in place: the worker filling
  // the view's buffers stops reading them, and the tree is prepared anew
  // for the next frame.
  if (frozen) m_scene.buffers.TreeChanging();
  // Afterwards every tree submesh may have been drawn hidden and shown again.
  if (!frozen) SetDirty();
}

void Viewport::ForgetContextState() {
  // Display-list and texture names belong to the context that is going
  // (the view has let go of its buffers already): the next context compiles
  // and uploads afresh and never frees a name it did not make.
  m_scene.drawLists.Forget();
  vh::ForgetTextureObjects();
}
