// StaticText1: the 3-D view surface and owner of the program's one GL
// context. It binds the context (BindViewSurface), draws frames with the
// view library and turns mouse drags into camera orbits. What it draws and
// from where come from the EditorHost.
#pragma once

#include <functional>

#include <QOpenGLWidget>

#include "view/viewer.h"

class EditorHost;

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
  // Asks for a frame at the next chance. The display lists it needs are
  // compiled first, a slice of a few milliseconds at a time between
  // events, so that a large new tree never holds the window for the whole
  // of its compilation; the frame is drawn when they are all ready.
  void RequestFrame();
  // Lists are being compiled for a requested frame.
  bool Preparing() const { return preparing_; }

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

 private:
  void ReleaseContext();
  void PrepareSlice();
  vh::FrameContents ContentsNow() const;

  EditorHost& host_;
  bool bound_ = false;
  bool reportedMissing_ = false;
  bool preparing_ = false;
  // Orbit drag state: a drag orbits only when its button went down here.
  bool orbiting_ = false;
  int orbitLastX_ = 0;
  int orbitLastY_ = 0;
};
