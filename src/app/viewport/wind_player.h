// Plays the wind in the view: while the document's wind is on (and no
// billboard cloud stands in for the tree) it keeps the tree posed in the
// wind in the view's scene and, while playing, poses it anew about 30
// times a second and asks for a frame. The tree is never regrown for it.
// A large tree sways at the level the view draws while the camera moves;
// "Pause" stops the timer and keeps the pose, and the whole tree, posed
// there, then follows in full detail. Wind off drops the swaying trees,
// and the view draws exactly the frame it draws without wind.
#pragma once

#include <functional>

#include <QObject>
#include <QTimer>

#include "app/viewport/view_scene.h"
#include "view/swaying_tree.h"

class TreeDocument;

class WindPlayer : public QObject {
  Q_OBJECT
 public:
  // The preview's frame interval: about 30 frames a second.
  static constexpr int kFrameMilliseconds = 33;

  // `redraw` asks the view for a frame.
  WindPlayer(TreeDocument& document, ViewScene& scene, std::function<void()> redraw,
             QObject* parent = nullptr);

  // Poses the tree at `seconds` of wind, as a frame of the preview shows
  // it then; the clock is paused there and `stopped` says so, for the
  // document's "Play" to follow (tests and pictures).
  void ShowAt(double seconds);
  bool Playing() const { return m_timer.isActive(); }
  // Poses the whole tree at the moment shown, for a still frame of it (a
  // screenshot) while the preview plays; the next Refresh lets it go.
  void PoseWhole();

 signals:
  // ShowAt stood the preview still.
  void stopped();

 public slots:
  // Follows the document: builds, drops or re-winds the swaying tree and
  // starts or stops the timer.
  void Refresh();

 private:
  void Tick();
  void PoseNow();
  // Keeps the whole tree posed beside a swaying level, or drops it.
  void KeepWhole(bool keep);

  TreeDocument& m_document;
  ViewScene& m_scene;
  std::function<void()> m_redraw;
  QTimer m_timer;
  vh::WindClock m_clock;
  vh::WindSettings m_wind;  // what the swaying tree sways in
};
