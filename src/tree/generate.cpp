// The generation driver: lays the skeleton out ahead, meshes on every core
// and commits branch by branch in depth-first order on the calling thread,
// which is where the welds, the per-branch callback and the cancel flag are
// handled. Meshing may run ahead of the commit; what it made past a cancel
// point is dropped, so the tree is the same for any number of threads.
#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <string>
#include <thread>

#include "tree/growth.h"
#include "tree/meshing_queue.h"
#include "tree/parameter_table.h"

namespace vh {

namespace {

// How far the layout runs ahead of the commit, in vertices: enough to keep
// every core busy, little enough that a cancel wastes little.
constexpr std::uint64_t kLookAheadVertices = 1 << 18;
// Branches larger than this are meshed in parts of about this size.
constexpr std::size_t kChunkVertices = 8192;

int WorkerCount(const GenerationOptions& options) {
  if (options.workers > 0) return options.workers;
  return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

class Grower {
 public:
  Grower(GrowthContext& context, const GenerationOptions& options, const GenerationControl& control,
         Tree& tree)
      : m_context(context),
        m_control(control),
        m_tree(tree),
        m_layout(context, control.vertexBudget),
        m_queue(context, WorkerCount(options) - 1) {}

  // `previous` is the tree's old submeshes: freeing them is work for the
  // calling thread, done once the helpers have something to mesh.
  void Run(std::vector<std::shared_ptr<Submesh>> previous) {
    for (std::size_t next = 0;; ++next) {
      while (!m_layoutDone && m_pendingVertices < kLookAheadVertices) LayOutOne();
      previous.clear();
      if (next == m_jobs.size()) break;
      BranchJob& job = *m_jobs[next];
      // A removed branch is no branch of the tree: only its weld is left.
      if (!job.removed) {
        if (m_control.onBranch) m_control.onBranch();
        if (m_control.cancel && m_control.cancel->load(std::memory_order_acquire)) {
          Cut(next);
          return;
        }
      }
      while (!job.Meshed()) {
        if (!m_queue.RunOne()) m_queue.WaitFor(job);
      }
      Commit(job);
      m_pendingVertices -= job.vertexCount;
    }
    m_tree.budgetExceeded = m_layout.BudgetExceeded();
    Submesh::RestartObjectCounterAt(m_layout.NextObjectNumber());
  }

 private:
  void LayOutOne() {
    const int index = static_cast<int>(m_jobs.size());
    std::unique_ptr<BranchJob> job = m_layout.Next(index);
    if (!job) {
      m_layoutDone = true;
      return;
    }
    m_pendingVertices += job->vertexCount;
    QueueChunks(*job);
    m_jobs.push_back(std::move(job));
  }

  void QueueChunks(BranchJob& job) {
    const int rings = job.rings ? job.branch->record.qualityHeight + 1 : 0;
    const bool baseRings = job.removed || job.unedited;             // the rings of a weld alone
    if (job.leafCells.empty() && rings == 0 && !baseRings) return;  // nothing to mesh: Meshed() already
    const std::size_t ringVertices = static_cast<std::size_t>(job.branch->record.qualityAngle) + 1;
    const int ringsPerChunk = static_cast<int>(std::max<std::size_t>(1, kChunkVertices / ringVertices));
    const int chunks = std::max(1, (rings + ringsPerChunk - 1) / ringsPerChunk);
    // Parts of one branch write into one vertex list: it must exist first.
    if (chunks > 1) job.branch->vertices.resize(RingVertexCount(job.branch->record));
    job.chunksLeft.store(chunks, std::memory_order_relaxed);
    for (int c = 0; c < chunks; ++c) {
      const int begin = c * ringsPerChunk;
      const int end = std::min(rings, begin + ringsPerChunk);
      const std::uint64_t vertices = static_cast<std::uint64_t>(end - begin) * ringVertices;
      m_queue.Push({&job, begin, end, c == 0},
                   c == 0 ? job.vertexCount - rings * ringVertices + vertices : vertices);
    }
  }

  void Commit(BranchJob& job) {
    Branch& branch = *job.branch;
    if (job.parent >= 0) {
      BranchJob& parent = *m_jobs[static_cast<std::size_t>(job.parent)];
      if (job.weld) {
        if (!parent.finder) parent.finder = std::make_unique<NearestVertexFinder>(parent.branch->vertices);
        if (job.removed) {
          WeldToParent(nullptr, branch, *parent.branch, *parent.finder);
        } else if (job.unedited) {
          WeldToParent(&branch, *job.unedited, *parent.branch, *parent.finder);
        } else {
          WeldToParent(branch, *parent.branch, *parent.finder);
        }
        if (--parent.weldsLeft == 0) parent.finder.reset();
      }
      job.unedited.reset();
      if (job.removed) {
        job.branch.reset();
        return;
      }
      m_tree.submeshes.push_back(job.branch);
      MoveLeavesIntoTree(job);
    } else {
      // The trunk is listed after its leaves.
      MoveLeavesIntoTree(job);
      m_tree.submeshes.push_back(job.branch);
    }
    // Only the branch itself is needed from here on (as a parent).
    job.leafCells = {};
    job.shades = {};
  }

  // Moved, not copied: a copy would touch every leaf's reference count,
  // last written on the thread that made the leaf.
  void MoveLeavesIntoTree(BranchJob& job) {
    m_tree.leafCount += static_cast<int>(job.leaves.size());
    m_tree.submeshes.insert(m_tree.submeshes.end(), std::make_move_iterator(job.leaves.begin()),
                            std::make_move_iterator(job.leaves.end()));
    job.leaves = {};
  }

  // Ends the tree at the branch of layout index `cut`: it stays empty, no
  // branch below it is made, and the siblings still to come of it and of
  // each of its ancestors are added empty, as a generation that stops
  // there leaves them.
  void Cut(std::size_t cut) {
    m_queue.Stop();
    m_tree.cancelled = true;
    BranchJob& job = *m_jobs[cut];
    job.branch->vertices = {};
    job.branch->triangles = {};
    m_tree.submeshes.push_back(job.branch);
    unsigned number = job.branch->displayList + 1;
    for (const BranchJob* at = &job; at->parent >= 0;
         at = m_jobs[static_cast<std::size_t>(at->parent)].get()) {
      const Branch& sibling = *at->branch;
      for (int s = 0; s < at->siblingsAfter; ++s) {
        if (m_control.onBranch) m_control.onBranch();
        auto empty = std::make_shared<Branch>(Zero, Zero, 0.0, 0.0, sibling.record, sibling.level, number++);
        empty->childIndex = sibling.childIndex + 1 + s;
        SetBarkMaterial(m_context, *empty);
        m_tree.submeshes.push_back(std::move(empty));
      }
    }
    Submesh::RestartObjectCounterAt(number);
  }

  GrowthContext& m_context;
  const GenerationControl& m_control;
  Tree& m_tree;
  SkeletonLayout m_layout;
  bool m_layoutDone = false;
  std::uint64_t m_pendingVertices = 0;  // laid out, not yet committed
  std::vector<std::unique_ptr<BranchJob>> m_jobs;
  MeshingQueue m_queue;  // last: its helpers stop before the jobs go
};

}  // namespace

GrowthContext::GrowthContext(const TreeParameters& parameters, const GenerationOptions& options)
    : params(parameters), edits(parameters.handEdits) {
  for (int i = 0; i < kLevelCount; ++i) levels[i] = Guarded(parameters.levels[i]);
  if (options.growLeaves) leafTemplate = BuildLeafTemplate(parameters);
}

void Generate(const TreeParameters& params, const GenerationOptions& options,
              const GenerationControl& control, Tree& tree) {
  const std::string problem = CheckGrowable(params);
  if (!problem.empty()) throw std::invalid_argument("This tree cannot be grown: " + problem + ".");

  std::vector<std::shared_ptr<Submesh>> previous = std::move(tree.submeshes);
  tree.submeshes.clear();
  tree.leafTemplate.reset();
  tree.leafCount = 0;
  tree.budgetExceeded = false;
  tree.cancelled = false;
  tree.unappliedEdits.clear();
  GrowthContext context(params, options);
  Grower(context, options, control, tree).Run(std::move(previous));
  tree.leafTemplate = std::move(context.leafTemplate);
  tree.unappliedEdits = context.edits.Unreached();
}

Tree Generate(const TreeParameters& params, const GenerationOptions& options,
              const GenerationControl& control) {
  Tree tree;
  Generate(params, options, control, tree);
  return tree;
}

}  // namespace vh
