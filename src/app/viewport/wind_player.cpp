#include "app/viewport/wind_player.h"

#include <chrono>
#include <cmath>

#include "app/document/tree_document.h"
#include "view/frame_pacing.h"

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
    options.level = m_scene.buffers.MovingLevel(tree, wireframe, vh::kFrameBudgetSeconds);
    m_scene.swaying = std::make_unique<vh::SwayingTree>(tree, wind, options);
    m_scene.swayingWhole.reset();
    m_wind = wind;
  } else if (!(wind == m_wind)) {
    m_scene.swaying->SetWind(wind);
    if (m_scene.swayingWhole != nullptr) m_scene.swayingWhole->SetWind(wind);
    m_wind = wind;
  }
  KeepWhole(sways && !m_document.WindPlaying());
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
  emit stopped();  // the document's "Play" follows, which refreshes at the clock's time
  Refresh();
}

void WindPlayer::KeepWhole(bool keep) {
  vh::SwayingTree* swaying = m_scene.swaying.get();
  if (!keep || swaying == nullptr || !swaying->Reduced()) {
    m_scene.swayingWhole.reset();
    return;
  }
  if (m_scene.swayingWhole != nullptr) return;
  vh::SwayingOptions options;
  options.wireframe = swaying->Wireframe();
  m_scene.swayingWhole = std::make_unique<vh::SwayingTree>(m_document.CurrentTree(), m_wind, options);
}

void WindPlayer::PoseWhole() {
  if (m_scene.swaying == nullptr) return;
  KeepWhole(true);
  PoseNow();
}

void WindPlayer::PoseNow() {
  // The motion repeats after its loop: posing within it keeps the time's
  // precision however long the preview plays.
  const double seconds = m_clock.SecondsAt(vh::WindClock::Clock::now());
  const double t = std::fmod(seconds, m_scene.swaying->LoopLength());
  // A tree already posed there (by SetWind, say) is not posed again.
  for (vh::SwayingTree* tree : {m_scene.swaying.get(), m_scene.swayingWhole.get()})
    if (tree != nullptr && tree->PosedAt() != t) tree->PoseAt(t);
}

void WindPlayer::Tick() {
  if (m_scene.swaying == nullptr) return;
  m_scene.swayingWhole.reset();  // a screenshot's, while the wind plays
  PoseNow();
  m_redraw();
}
