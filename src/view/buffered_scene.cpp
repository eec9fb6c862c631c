#include "view/buffered_scene.h"

#include <GL/gl.h>

#include <algorithm>
#include <utility>

#include "view/interaction_levels.h"

namespace vh {
namespace {

double SecondsSince(PacingClock::time_point start) {
  return std::chrono::duration<double>(PacingClock::now() - start).count();
}

std::uint64_t RevisionSum(const MeshObject& mesh) {
  std::uint64_t sum = 0;
  for (const auto& submesh : mesh.submeshes) sum += submesh->revision;
  return sum;
}

void ReleaseIfAny(std::optional<GpuMeshBuffers>& buffers) {
  if (buffers) buffers->Release();
  buffers.reset();
}

}  // namespace

BufferedScene::BufferedScene(std::function<void()> wake) : m_preparer(std::move(wake)) {}

BufferedScene::~BufferedScene() = default;

void BufferedScene::AttachContext(const BufferObjectFunctions& functions) { m_functions = functions; }

void BufferedScene::ReleaseGl() {
  DropTree();
  ReleaseIfAny(m_standIn);
  ReleaseIfAny(m_swaying.buffers);
  ReleaseIfAny(m_swayingWhole.buffers);
  ReleaseIfAny(m_plane.buffers);
  ReleaseIfAny(m_billboard.buffers);
}

void BufferedScene::ForgetGl() {
  m_preparer.Cancel();
  m_levels.clear();
  m_full.reset();
  m_fullComplete = false;
  m_standIn.reset();
  m_swaying.buffers.reset();
  m_swayingWhole.buffers.reset();
  m_tree.reset();
  m_plane.buffers.reset();
  m_billboard.buffers.reset();
}

void BufferedScene::TreeChanging() {
  m_preparer.Stop();
  m_treeStale = true;
}

void BufferedScene::DropTree() {
  m_preparer.Cancel();  // its pieces carry the old job's number and are dropped
  m_fullSeconds.reset();
  for (auto& level : m_levels) ReleaseIfAny(level);
  m_levels.clear();
  m_lastDrawnLevel = -1;
  ReleaseIfAny(m_full);
  m_fullComplete = false;
  m_tree.reset();
}

bool BufferedScene::SameTree(const MeshObject& tree, bool wireframe) const {
  if (!m_tree || m_treeStale || m_tree->wireframe != wireframe || m_tree->count != tree.submeshes.size())
    return false;
  if (tree.submeshes.empty()) return true;
  return m_tree->first.lock() == tree.submeshes.front() && m_tree->last.lock() == tree.submeshes.back();
}

// The previous tree stays on screen, coarsely, until the new one can be
// drawn: its coarsest level, or the whole of a small tree (which has none).
void BufferedScene::KeepStandIn() {
  if (m_standIn) return;  // the tree before still stands in
  for (auto& level : m_levels)
    if (level && level->Ready()) {
      m_standIn = std::move(level);
      level.reset();
      return;
    }
  // A tree without levels was filled on the spot: small enough to keep.
  if (m_levels.empty() && FullReady() && m_full->Primitives() <= kInlineFillVertices) {
    m_standIn = std::move(m_full);
    m_full.reset();
  }
}

void BufferedScene::ShowTree(const MeshObject& tree, bool wireframe) {
  if (SameTree(tree, wireframe)) return;
  KeepStandIn();
  DropTree();
  m_treeStale = false;
  TreeIdentity identity;
  identity.count = tree.submeshes.size();
  identity.wireframe = wireframe;
  if (!tree.submeshes.empty()) {
    identity.first = tree.submeshes.front();
    identity.last = tree.submeshes.back();
  }
  m_tree = identity;
  if (tree.VertexCount() <= kInlineFillVertices) {
    m_full.emplace(FillMeshBuffers(tree, {wireframe}), m_functions);
    m_full->Upload(PacingClock::time_point::max());
    m_fullComplete = true;
    ReleaseIfAny(m_standIn);
    return;
  }
  m_job = m_preparer.Start(tree.submeshes, wireframe, true);
}

bool BufferedScene::Pump(PacingClock::time_point deadline) {
  for (GeometryPreparer::Piece& piece : m_preparer.Take()) {
    if (piece.job != m_job || !m_tree) continue;
    if (piece.full) {
      // The parts of the full tree join as they come; DropTree let go of
      // the previous tree's.
      if (m_full) {
        m_full->Append(std::move(piece.buffers));
      } else {
        m_full.emplace(std::move(piece.buffers), m_functions);
      }
      m_fullComplete = piece.last;
    } else {
      if (m_levels.size() <= static_cast<std::size_t>(piece.level)) m_levels.resize(piece.level + 1);
      ReleaseIfAny(m_levels[piece.level]);
      m_levels[piece.level].emplace(std::move(piece.buffers), m_functions);
      // Levels are small: uploaded whole, so that they show at once.
      m_levels[piece.level]->Upload(PacingClock::time_point::max());
    }
  }
  if (m_full && !m_full->Ready() && !m_full->Lost()) m_full->Upload(deadline);
  if (m_standIn && (FullReady() || !ReadyLevels().empty())) ReleaseIfAny(m_standIn);
  return m_preparer.Busy() || (m_full && !FullReady());
}

std::vector<std::uint64_t> BufferedScene::ReadyLevels() const {
  std::vector<std::uint64_t> ready;
  for (const auto& level : m_levels)
    if (level && level->Ready()) ready.push_back(level->Primitives());
  return ready;
}

bool BufferedScene::Preparing() const { return m_preparer.Busy() || !FullReady(); }

std::size_t BufferedScene::HostBytes() const {
  std::size_t bytes = m_full ? m_full->HostBytes() : 0;
  for (const auto& level : m_levels)
    if (level) bytes += level->HostBytes();
  return bytes;
}

bool BufferedScene::WholeFits(std::uint64_t primitives, double budgetSeconds) const {
  if (m_fullSeconds.has_value()) return *m_fullSeconds <= budgetSeconds;
  return m_cost.Predict(primitives) <= budgetSeconds;
}

std::optional<LodReduction> BufferedScene::MovingLevel(const MeshObject& tree, bool wireframe,
                                                       double budgetSeconds) const {
  std::uint64_t triangles = 0;
  for (const auto& submesh : tree.submeshes) triangles += submesh->triangles.size();
  const std::vector<LodReduction> reductions = InteractionReductions(triangles);
  // The levels ready count what they hold; the others what they will about.
  const bool shown = SameTree(tree, wireframe);
  std::vector<std::uint64_t> counts;
  for (std::size_t i = 0; i < reductions.size(); ++i) {
    const bool ready = shown && i < m_levels.size() && m_levels[i] && m_levels[i]->Ready();
    counts.push_back(
        ready ? m_levels[i]->Primitives()
              : static_cast<std::uint64_t>(reductions[i].triangleShare * static_cast<double>(triangles)));
  }
  const bool fullCandidate = !shown || !m_fullSeconds.has_value() || *m_fullSeconds <= budgetSeconds;
  const LevelChoice choice = ChooseLevel(counts, fullCandidate, triangles, m_cost, budgetSeconds);
  if (choice.full) return std::nullopt;
  const int level = std::max(choice.level, shown ? m_lastDrawnLevel : -1);
  if (level < 0 || static_cast<std::size_t>(level) >= reductions.size()) return std::nullopt;
  return reductions[static_cast<std::size_t>(level)];
}

const GpuMeshBuffers* BufferedScene::Choose(double budgetSeconds, bool& reduced) const {
  std::vector<const GpuMeshBuffers*> ready;
  for (const auto& level : m_levels)
    if (level && level->Ready()) ready.push_back(&*level);
  std::vector<std::uint64_t> counts;
  for (const GpuMeshBuffers* level : ready) counts.push_back(level->Primitives());
  const bool fullMissesBudget =
      m_fullSeconds.has_value() && *m_fullSeconds > budgetSeconds && !counts.empty();
  const bool fullCandidate = FullReady() && !fullMissesBudget;
  const LevelChoice choice =
      ChooseLevel(counts, fullCandidate, fullCandidate ? m_full->Primitives() : 0, m_cost, budgetSeconds);
  reduced = !choice.full && choice.level >= 0;
  if (choice.full) return &*m_full;
  if (choice.level >= 0) return ready[choice.level];
  reduced = m_standIn.has_value();
  return m_standIn ? &*m_standIn : nullptr;
}

void BufferedScene::DrawSmall(SmallMesh& cache, const MeshObject& mesh, bool wireframe,
                              const BatchObserver* observer) {
  const bool same = cache.buffers && cache.mesh == &mesh && cache.count == mesh.submeshes.size() &&
                    cache.wireframe == wireframe && cache.revisions == RevisionSum(mesh) &&
                    (mesh.submeshes.empty() || cache.first.lock() == mesh.submeshes.front());
  if (!same) {
    ReleaseIfAny(cache.buffers);
    cache.mesh = &mesh;
    cache.count = mesh.submeshes.size();
    cache.wireframe = wireframe;
    cache.revisions = RevisionSum(mesh);
    cache.first = mesh.submeshes.empty() ? std::weak_ptr<Submesh>() : mesh.submeshes.front();
    cache.buffers.emplace(FillMeshBuffers(mesh, {wireframe}), m_functions);
    cache.buffers->Upload(PacingClock::time_point::max());
  }
  cache.buffers->Draw(observer);
}

GpuMeshBuffers& BufferedScene::Posed(PosedBuffers& posed, const SwayingTree& tree) {
  const MeshBuffers& source = tree.Buffers();
  if (!posed.buffers || posed.tree != tree.Id() || posed.buffers->Lost()) {
    ReleaseIfAny(posed.buffers);
    posed.buffers.emplace(source, m_functions);
    posed.buffers->Upload(PacingClock::time_point::max());
  } else if (posed.pose != tree.PoseNumber()) {
    for (std::size_t b = 0; b < source.batches.size(); ++b)
      for (std::size_t k = 0; k < source.batches[b].blocks.size(); ++k)
        posed.buffers->UpdateVertices(b, k, 0, source.batches[b].blocks[k].vertices);
  }
  posed.tree = tree.Id();
  posed.pose = tree.PoseNumber();
  return *posed.buffers;
}

GpuMeshBuffers* BufferedScene::FullDetail(const FrameContents& contents) {
  if (contents.swaying != nullptr)
    return contents.swayingWhole != nullptr ? &Posed(m_swayingWhole, *contents.swayingWhole) : nullptr;
  return FullReady() ? &*m_full : nullptr;
}

bool BufferedScene::RefinementReady(const FrameContents& contents) const {
  return contents.swaying != nullptr ? contents.swayingWhole != nullptr : FullReady();
}

// The ground plane when shown, then the billboards: after the tree, as the
// frame has always drawn them (the billboards blend over what is behind).
void BufferedScene::DrawLastParts(const FrameContents& contents) {
  const bool realistic = DrawsRealistic();
  if (contents.showPlane && contents.groundPlane != nullptr)
    DrawSmall(m_plane, *contents.groundPlane, contents.wireframe.groundPlane,
              realistic ? m_realistic->Ground() : nullptr);
  if (contents.billboard != nullptr)
    DrawSmall(m_billboard, *contents.billboard, contents.wireframe.billboard,
              realistic ? m_realistic->Surfaces() : nullptr);
}

const BatchObserver* BufferedScene::TreeObserver() const {
  return DrawsRealistic() ? m_realistic->Surfaces() : nullptr;
}

const GpuMeshBuffers* BufferedScene::ShadowCaster(const GpuMeshBuffers* drawn, bool reduced) const {
  const GpuMeshBuffers* caster = drawn;
  for (const auto& level : m_levels)
    if (level && level->Ready()) {
      caster = &*level;
      if (reduced) break;  // the coarsest
    }
  return caster;
}

void BufferedScene::CastShadows(const FrameContents& contents, const GpuMeshBuffers* caster,
                                const Box& bounds) {
  // Lines cast no shadow worth the pass.
  const bool lines = contents.billboard != nullptr ? contents.wireframe.billboard : contents.wireframe.tree;
  if (lines) {
    m_realistic->ClearShadows();
    return;
  }
  m_realistic->CastShadows(bounds, [&](const BatchObserver* observer) {
    if (caster != nullptr) caster->Draw(observer);
    if (contents.billboard != nullptr)
      DrawSmall(m_billboard, *contents.billboard, contents.wireframe.billboard, observer);
  });
}

void BufferedScene::BeginLookFrame(Camera& camera, const FrameContents& contents,
                                   const GpuMeshBuffers* caster) {
  if (!DrawsRealistic()) {
    BeginFrame(camera);
    return;
  }
  const MeshObject* shown = contents.billboard != nullptr ? contents.billboard : contents.tree;
  const Box bounds = shown != nullptr ? m_realistic->Fit(*shown) : Box{};
  CastShadows(contents, caster, bounds);
  m_realistic->BeginFrame(camera);
}

BufferedScene::FrameReport BufferedScene::DrawWithinBudget(Camera& camera, const FrameContents& contents,
                                                           double budgetSeconds) {
  const auto start = PacingClock::now();
  FrameReport report;
  // Posed buffers no frame asks for any more are let go.
  if (contents.swaying == nullptr) ReleaseIfAny(m_swaying.buffers);
  if (contents.swayingWhole == nullptr) ReleaseIfAny(m_swayingWhole.buffers);
  if (contents.billboard == nullptr && contents.tree != nullptr)
    ShowTree(*contents.tree, contents.wireframe.tree);
  Pump(start);  // take what is ready; uploads wait for the slices between frames
  const GpuMeshBuffers* drawn = nullptr;
  if (contents.billboard == nullptr && contents.tree != nullptr) {
    if (contents.swaying != nullptr) {
      // The tree in the wind, posed on the processor; the tree's own
      // buffers go on being prepared for the frame without wind.
      const SwayingTree* whole = contents.swayingWhole;
      const bool still = whole != nullptr && WholeFits(whole->Primitives(), budgetSeconds);
      drawn = still ? &Posed(m_swayingWhole, *whole) : &Posed(m_swaying, *contents.swaying);
      report.drewTree = true;
      report.swaying = true;
      report.reduced = !still && contents.swaying->Reduced();
      report.primitives = drawn->Primitives();
    } else if (const GpuMeshBuffers* level = Choose(budgetSeconds, report.reduced)) {
      for (std::size_t i = 0; i < m_levels.size(); ++i)
        if (m_levels[i] && &*m_levels[i] == level) m_lastDrawnLevel = static_cast<int>(i);
      drawn = level;
      report.drewTree = true;
      report.primitives = level->Primitives();
    }
  }
  BeginLookFrame(camera, contents, report.swaying ? drawn : ShadowCaster(drawn, report.reduced));
  if (drawn != nullptr) drawn->Draw(TreeObserver());
  DrawLastParts(contents);
  if (DrawsRealistic()) m_realistic->EndFrame();
  glFinish();
  report.seconds = SecondsSince(start);
  // The pacing learns what the buffers cost to draw, which a swaying frame
  // does not tell.
  if (report.swaying) return report;
  m_cost.Record(report.primitives, report.seconds);
  if (report.drewTree && !report.reduced) m_fullSeconds = report.seconds;
  return report;
}

void BufferedScene::BeginRefinement(Camera& camera) {
  // The realistic look begins with its first slice, which knows what casts
  // the shadow.
  if (!DrawsRealistic()) BeginFrame(camera);
  m_refinementStarted = false;
  m_refinement = {};
  m_refinedPrimitives = 0;
  m_refinementSeconds = 0.0;
  m_sliceSize = 0;
}

bool BufferedScene::RefineSlice(Camera& camera, const FrameContents& contents, double sliceSeconds) {
  GpuMeshBuffers* full = FullDetail(contents);
  if (full == nullptr) return false;
  const auto start = PacingClock::now();
  if (!DrawsRealistic()) {
    ApplyFrameState(camera);
  } else if (!m_refinementStarted) {
    BeginLookFrame(camera, contents, contents.swaying != nullptr ? full : ShadowCaster(full, false));
  } else {
    m_realistic->ResumeFrame(camera);
  }
  m_refinementStarted = true;
  const DrawCursor from = m_refinement;
  // The first slice goes at the full tree's own pace once a full frame was
  // timed (its triangles cost more than those of the reduced levels the
  // model also learns from), and at a quarter of the model's before; each
  // later one at the pace of the slice before, growing at most by half.
  if (m_sliceSize == 0) {
    m_sliceSize = m_fullSeconds.has_value() && *m_fullSeconds > 0.0
                      ? static_cast<std::uint64_t>(static_cast<double>(full->Primitives()) * sliceSeconds /
                                                   *m_fullSeconds)
                      : m_cost.Fits(sliceSeconds) / 4;
    m_sliceSize = std::max<std::uint64_t>(m_sliceSize, 1);
  }
  const std::uint64_t most = m_sliceSize;
  m_refinement = full->DrawSome(m_refinement, most, TreeObserver());
  const bool complete = m_refinement == full->End();
  if (complete) DrawLastParts(contents);
  if (DrawsRealistic()) m_realistic->EndFrame();
  glFinish();
  // The slice's primitives: what the cursor moved over, bounded by `most`.
  const std::uint64_t drawn = complete ? full->Primitives() - m_refinedPrimitives : most;
  m_refinedPrimitives += drawn;
  const double seconds = SecondsSince(start);
  m_refinementSeconds += seconds;
  if (from != m_refinement) m_cost.Record(drawn, seconds);
  if (seconds > 0.0) {
    const double paced = static_cast<double>(drawn) * sliceSeconds / seconds;
    m_sliceSize = std::max<std::uint64_t>(
        1, static_cast<std::uint64_t>(std::min(paced, 1.5 * static_cast<double>(m_sliceSize))));
  }
  if (complete) m_fullSeconds = m_refinementSeconds;
  return complete;
}

}  // namespace vh
