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

constexpr Ext kPlacementPi = 3.14159L;               // the placement's own literal, not pi
constexpr double kDegree = 3.141592653589793 / 180;  // hand edits turn by true degrees

// The draws of one child's placement: height, inclination, azimuth.
constexpr int kPlacementDraws = 3;

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
    const int editNode = m_context.edits.Trunk(0);
    m_context.edits.Reach(editNode);
    if (editNode != HandEditIndex::kNone && m_context.edits.At(editNode).removed) {
      // Nothing grows; the draws are made only to reach the edits on it.
      SkipSubtree(0, m_context.params.lastParentLevel, editNode);
      m_ended = true;
      return nullptr;
    }
    std::unique_ptr<BranchJob> job = MakeJob(MakeTrunk(editNode));
    if (LayOutGeometry(*job)) {
      PushChildren(*job, index, m_context.params.lastParentLevel, editNode);
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
    int editNode = HandEditIndex::kNone;
    std::unique_ptr<BranchJob> job = PlaceChild(frame, editNode);
    if (job->removed) {
      // Its draws and those of its subtree are made all the same, so that
      // every branch after it grows as without the edit.
      SkipSubtree(job->branch->level, remaining - 1, editNode);
      if (!job->weld) continue;
      return job;
    }
    if (!LayOutGeometry(*job)) {
      // Nothing is placed after the branch where the budget ran out.
      m_ended = true;
      m_stack.clear();
      return job;
    }
    PushChildren(*job, index, remaining - 1, editNode);
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

std::shared_ptr<Branch> SkeletonLayout::MakeTrunk(int editNode) {
  const LevelParameters& trunkLevel = m_context.levels[0];
  double length = trunkLevel.baseLength * 2 + 5;
  const bool shaped = editNode != HandEditIndex::kNone && m_context.edits.At(editNode).shaped;
  if (shaped) length *= m_context.edits.At(editNode).factor;
  auto trunk =
      std::make_shared<Branch>(Zero, UnitY, length, static_cast<double>(trunkLevel.baseSize * 0.4L + 0.01L),
                               trunkLevel, 0, m_nextNumber++);
  if (shaped) {
    // A trunk has no parent: it turns about the vertical and away from it.
    const BranchEdits& edits = m_context.edits.At(editNode);
    const Quaternion q = FromAxisAngle(static_cast<float>(edits.around * kDegree), UnitY) *
                         FromAxisAngle(static_cast<float>(edits.away * kDegree), trunk->sideA);
    trunk->direction = Rotate(q, trunk->direction);
    trunk->sideA = Rotate(q, trunk->sideA);
    trunk->sideB = Rotate(q, trunk->sideB);
  }
  return trunk;
}

void SkeletonLayout::PushChildren(BranchJob& job, int index, int remaining, int editNode) {
  if (remaining < 0) return;
  const LevelParameters& placement = m_context.levels[job.branch->level];
  const int count =
      static_cast<int>(m_branchRandom.Uniform(placement.nbChildrenMin, placement.nbChildrenMax));
  if (count <= 0) return;
  if (m_context.levels[job.branch->level + 1].attachToParent) job.weldsLeft = count;
  m_stack.push_back({job.branch.get(), index, remaining, count, editNode});
}

void SkeletonLayout::DiscardLeafDraws() {
  if (const Submesh* leafShape = m_context.leafTemplate.get()) {
    // Per cell one shade per template vertex and the chance (LayOutGeometry).
    const std::size_t draws =
        static_cast<std::size_t>(kLeafRows * kLeafColumns) * (leafShape->vertices.size() + 1);
    for (std::size_t i = 0; i < draws; ++i) m_leafRandom.NextUInt32();
  }
}

void SkeletonLayout::SkipSubtree(int level, int remaining, int editNode) {
  DiscardLeafDraws();
  if (remaining < 0) return;
  const LevelParameters& placement = m_context.levels[level];
  const int count =
      static_cast<int>(m_branchRandom.Uniform(placement.nbChildrenMin, placement.nbChildrenMax));
  for (int i = 0; i < count; ++i) {
    for (int draw = 0; draw < kPlacementDraws; ++draw) m_branchRandom.NextUInt32();
    const int child = m_context.edits.Child(editNode, i);
    m_context.edits.Reach(child);
    SkipSubtree(level + 1, remaining - 1, child);
  }
}

std::unique_ptr<BranchJob> SkeletonLayout::PlaceChild(Frame& frame, int& editNode) {
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

  const double width = childLevel.baseSizeInherited
                           ? static_cast<double>(childLevel.baseSize * 0.01L * radius)
                           : static_cast<double>(childLevel.baseSize * 0.1L);
  // The branch at an inclination and azimuth: hand edits turn it about
  // the same base point.
  const auto place = [&](double inclination, double azimuth, double branchLength, unsigned number) {
    const Quaternion q1 = FromAxisAngle(static_cast<float>(inclination), sideA);
    const Quaternion q2 = FromAxisAngle(static_cast<float>(azimuth), axis);
    const Quaternion q = q2 * q1;
    const Vector3 dir = Rotate(q, axis);
    Vector3 at = base;
    // A loose branch starts inside its parent instead of being welded on.
    if (!childLevel.attachToParent) at -= (dir * static_cast<float>(width)) * 0.3f;
    auto child = std::make_shared<Branch>(at, dir, branchLength, width, childLevel, k + 1, number);
    child->sideA = Rotate(q, sideA);
    child->sideB = Rotate(q, sideB);
    child->childIndex = frame.next;
    return child;
  };

  editNode = m_context.edits.Child(frame.editNode, frame.next);
  m_context.edits.Reach(editNode);
  const BranchEdits* edits = editNode == HandEditIndex::kNone ? nullptr : &m_context.edits.At(editNode);
  std::shared_ptr<Branch> child;
  std::shared_ptr<Branch> unedited;
  if (edits != nullptr && edits->removed) {
    // Built only for the weld, and numbered nothing: it takes no number.
    child = place(frame.inclination, frame.azimuth, length, 0);
  } else if (edits != nullptr && edits->shaped) {
    child = place(frame.inclination + edits->away * kDegree, frame.azimuth + edits->around * kDegree,
                  length * edits->factor, m_nextNumber++);
    if (childLevel.attachToParent) unedited = place(frame.inclination, frame.azimuth, length, 0);
  } else {
    child = place(frame.inclination, frame.azimuth, length, m_nextNumber++);
  }

  ++frame.next;
  std::unique_ptr<BranchJob> job = MakeJob(std::move(child));
  job->parent = frame.parentIndex;
  job->siblingsAfter = frame.count - frame.next;
  job->weld = childLevel.attachToParent;
  job->removed = edits != nullptr && edits->removed;
  job->unedited = std::move(unedited);
  if (job->removed) job->rings = false;
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
