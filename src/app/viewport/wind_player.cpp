#include "app/viewport/wind_player.h"

#include <chrono>
#include <cmath>

#include "app/document/tree_document.h"

WindPlayer::WindPlayer(TreeDocument& document, ViewScene& scene, std::function<void()> redraw,
                       QObject* parent)
    : QObject(parent), m_document(document), m_scene(scene), m_redraw(std::move(redraw)) {
  m_timer.setInterval(kFrameMilliseconds);
  m_timer.setTimerType(Qt::PreciseTimer);
  connect(&m_timer, &QTimer::timeout, this, &WindPlayer::Tick);
  connect(&document, &TreeDocument::windChanged, this, &WindPlayer::Refresh);
  connect(&document, &TreeDocument::windPlayingChanged, this, &WindPlayer::Refresh);
  connect(&document, &TreeDocument::treeReplaced, this, &WindPlayer::Refresh);
  connect(&document, &TreeDocument::billboardChanged, this, &WindPlayer::Refresh);
  connect(&document, &TreeDocument::parametersReplaced, this, &WindPlayer::Refresh);
  connect(&document, &TreeDocument::redrawRequested, this, &WindPlayer::Refresh);
  Refresh();
}

void WindPlayer::Refresh() {
  const vh::WindSettings& wind = m_document.Params().wind;
  const vh::Tree& tree = m_document.CurrentTree();
  const bool wireframe = m_document.State().wireframe.tree;
  const bool sways = wind.enabled && !m_document.BillboardMode() && !tree.submeshes.empty();
  const bool had = m_scene.swaying != nullptr;
  if (!sways) {
    m_scene.swaying.reset();
  } else if (!had || !m_scene.swaying->Shows(tree, wireframe)) {
    vh::SwayingOptions options;
    options.wireframe = wireframe;
    m_scene.swaying = std::make_unique<vh::SwayingTree>(tree, wind, options);
    m_wind = wind;
  } else if (!(wind == m_wind)) {
    m_scene.swaying->SetWind(wind);
    m_wind = wind;
  }
  const auto now = vh::WindClock::Clock::now();
  if (sways && m_document.WindPlaying()) {
    m_clock.Play(now);
    if (!m_timer.isActive()) m_timer.start();
  } else {
    m_clock.Pause(now);
    m_timer.stop();
  }
  if (m_scene.swaying != nullptr) PoseNow();
  if (sways || had) m_redraw();
}

void WindPlayer::ShowAt(double seconds) {
  m_clock.StopAt(seconds);
  m_document.SetWindPlaying(false);  // refreshes, at the clock's time
  Refresh();
}

void WindPlayer::PoseNow() {
  // The motion repeats after its loop: posing within it keeps the time's
  // precision however long the preview plays.
  const double seconds = m_clock.SecondsAt(vh::WindClock::Clock::now());
  m_scene.swaying->PoseAt(std::fmod(seconds, m_scene.swaying->LoopLength()));
}

void WindPlayer::Tick() {
  if (m_scene.swaying == nullptr) return;
  PoseNow();
  m_redraw();
}
