// The 3-D view: its surface StaticText1 (the GL view, or a blank stand-in
// where the platform has no OpenGL) and everything it keeps to draw the
// document: the camera, the tree's buffers in its GL context with the level
// of detail its frames are drawn at, the display lists and textures of that
// context, the ground plane, whether the plane is shown and the redraw
// flag. It is told what to show by the document's signals, and looks after
// its GL context, lost or never made, itself.
#pragma once

#include <functional>
#include <memory>

#include <QImage>
#include <QObject>

#include "app/viewport/gl_probe.h"
#include "app/viewport/view_context.h"
#include "app/viewport/view_scene.h"
#include "view/look.h"

class QWidget;
class TreeDocument;
class TreeView;
class WindPlayer;

class Viewport : public QObject, public ViewContext {
  Q_OBJECT
 public:
  // Builds the ground plane (the next object number after the document's
  // tree) and the surface, a child of `parent` for the caller to place.
  // `gl` says whether the surface can have an OpenGL context
  // (ProbeOpenGL); without one it stays blank.
  Viewport(TreeDocument& document, GlAvailability gl, QWidget* parent);
  ~Viewport() override;
  Viewport(const Viewport&) = delete;
  Viewport& operator=(const Viewport&) = delete;

  // StaticText1: the GL view or the blank stand-in.
  QWidget* Surface() const { return m_surface; }
  vh::Camera& Camera() { return m_scene.camera; }
  // Whether the view has a working GL context.
  bool Bound() const;
  // A frame is due: set by every change, cleared when a frame was drawn.
  bool Dirty() const { return m_dirty; }
  // Redraw at the next chance.
  void SetDirty();
  // Draw and present a frame now.
  void RenderNow();
  // Makes the view's GL context current and runs `work` in it (the second
  // form hands it the context's display lists); false, without running it,
  // when there is no working context.
  bool RunInContext(const std::function<void()>& work);
  bool RunInContext(const std::function<void(vh::DrawListCache& lists)>& work) override;
  // The display lists of the view's context (the offscreen pictures of
  // billboards draw with them; the tree itself is drawn from buffers).
  vh::DrawListCache& DrawLists() { return m_scene.drawLists; }
  // The tree's geometry is being prepared (filled or uploaded) for the view.
  bool Preparing() const;
  // A reduced level of the tree stands in for it on screen (the camera
  // moves, or full detail is not ready or drawn yet).
  bool ShowingReducedLevel() const;
  // Full detail is being drawn off screen, between events.
  bool Refining() const;
  // The look the view draws in (the user's choice, kept for the next run;
  // at the start the one kept from the last). The realistic look falls
  // back to the classic one where the context cannot draw it: LookNote
  // then says why, and is empty otherwise.
  vh::Look Look() const { return m_scene.look; }
  void SetLook(vh::Look look);
  QString LookNote() const;
  // Shows or leaves out the ground plane from the next frame on. While it
  // is shown the eye stays above it, whatever moves the camera.
  void SetShowPlane(bool shown);
  // How lines blend while "Wireframe" is `on`, for the cloud in billboard
  // mode or the tree otherwise; in the view's context, nothing without one.
  void SetWireframeBlending(bool billboardMode, bool on);
  // Moves the eye `distance` along the viewing direction; the redraw
  // follows at the next chance.
  void MoveEye(float distance);
  // "Reset viewpoint": the camera of the start, at the view's size.
  void ResetCamera();
  // "Frame the tree" and F: the eye keeps its direction and moves so that
  // what the view shows (the tree, or the cloud in billboard mode) fills
  // it. Nothing when there is nothing to look at.
  void FrameShown();
  // A document or preset was opened: the view looks at it from the front,
  // as after "Reset viewpoint", from where it fills the view.
  void FrameFromTheFront();
  // Runs `action` once the view's context exists to take pictures: at once
  // without a GL view or with a bound one, else after the first frame, or
  // after two seconds for a view that never draws one (its context failed).
  void WhenContextReady(std::function<void()> action);
  // Once the window is on screen: reports a view without OpenGL, or a GL
  // view whose context could not be made, with the program's two messages.
  void ReportContextProblems();
  // What the view shows, at its size and upright: a frame drawn offscreen
  // at full detail (waiting for its preparation), or the blank surface
  // without a context.
  QImage Grab();
  // The wind preview: the tree posed in the document's wind while it is on.
  WindPlayer& Wind() { return *m_wind; }

 signals:
  // LookNote may have changed: the look was chosen, or the context checked.
  void lookNoteChanged(const QString& note);

 protected:
  // The camera follows the surface's size.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Every move of the camera ends in a frame asked for (SetDirty,
  // RenderNow), and so does the plane shown again: while the ground is
  // shown the eye is kept above it, where the ground cannot hide the tree.
  void KeepEyeAboveGround();
  void ShowGrownTree(bool afterEdit, bool opened);
  void ShowBillboard();
  void UploadLeafPicture();
  void UploadBarkPicture();
  void Freeze(bool frozen);
  void ForgetContextState();
  // The buffers' worker has prepared geometry (queued from its thread).
  void UploadPieces();

  TreeDocument& m_document;
  GlAvailability m_gl;
  ViewScene m_scene;
  bool m_dirty = true;
  QWidget* m_surface = nullptr;
  TreeView* m_glView = nullptr;
  std::unique_ptr<WindPlayer> m_wind;
};
