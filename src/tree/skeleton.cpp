// The skeleton layout: every random draw of a generation, in the order the
// file format fixes (per branch its leaf cells on leafRandom; per call of
// the children placement the count, then per child height, inclination
// and azimuth on branchRandom, a child's whole subtree before its next
// sibling), and the geometry budget. It places branches and decides leaf
// cells but computes no mesh, so meshing can run behind it on any thread.
#include <cmath>

#include "tree/growth.h"

namespace vh {

namespace {

constexpr Ext kPlacementPi = 3.14159L;  // the placement's own literal, not pi

}  // namespace

void SetBarkMaterial(const GrowthContext& context, Branch& branch) {
  branch.strip = true;
  branch.texture = kBarkMaterial;
  branch.textureFile = context.params.barkTextureFile;
  branch.materialName = context.params.materialPrefix + "2";
}

SkeletonLayout::SkeletonLayout(GrowthContext& context, std::uint64_t vertexBudget)
    : m_context(context),
      m_vertexBudget(vertexBudget),
      m_nextNumber(context.leafTemplate ? 2 : 1),
      m_branchRandom(context.params.seed),
      m_leafRandom(context.params.seed) {}

std::unique_ptr<BranchJob> SkeletonLayout::Next(int index) {
  if (m_ended) return nullptr;
  if (!m_started) {
    m_started = true;
    const LevelParameters& trunkLevel = m_context.levels[0];
    auto trunk = std::make_shared<Branch>(Zero, UnitY, trunkLevel.baseLength * 2 + 5,
                                          static_cast<double>(trunkLevel.baseSize * 0.4L + 0.01L), trunkLevel,
                                          0, m_nextNumber++);
    std::unique_ptr<BranchJob> job = MakeJob(std::move(trunk));
    if (LayOutGeometry(*job)) {
      PushChildren(*job, index, m_context.params.lastParentLevel);
    } else {
      m_ended = true;
    }
    return job;
  }
  while (!m_stack.empty()) {
    Frame& frame = m_stack.back();
    if (frame.next >= frame.count) {
      m_stack.pop_back();
      continue;
    }
    const int remaining = frame.remaining;
    std::unique_ptr<BranchJob> job = PlaceChild(frame);
    if (!LayOutGeometry(*job)) {
      // Nothing is placed after the branch where the budget ran out.
      m_ended = true;
      m_stack.clear();
      return job;
    }
    PushChildren(*job, index, remaining - 1);
    return job;
  }
  m_ended = true;
  return nullptr;
}

std::unique_ptr<BranchJob> SkeletonLayout::MakeJob(std::shared_ptr<Branch> branch) {
  auto job = std::make_unique<BranchJob>();
  SetBarkMaterial(m_context, *branch);
  job->shapes = &m_context.shapes.For(branch->record, branch->level, m_context.leafTemplate.get(),
                                      m_context.params.leafBending);
  job->branch = std::move(branch);
  return job;
}

void SkeletonLayout::PushChildren(BranchJob& job, int index, int remaining) {
  if (remaining < 0) return;
  const LevelParameters& placement = m_context.levels[job.branch->level];
  const int count =
      static_cast<int>(m_branchRandom.Uniform(placement.nbChildrenMin, placement.nbChildrenMax));
  if (count <= 0) return;
  if (m_context.levels[job.branch->level + 1].attachToParent) job.weldsLeft = count;
  m_stack.push_back({job.branch.get(), index, remaining, count});
}

std::unique_ptr<BranchJob> SkeletonLayout::PlaceChild(Frame& frame) {
  const Branch& parent = *frame.parent;
  const int k = parent.level;
  const LevelParameters& placement = m_context.levels[k];
  const LevelParameters& childLevel = m_context.levels[k + 1];

  const Ext d = m_branchRandom.Uniform(placement.heightMin, placement.heightMax) * parent.length * 0.01L;
  frame.pos = static_cast<double>(placement.heightRelative ? frame.pos + d : d);

  // The quarter turn is part of every increment, relative or not.
  const Ext c = m_branchRandom.Uniform(placement.inclinationMin, placement.inclinationMax) * kPlacementPi *
                    (1.0L / 180) +
                1.570795L;
  frame.inclination = static_cast<double>(placement.inclinationRelative ? frame.inclination + c : c);

  const double length = childLevel.baseLengthInherited
                            ? static_cast<double>((childLevel.baseLength * 0.01L + 0.001L) * parent.length)
                            : childLevel.baseLength + 5.0;

  const Ext a = m_branchRandom.Uniform(placement.angleMin, placement.angleMax) * kPlacementPi * (1.0L / 180);
  frame.azimuth = static_cast<double>(placement.angleRelative ? frame.azimuth + a : a);

  const double pos = frame.pos;
  const int qH = placement.qualityHeight;
  const double g = BendWeight(
      placement, static_cast<double>(std::fabs((static_cast<Ext>(qH) * pos / parent.length + 1) / qH)));
  Vector3 axis, sideA, sideB;
  double radius = 0;
  Vector3 base =
      BranchPoint(parent, pos / parent.length, static_cast<double>(frame.azimuth + 1.5707963267948966L), g,
                  &axis, &sideA, &sideB, &radius);

  const Quaternion q1 = FromAxisAngle(static_cast<float>(frame.inclination), sideA);
  const Quaternion q2 = FromAxisAngle(static_cast<float>(frame.azimuth), axis);
  const Quaternion q = q2 * q1;
  const Vector3 dir = Rotate(q, axis);

  const double width = childLevel.baseSizeInherited
                           ? static_cast<double>(childLevel.baseSize * 0.01L * radius)
                           : static_cast<double>(childLevel.baseSize * 0.1L);
  // A loose branch starts inside its parent instead of being welded on.
  if (!childLevel.attachToParent) base -= (dir * static_cast<float>(width)) * 0.3f;

  auto child = std::make_shared<Branch>(base, dir, length, width, childLevel, k + 1, m_nextNumber++);
  child->sideA = Rotate(q, sideA);
  child->sideB = Rotate(q, sideB);

  ++frame.next;
  std::unique_ptr<BranchJob> job = MakeJob(std::move(child));
  job->parent = frame.parentIndex;
  job->siblingsAfter = frame.count - frame.next;
  job->weld = childLevel.attachToParent;
  return job;
}

bool SkeletonLayout::Reserve(std::uint64_t vertices) {
  if (m_vertices + vertices > m_vertexBudget) {
    m_budgetExceeded = true;
    return false;
  }
  m_vertices += vertices;
  return true;
}

bool SkeletonLayout::LayOutGeometry(BranchJob& job) {
  const Branch& branch = *job.branch;
  const LevelParameters& level = branch.record;
  bool withinBudget = true;
  if (const Submesh* leafShape = m_context.leafTemplate.get()) {
    // Every cell draws one shade per template vertex and then its chance,
    // whether it gets a leaf or not.
    const std::size_t vertexCount = leafShape->vertices.size();
    const Ext probability = (level.leafDensity - 1) * 0.01L;
    const bool skipTrunk = m_context.params.noLeavesOnTrunk && branch.level == 0;
    const bool shaded = !m_context.params.leafTextureLoaded;
    m_cells.clear();
    m_shades.clear();
    for (int i = 0; i < kLeafRows && withinBudget; ++i) {
      for (int j = 0; j < kLeafColumns; ++j) {
        const std::size_t firstShade = m_shades.size();
        for (std::size_t k = 0; k < vertexCount; ++k) {
          const float shade = static_cast<float>(m_leafRandom.NextReal());
          if (shaded) m_shades.push_back(shade);
        }
        const double draw = m_leafRandom.NextReal();
        if (!(probability > draw) || skipTrunk || !Reserve(vertexCount)) {
          m_shades.resize(firstShade);
          if (m_budgetExceeded) {
            withinBudget = false;
            break;
          }
          continue;
        }
        m_cells.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(j)});
      }
    }
    job.leafCells.assign(m_cells.begin(), m_cells.end());
    job.shades.assign(m_shades.begin(), m_shades.end());
    job.firstLeafNumber = m_nextNumber;
    m_nextNumber += static_cast<unsigned>(m_cells.size());
    job.vertexCount = m_cells.size() * vertexCount;
  }
  job.rings = withinBudget && Reserve(RingVertexCount(level));
  if (job.rings) job.vertexCount += RingVertexCount(level);
  return job.rings;
}

}  // namespace vh
