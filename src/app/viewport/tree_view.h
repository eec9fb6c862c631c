// StaticText1: the 3-D view surface and owner of the program's one GL
// context. It binds the context (BindViewSurface), draws frames of the
// document with the view library and turns mouse drags and the wheel into
// camera moves. The camera, the tree's buffers, the pacing of its frames and
// the ground plane are its Viewport's scene.
//
// The tree is drawn from buffers prepared on a worker and uploaded here a
// slice at a time between events. Every frame stays within a budget: while
// the camera moves, while full detail is being prepared, or when a full
// frame would be too slow, a reduced level of the tree stands in (a small
// mark in the corner says so), and full detail follows once the camera has
// rested, drawn off screen in slices between events and shown when
// complete; the next input abandons it.
#pragma once

#include <functional>
#include <memory>

#include <QImage>
#include <QOpenGLWidget>

#include "view/buffered_scene.h"
#include "view/camera.h"
#include "view/viewer.h"

class QLabel;
class QOpenGLFramebufferObject;
class QTimer;
class TreeDocument;
struct ViewScene;

class TreeView : public QOpenGLWidget {
  Q_OBJECT
 public:
  // Draws `document` with what `scene` keeps; both must outlive the view.
  TreeView(const TreeDocument& document, ViewScene& scene, QWidget* parent = nullptr);
  ~TreeView() override;

  // Reports a missing context (GlFailureMessage) once the widget has had
  // its chance to create one; call after the window was shown. Never fails
  // hard: the program runs on without a view.
  void BindViewSurface();
  // True once a context exists and was made current successfully.
  bool Bound() const { return m_bound; }
  // Makes the context current and runs `work`; false when there is none.
  bool RunInContext(const std::function<void()>& work);
  // Draws and presents a frame now (a no-op without a context): the camera
  // moved or what is shown changed. A full-detail frame being drawn is
  // abandoned.
  void RenderFrameNow();
  // The same at the next chance.
  void RequestFrame();
  // The worker has prepared geometry: it is uploaded in slices between
  // events, and shown as soon as a finer level is ready.
  void PiecesReady();
  // The tree's geometry is being prepared (filled or uploaded) for the view.
  bool Preparing() const;
  // A reduced level of the tree is on screen.
  bool ShowingReducedLevel() const { return m_reducedOnScreen; }
  // The full-detail frame is being drawn off screen, a slice at a time.
  bool Refining() const;
  // The picture of the frame at full detail, however long its preparation
  // takes (the screenshot).
  QImage GrabFullDetail();
  // Draws from now on in the scene's look (ViewScene::look): the
  // realistic one where the context could start it, else the classic one.
  void ApplyLook();
  // What the last frame drawn on the spot showed (not the full-detail
  // frames drawn in slices).
  const vh::BufferedScene::FrameReport& LastFrame() const { return m_lastFrame; }

 signals:
  // A frame was drawn: the owner clears its redraw flag.
  void framePainted();
  // A drag or the wheel moved the camera: a frame is due.
  void cameraMoved();
  // The context is about to go: names that belonged to it must be forgotten.
  void contextLost();
  // The new context was checked for the realistic look's shaders.
  void realisticChecked();

 protected:
  void initializeGL() override;
  void paintGL() override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  // The wheel moves the eye along the viewing direction (see WheelZoom).
  void wheelEvent(QWheelEvent* event) override;

 private:
  void ReleaseContext();
  void UploadSlice();
  void ScheduleRefinement();
  void RefineSlice();
  void PresentRefinement();
  void ShowReduced(bool reduced);
  vh::Camera FrameCamera() const;
  vh::FrameContents ContentsNow() const;

  const TreeDocument& m_document;
  ViewScene& m_scene;
  bool m_bound = false;
  bool m_reportedMissing = false;
  bool m_uploading = false;       // an upload slice is queued
  bool m_fullDetailOnly = false;  // the next paint draws full detail whatever it costs
  bool m_reducedOnScreen = false;
  vh::BufferedScene::FrameReport m_lastFrame;
  // The full-detail frame drawn off screen, its camera, and whether it is
  // complete and waits to be shown.
  std::unique_ptr<QOpenGLFramebufferObject> m_refinement;
  vh::Camera m_refinementCamera;
  bool m_refinementComplete = false;
  QTimer* m_refineTimer = nullptr;
  QLabel* m_reducedMark = nullptr;
  // Orbit drag state: a drag orbits only when its button went down here.
  bool m_orbiting = false;
  int m_orbitLastX = 0;
  int m_orbitLastY = 0;
};
