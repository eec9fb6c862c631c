// StaticText1: the 3-D view surface and owner of the program's one GL
// context. It binds the context (BindViewSurface), draws frames of the
// document with the view library and turns mouse drags and the wheel into
// camera moves. The camera, the display lists and the ground plane are its
// Viewport's scene.
#pragma once

#include <functional>

#include <QOpenGLWidget>

#include "view/viewer.h"

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
  bool WithContext(const std::function<void()>& work);
  // Draws and presents a frame now (a no-op without a context).
  void RenderFrameNow();
  // Asks for a frame at the next chance. The display lists it needs are
  // compiled first, a slice of a few milliseconds at a time between
  // events, so that a large new tree never holds the window for the whole
  // of its compilation; the frame is drawn when they are all ready.
  void RequestFrame();
  // Lists are being compiled for a requested frame.
  bool Preparing() const { return m_preparing; }

 signals:
  // A frame was drawn: the owner clears its redraw flag.
  void framePainted();
  // A drag or the wheel moved the camera: a frame is due.
  void cameraMoved();
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

 private:
  void ReleaseContext();
  void PrepareSlice();
  vh::FrameContents ContentsNow() const;

  const TreeDocument& m_document;
  ViewScene& m_scene;
  bool m_bound = false;
  bool m_reportedMissing = false;
  bool m_preparing = false;
  // Orbit drag state: a drag orbits only when its button went down here.
  bool m_orbiting = false;
  int m_orbitLastX = 0;
  int m_orbitLastY = 0;
};
