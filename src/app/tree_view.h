// StaticText1: the 3-D view surface and owner of the program's one GL
// context. It binds the context (BindViewSurface), draws frames with the
// view library and turns mouse drags into camera orbits. What it draws and
// from where come from the EditorHost.
//
// The tree is drawn from buffers the view prepares on a worker and uploads
// here a slice at a time (vh::BufferedScene). Every frame stays within a
// budget: while the camera moves, while full detail is being prepared, or
// when a full frame would be too slow, a reduced level of the tree stands
// in (a small mark in the corner says so), and full detail follows once the
// camera has rested, drawn in slices between events off screen and shown
// when complete.
#pragma once

#include <functional>
#include <memory>

#include <QOpenGLWidget>

#include "view/buffered_scene.h"
#include "view/frame_pacing.h"
#include "view/viewer.h"

class EditorHost;
class QLabel;
class QOpenGLFramebufferObject;
class QTimer;

class TreeView : public QOpenGLWidget {
  Q_OBJECT
 public:
  explicit TreeView(EditorHost& host, QWidget* parent = nullptr);
  ~TreeView() override;

  // Reports a missing context (":-)~ hrc == NULL") once the widget has had
  // its chance to create one; call after the window was shown. Never fails
  // hard: the program runs on without a view.
  void BindViewSurface();
  // True once a context exists and was made current successfully.
  bool Bound() const { return bound_; }
  // Makes the context current and runs `work`; false when there is none.
  bool WithContext(const std::function<void()>& work);
  // Draws and presents a frame now (a no-op without a context).
  void RenderFrameNow();
  // Asks for a frame at the next chance: the camera moved or what is shown
  // changed. A full-detail frame being drawn is abandoned.
  void RequestFrame();
  // The tree's geometry is being prepared (filled or uploaded) for the view.
  bool Preparing() const;
  // A reduced level of the tree is on screen.
  bool ShowingReducedLevel() const { return reducedOnScreen_; }
  // The full-detail frame is being drawn off screen, a slice at a time.
  bool Refining() const { return schedule_.Now() == vh::RefinementSchedule::State::kDrawing; }
  // The tree's submeshes are about to change in place: the view stops
  // reading them and prepares them anew for its next frame.
  void TreeChanging();
  // The picture of the frame at full detail, however long it takes (the
  // screenshot).
  QImage GrabFullDetail();

 signals:
  // A frame was drawn: the owner clears its redraw flag.
  void framePainted();
  // The context is about to go: cached display lists must be forgotten.
  void contextLost();

 protected:
  void initializeGL() override;
  void paintGL() override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  // The wheel moves the eye along the viewing direction (see WheelZoom).
  void wheelEvent(QWheelEvent* event) override;

 private slots:
  // The worker finished a piece: upload it between events.
  void onPiecesReady();

 private:
  void ReleaseContext();
  void PumpSlice();
  void ScheduleRefinement();
  void RefineSlice();
  void PresentRefinement();
  vh::Camera FrameCamera() const;
  vh::FrameContents ContentsNow() const;

  EditorHost& host_;
  vh::BufferedScene scene_;
  vh::RefinementSchedule schedule_;
  bool bound_ = false;
  bool reportedMissing_ = false;
  bool pumping_ = false;
  bool fullDetailOnly_ = false;  // the next paint draws full detail whatever it costs
  bool reducedOnScreen_ = false;
  // The full-detail frame drawn off screen, and whether it is complete.
  std::unique_ptr<QOpenGLFramebufferObject> refinement_;
  vh::Camera refinementCamera_;
  bool refinementComplete_ = false;
  QTimer* refineTimer_ = nullptr;
  QLabel* reducedMark_ = nullptr;
  // Orbit drag state: a drag orbits only when its button went down here.
  bool orbiting_ = false;
  int orbitLastX_ = 0;
  int orbitLastY_ = 0;
};
