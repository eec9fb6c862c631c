// What the view draws, kept in buffers of one GL context: the tree at full
// detail and at its reduced interaction levels (filled by a
// GeometryPreparer on its worker, uploaded here in slices), the ground
// plane and the billboard cloud (small: filled when they change). Frames
// are drawn at the level the pacing picks (frame_pacing.h); full detail
// that would miss the budget is drawn in slices, into whatever framebuffer
// the caller binds, between its events.
//
// Every function that takes or frees GL resources needs the context
// current; the class makes no other assumption about its owner.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "tree/mesh.h"
#include "view/camera.h"
#include "view/frame_pacing.h"
#include "view/geometry_preparer.h"
#include "view/gpu_buffers.h"
#include "view/realistic_renderer.h"
#include "view/swaying_tree.h"
#include "view/viewer.h"

namespace vh {

// Trees up to this many vertices are filled on the spot, in a few
// milliseconds: an edit of a small tree reaches the screen in the frame
// that follows it.
inline constexpr std::uint64_t kInlineFillVertices = 100'000;

class BufferedScene {
 public:
  // What the last frame showed.
  struct FrameReport {
    bool drewTree = false;  // the tree or one of its levels (false: not ready yet, or billboard mode)
    bool reduced = false;   // a reduced level stood in for the tree (or the tree before it, coarsely)
    bool swaying = false;   // the tree in the wind (FrameContents::swaying or swayingWhole) was drawn
    std::uint64_t primitives = 0;
    double seconds = 0.0;  // to the end of the GL work
  };

  // `wake` is called from the preparer's worker when a piece is ready; the
  // owner then calls Pump on its own thread. May be empty.
  explicit BufferedScene(std::function<void()> wake = {});
  // Stops the worker. GL resources must have been released or forgotten.
  ~BufferedScene();
  BufferedScene(const BufferedScene&) = delete;
  BufferedScene& operator=(const BufferedScene&) = delete;

  // A context is current that will hold the buffers from now on; with no
  // buffer-object functions, client arrays are used.
  void AttachContext(const BufferObjectFunctions& functions);
  // Frees every GL resource (the context is current and about to go).
  void ReleaseGl();
  // The context is gone: forget GL names without a call. The next frame
  // prepares everything anew.
  void ForgetGl();

  // The look frames are drawn in: `realistic` (owned by the caller, of the
  // same context) while it is set and ready, the classic fixed-function
  // look otherwise. Both draw the same buffers at the same levels.
  void SetLook(RealisticRenderer* realistic) { m_realistic = realistic; }
  bool DrawsRealistic() const { return m_realistic != nullptr && m_realistic->Ready(); }

  // The tree's submeshes are about to be changed in place (a billboard
  // cloud hides and shows its triangles): the worker stops reading them,
  // and the tree is prepared anew at the next frame.
  void TreeChanging();

  // Takes the worker's finished pieces and uploads them, a block at a time,
  // until `deadline`. Returns true while work is left (pieces to come or to
  // upload): call again soon.
  bool Pump(PacingClock::time_point deadline);

  // Draws a whole frame of `contents`: full detail when it is ready and
  // fits `budgetSeconds`, else the finest ready level that fits, and while
  // nothing of a new tree is ready, the tree before it, coarsely; while the
  // wind blows, the tree posed in it instead: contents.swayingWhole when it
  // is set and fits the budget, else contents.swaying, each uploaded again
  // only when posed anew. A new or changed tree starts being prepared here.
  FrameReport DrawWithinBudget(Camera& camera, const FrameContents& contents, double budgetSeconds);

  // The full-detail frame in steps: Begin clears and draws nothing of the
  // tree; each Slice draws what fits `sliceSeconds` of the full tree (in
  // the wind, of contents.swayingWhole) and returns true when the frame is
  // complete (the ground plane and billboards come last). Only while
  // RefinementReady(contents).
  void BeginRefinement(Camera& camera);
  bool RefineSlice(Camera& camera, const FrameContents& contents, double sliceSeconds);
  bool RefinementReady(const FrameContents& contents) const;

  // The reduction of `tree` that a frame drawn while the camera moves shows
  // (the finest interaction level that fits `budgetSeconds`, as the
  // frames so far have measured the renderer, and never coarser than the
  // level the last reduced frame of it drew), or none when the whole tree
  // fits: the tree in the wind is posed at least that finely.
  std::optional<LodReduction> MovingLevel(const MeshObject& tree, bool wireframe, double budgetSeconds) const;

  // Full detail has arrived from the worker and waits for upload slices.
  bool UploadPending() const { return m_full.has_value() && !m_full->Ready() && !m_full->Lost(); }
  bool FullReady() const { return m_full.has_value() && m_fullComplete && m_full->Ready(); }
  // Primitive counts of the levels ready to draw, coarsest first.
  std::vector<std::uint64_t> ReadyLevels() const;
  bool Preparing() const;
  // Bytes of geometry kept in this process (not counting what GL holds).
  std::size_t HostBytes() const;

 private:
  struct SmallMesh {
    const MeshObject* mesh = nullptr;
    std::weak_ptr<Submesh> first;
    std::size_t count = 0;
    std::uint64_t revisions = 0;
    bool wireframe = false;
    std::optional<GpuMeshBuffers> buffers;
  };
  // The buffers of a tree posed in the wind, and the pose they hold.
  struct PosedBuffers {
    std::uint64_t tree = 0;  // SwayingTree::Id
    std::uint64_t pose = 0;  // SwayingTree::PoseNumber
    std::optional<GpuMeshBuffers> buffers;
  };
  struct TreeIdentity {
    std::weak_ptr<Submesh> first, last;
    std::size_t count = 0;
    bool wireframe = false;
  };
  void KeepStandIn();
  void ShowTree(const MeshObject& tree, bool wireframe);
  bool SameTree(const MeshObject& tree, bool wireframe) const;
  void DropTree();
  void DrawSmall(SmallMesh& cache, const MeshObject& mesh, bool wireframe,
                 const BatchObserver* observer = nullptr);
  void DrawLastParts(const FrameContents& contents);
  // The start of a frame in the current look; in the realistic one after
  // the shadow pass of `caster` (null: the tree casts none) and the
  // billboards.
  void BeginLookFrame(Camera& camera, const FrameContents& contents, const GpuMeshBuffers* caster);
  void CastShadows(const FrameContents& contents, const GpuMeshBuffers* caster, const Box& bounds);
  const BatchObserver* TreeObserver() const;
  // What a shadow pass draws of the tree for a frame of `drawn`: while the
  // frame shows a reduced level, the coarsest ready level; at full detail
  // the finest (a tree small enough to have none casts itself). The
  // filtered map hardly tells a level from the tree, and the pass costs a
  // share of the frame it would double.
  const GpuMeshBuffers* ShadowCaster(const GpuMeshBuffers* drawn, bool reduced) const;
  // The tree at the chosen level, or null when none is ready.
  const GpuMeshBuffers* Choose(double budgetSeconds, bool& reduced) const;
  // Whether a frame of the whole tree (`primitives` of it) fits the budget.
  bool WholeFits(std::uint64_t primitives, double budgetSeconds) const;
  // The buffers of `tree` as posed last, uploaded (again) when they are not.
  GpuMeshBuffers& Posed(PosedBuffers& posed, const SwayingTree& tree);
  // What a full-detail frame draws of the tree, or null when it is not ready.
  GpuMeshBuffers* FullDetail(const FrameContents& contents);

  GeometryPreparer m_preparer;
  BufferObjectFunctions m_functions;
  std::optional<TreeIdentity> m_tree;
  bool m_treeStale = false;
  std::uint64_t m_job = 0;
  std::vector<std::optional<GpuMeshBuffers>> m_levels;  // reduced, coarsest first
  int m_lastDrawnLevel = -1;                            // of m_levels, by a reduced frame
  std::optional<GpuMeshBuffers> m_full;
  bool m_fullComplete = false;  // every part of the full tree has arrived
  // What is drawn of the tree before while nothing of the new one is ready
  // (so that a large tree's arrival does not blank the view): small.
  std::optional<GpuMeshBuffers> m_standIn;
  PosedBuffers m_swaying;       // FrameContents::swaying
  PosedBuffers m_swayingWhole;  // FrameContents::swayingWhole
  SmallMesh m_plane;
  SmallMesh m_billboard;
  FrameCostModel m_cost;
  RealisticRenderer* m_realistic = nullptr;
  DrawCursor m_refinement;
  bool m_refinementStarted = false;  // the realistic look's first slice (shadow pass, sky) is drawn
  std::uint64_t m_refinedPrimitives = 0;
  double m_refinementSeconds = 0.0;
  // The primitives the next slice draws: set from the pace of the slice
  // before, since a tree's parts cost very differently per primitive (the
  // trunk's bark fills much of the picture, a leaf a few pixels).
  std::uint64_t m_sliceSize = 0;
  // What the last full-detail frame took, once one was timed: a measured
  // full frame outweighs the prediction, which learns from every level.
  std::optional<double> m_fullSeconds;
};

}  // namespace vh
