#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>

#include "tree/branch.h"
#include "tree/parameter_table.h"
#include "tree/shape_cache.h"
#include "tree/split_work.h"
#include "tree/tree.h"

namespace vh {

namespace {

constexpr Ext kPlacementPi = 3.14159L;  // the placement's own literal, not pi

// Clears busy (and a pending cancel) however the generation ends.
class BusyScope {
 public:
  explicit BusyScope(Tree& tree) : m_tree(tree) { m_tree.busy = true; }
  ~BusyScope() {
    m_tree.cancelRequested = false;
    m_tree.busy = false;
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  Tree& m_tree;
};

void SetBarkMaterial(Tree& tree, Branch& branch) {
  branch.strip = true;
  branch.texture = kBarkMaterial;
  branch.textureFile = tree.params.barkTextureFile;
  branch.materialName = tree.params.materialPrefix + "2";
}

}  // namespace

void Tree::Generate() {
  cancelRequested = false;
  if (busy) return;
  const std::string problem = CheckGrowable(params);
  if (!problem.empty()) throw std::invalid_argument("This tree cannot be grown: " + problem + ".");

  BusyScope busyScope(*this);
  budgetExceeded = false;
  m_generatedVertices = 0;
  m_shapes = std::make_unique<ShapeCache>();
  // The helper thread lives only while growing, however the growing ends.
  SplitWork splitWork;
  m_splitWork = &splitWork;
  struct Detach {
    SplitWork*& pointer;
    ~Detach() { pointer = nullptr; }
  } detach{m_splitWork};
  submeshes.clear();
  Submesh::ResetObjectCounter();

  BuildLeafTemplate();
  leafRandom.Seed(params.seed);
  branchRandom.Seed(params.seed);
  leafCount = 0;

  const LevelParameters& trunkLevel = params.levels[0];
  auto trunk = std::make_shared<Branch>(Zero, UnitY, trunkLevel.baseLength * 2 + 5,
                                        static_cast<double>(trunkLevel.baseSize * 0.4L + 0.01L), *this, 0);
  MeshBranch(*trunk);  // appends the trunk's leaves before the trunk itself
  SetBarkMaterial(*this, *trunk);
  submeshes.push_back(trunk);
  CreateChildren(*trunk, params.lastParentLevel);
}

void Tree::CreateChildren(Branch& parent, int remaining) {
  if (remaining < 0 || cancelRequested) return;
  const int k = parent.level;
  const LevelParameters& placement = params.levels[k];
  const LevelParameters& childLevel = params.levels[k + 1];

  const int count = static_cast<int>(branchRandom.Uniform(placement.nbChildrenMin, placement.nbChildrenMax));
  double pos = 0, azimuth = 0, inclination = 0;
  for (int i = 0; i < count && !budgetExceeded; ++i) {
    const Ext d = branchRandom.Uniform(placement.heightMin, placement.heightMax) * parent.length * 0.01L;
    pos = static_cast<double>(placement.heightRelative ? pos + d : d);

    // The quarter turn is part of every increment, relative or not.
    const Ext c = branchRandom.Uniform(placement.inclinationMin, placement.inclinationMax) * kPlacementPi *
                      (1.0L / 180) + 1.570795L;
    inclination = static_cast<double>(placement.inclinationRelative ? inclination + c : c);

    const double length = childLevel.baseLengthInherited
                              ? static_cast<double>((childLevel.baseLength * 0.01L + 0.001L) * parent.length)
                              : childLevel.baseLength + 5.0;

    const Ext a = branchRandom.Uniform(placement.angleMin, placement.angleMax) * kPlacementPi * (1.0L / 180);
    azimuth = static_cast<double>(placement.angleRelative ? azimuth + a : a);

    const int qH = placement.qualityHeight;
    const double g = BendWeight(placement, static_cast<double>(std::fabs(
                                               (static_cast<Ext>(qH) * pos / parent.length + 1) / qH)));
    Vector3 axis, sideA, sideB;
    double radius = 0;
    Vector3 base = BranchPoint(parent, pos / parent.length, static_cast<double>(azimuth + 1.5707963267948966L),
                               g, &axis, &sideA, &sideB, &radius);

    const Quaternion q1 = FromAxisAngle(static_cast<float>(inclination), sideA);
    const Quaternion q2 = FromAxisAngle(static_cast<float>(azimuth), axis);
    const Quaternion q = q2 * q1;
    const Vector3 dir = Rotate(q, axis);

    const double width = childLevel.baseSizeInherited ? static_cast<double>(childLevel.baseSize * 0.01L * radius)
                                                      : static_cast<double>(childLevel.baseSize * 0.1L);
    // A loose branch starts inside its parent instead of being welded on.
    if (!childLevel.attachToParent) base -= (dir * static_cast<float>(width)) * 0.3f;

    auto child = std::make_shared<Branch>(base, dir, length, width, *this, k + 1);
    submeshes.push_back(child);
    child->sideA = Rotate(q, sideA);
    child->sideB = Rotate(q, sideB);

    MeshBranch(*child);
    if (childLevel.attachToParent) WeldToParent(*child, parent);
    SetBarkMaterial(*this, *child);
    CreateChildren(*child, remaining - 1);
  }
}

bool Tree::ReserveGeometry(std::uint64_t vertices) {
  if (m_generatedVertices + vertices > vertexBudget) {
    budgetExceeded = true;
    cancelRequested = true;
    return false;
  }
  m_generatedVertices += vertices;
  return true;
}

}  // namespace vh
