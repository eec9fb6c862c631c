// The pieces one generation is made of, shared by the files of the
// generator only.
//
// A generation runs in three steps that overlap: the skeleton layout
// (every branchRandom and leafRandom draw, in order, on the calling
// thread), the meshing of each branch's rings and leaves (on any thread,
// since a branch's geometry depends on its own layout only) and the commit
// (welding each branch onto its parent and adding it to the tree, in
// depth-first order on the calling thread).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "foundations/random.h"
#include "tree/branch.h"
#include "tree/hand_edit_index.h"
#include "tree/shape_cache.h"
#include "tree/tree.h"

namespace vh {

// What every step reads and nothing changes once the skeleton has been
// laid out (the shape cache is filled by the layout before a branch of a
// new level is handed out).
struct GrowthContext {
  const TreeParameters& params;
  // The level records as grown, with the parameter table's guards applied
  // (qualityHeight 0 grows as 2, inflateDeflate 0 as 1).
  std::array<LevelParameters, kLevelCount> levels;
  std::unique_ptr<Submesh> leafTemplate;
  ShapeCache shapes;
  // The hand edits by place; the layout marks the places it reaches.
  HandEditIndex edits;

  GrowthContext(const TreeParameters& params, const GenerationOptions& options);
};

// Finds, for one point, the parent vertex at the smallest exact squared
// distance (the earliest in list order among equals; only distances below
// 1e7 count). Kept for a parent while its children are welded on.
class NearestVertexFinder {
 public:
  explicit NearestVertexFinder(const std::pmr::vector<Vertex>& vertices);
  // Follows vertices that moved since (welds move a few at a time).
  void Refresh();
  std::optional<std::size_t> Find(const Vector3& c);

 private:
  struct Entry {
    float y;
    std::uint32_t index;
  };
  struct Scanned {
    double approximate;
    std::uint32_t index;
  };

  const std::pmr::vector<Vertex>& m_vertices;
  std::vector<Entry> m_byHeight;
  std::vector<Scanned> m_scanned;
  std::vector<std::uint32_t> m_candidates;
};

// A leaf cell of a branch that carries a leaf.
struct LeafCell {
  std::uint8_t row = 0, column = 0;
};

// One branch of the layout, in creation (depth-first) order.
struct BranchJob {
  std::shared_ptr<Branch> branch;
  const LevelShapes* shapes = nullptr;
  int parent = -1;  // layout index of the parent; -1 for the trunk
  // A removed branch is laid out only when its parent is welded to it: its
  // branch is then placed without edits and gets its base ring alone, and
  // it never joins the tree.
  bool removed = false;
  // A turned or lengthened branch welded to its parent: the branch as
  // placed without its own edits, whose base ring (alone) welds the parent
  // as in the tree without edits.
  std::shared_ptr<Branch> unedited;
  int siblingsAfter = 0;  // children of the parent still to come after this one
  bool weld = false;      // its base is welded onto the parent
  bool rings = true;      // false: the budget ran out before its rings
  unsigned firstLeafNumber = 0;
  std::vector<LeafCell> leafCells;  // in cell order
  std::vector<float> shades;        // colour draws, one per template vertex and leaf
  std::uint64_t vertexCount = 0;    // rings and leaves

  // Filled by the meshing threads.
  std::vector<std::shared_ptr<Submesh>> leaves;
  std::atomic<int> chunksLeft{0};

  // Kept on a parent while children remain to be welded onto it.
  std::unique_ptr<NearestVertexFinder> finder;
  int weldsLeft = 0;

  bool Meshed() const { return chunksLeft.load(std::memory_order_acquire) == 0; }
};

// A part of one branch's meshing: a range of its rings, and for the first
// part also its leaves and triangles.
struct MeshChunk {
  BranchJob* job = nullptr;
  int ringBegin = 0, ringEnd = 0;
  bool first = false;
};

// Vertices of a branch's rings at this level.
inline std::size_t RingVertexCount(const LevelParameters& level) {
  return static_cast<std::size_t>(level.qualityHeight + 1) * static_cast<std::size_t>(level.qualityAngle + 1);
}

// Triangulates the leaf outline (none for fewer than 3 points), numbered 1.
std::unique_ptr<Submesh> BuildLeafTemplate(const TreeParameters& params);

// Meshes one chunk. Thread-safe for different chunks.
void RunMeshChunk(const GrowthContext& context, const MeshChunk& chunk);

// Pulls the child's base ring onto the parent and the nearest parent
// vertices out to meet it. `finder` indexes the parent's vertices.
void WeldToParent(Branch& child, Branch& parent, NearestVertexFinder& finder);

// The weld of a branch with hand edits: the parent's vertices move to meet
// the base ring of `unedited` (the branch placed without its own edits), so
// that the parent and every sibling welded after it come out as without
// edits; the base ring of `child`, the branch as built, is pulled onto the
// parent as it was before this weld. `child` may be null (removed).
void WeldToParent(Branch* child, const Branch& unedited, Branch& parent, NearestVertexFinder& finder);

// Lays the skeleton out one branch at a time, drawing from both
// generators in the order the file format fixes.
class SkeletonLayout {
 public:
  SkeletonLayout(GrowthContext& context, std::uint64_t vertexBudget);

  // The next branch in creation order, or null once the skeleton is
  // complete. `index` is the position it takes in the layout.
  std::unique_ptr<BranchJob> Next(int index);
  bool BudgetExceeded() const { return m_budgetExceeded; }
  // The object number the next submesh would take.
  unsigned NextObjectNumber() const { return m_nextNumber; }

 private:
  struct Frame {
    const Branch* parent;
    int parentIndex;
    int remaining;
    int count;
    int editNode;  // the parent's place among the hand edits
    int next = 0;
    double pos = 0, azimuth = 0, inclination = 0;
  };

  std::unique_ptr<BranchJob> MakeJob(std::shared_ptr<Branch> branch);
  std::shared_ptr<Branch> MakeTrunk(int editNode);
  // Places the next child of the frame (flagged when removed); `editNode`
  // receives its place among the hand edits.
  std::unique_ptr<BranchJob> PlaceChild(Frame& frame, int& editNode);
  // Makes the draws of a branch that is not built and of its subtree,
  // as laying them out would, and marks the edited places on them reached.
  void SkipSubtree(int level, int remaining, int editNode);
  void DiscardLeafDraws();
  // The leaf draws and the budget of one branch; false when the budget ran out.
  bool LayOutGeometry(BranchJob& job);
  bool Reserve(std::uint64_t vertices);
  void PushChildren(BranchJob& job, int index, int remaining, int editNode);

  GrowthContext& m_context;
  std::uint64_t m_vertexBudget;
  std::uint64_t m_vertices = 0;
  bool m_budgetExceeded = false;
  bool m_started = false;
  bool m_ended = false;
  unsigned m_nextNumber;
  MersenneTwister m_branchRandom;
  MersenneTwister m_leafRandom;
  std::vector<Frame> m_stack;
  std::vector<LeafCell> m_cells;  // scratch of the branch being laid out
  std::vector<float> m_shades;
};

// Gives a branch its bark material.
void SetBarkMaterial(const GrowthContext& context, Branch& branch);

}  // namespace vh
