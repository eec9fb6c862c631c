#include "wind/wind_rig.h"

#include <algorithm>
#include <cmath>

#include "tree/branch.h"
#include "wind/wind_math.h"

namespace vh {
namespace {

// SplitMix64's finaliser: every input bit moves every output bit, so the
// places of two sibling branches give unrelated phases.
std::uint64_t Mix(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

// Long, thin branches catch the wind and swing further: the sway grows
// with the square root of length over base radius, 1 at four radii.
double SwayOf(double length, double radius) {
  const double slenderness = length / std::max(radius, 1e-6);
  return std::clamp(std::sqrt(slenderness / 4.0), 0.5, 2.5);
}

// The centre of the branch's last ring when it has the generator's grid,
// else the end of its axis.
Vector3 TipOf(const Branch& branch) {
  const std::size_t columns = static_cast<std::size_t>(branch.record.qualityAngle) + 1;
  const std::size_t rings = static_cast<std::size_t>(branch.record.qualityHeight) + 1;
  if (branch.record.qualityAngle >= 1 && branch.vertices.size() == columns * rings) {
    const std::size_t first = (rings - 1) * columns;
    double x = 0, y = 0, z = 0;
    for (std::size_t c = 0; c + 1 < columns; ++c) {
      const Vector3& p = branch.vertices[first + c].position;
      x += p.x;
      y += p.y;
      z += p.z;
    }
    const double n = static_cast<double>(columns - 1);
    return {static_cast<float>(x / n), static_cast<float>(y / n), static_cast<float>(z / n)};
  }
  const Vector3 direction = UnitOr(branch.direction, UnitY);
  return branch.origin + direction * static_cast<float>(branch.length);
}

// Which branches get joints: whole levels from the trunk down while they
// fit, then the longest of the first level that does not.
std::vector<bool> ChooseJointed(const std::vector<WindBranch>& branches, const WindRigOptions& options) {
  std::vector<bool> jointed(branches.size(), false);
  int left = std::max(0, options.maxJoints - 1);  // the ground has one
  for (int level = 0; level <= options.deepestLevel && left > 0; ++level) {
    std::vector<std::size_t> ofLevel;
    for (std::size_t i = 0; i < branches.size(); ++i)
      if (branches[i].level == level) ofLevel.push_back(i);
    if (static_cast<int>(ofLevel.size()) > left) {
      std::stable_sort(ofLevel.begin(), ofLevel.end(),
                       [&](std::size_t a, std::size_t b) { return branches[a].length > branches[b].length; });
      ofLevel.resize(static_cast<std::size_t>(left));
    }
    for (std::size_t i : ofLevel) jointed[i] = true;
    left -= static_cast<int>(ofLevel.size());
  }
  return jointed;
}

// "Trunk" (the second of several: "Trunk 2"), or "Branch" and the child
// numbers from the trunk down: "Branch 3.1".
std::string JointName(bool trunk, const std::vector<int>& path) {
  std::string name = trunk ? "Trunk" : "Branch";
  for (std::size_t k = 0; k < path.size(); ++k) {
    name += k == 0 ? ' ' : '.';
    name += std::to_string(path[k]);
  }
  return name;
}

}  // namespace

std::uint64_t ChildPlace(std::uint64_t parent, int ordinal) {
  return Mix(parent ^ Mix(static_cast<std::uint64_t>(ordinal) + 1));
}

std::uint64_t LeafPlace(std::uint64_t branch, int ordinal) {
  return ChildPlace(Mix(branch ^ 0x6C656166ull), ordinal);  // "leaf"
}

double PlaceFraction(std::uint64_t place, std::uint64_t salt) {
  return static_cast<double>(Mix(place ^ salt) >> 11) * 0x1p-53;
}

JointWeights JointWeights::One(int joint) {
  JointWeights w;
  w.joints[0] = static_cast<std::uint8_t>(joint);
  w.weights[0] = 1.0f;
  w.count = 1;
  return w;
}

JointWeights JointWeights::Heaviest(const std::uint8_t* joints, const float* weights, int count) {
  // Kept heaviest first by insertion: a sort would cost more than the
  // blend for so few.
  JointWeights result;
  float sum = 0.0f, dropped = 0.0f;
  for (int i = 0; i < count; ++i) {
    const float weight = weights[i];
    if (!(weight > 0.0f)) continue;
    if (result.count == kMost && weight <= result.weights[kMost - 1]) {
      dropped += weight;
      continue;
    }
    if (result.count == kMost) {
      dropped += result.weights[kMost - 1];
      sum -= result.weights[kMost - 1];
    } else {
      ++result.count;
    }
    int at = result.count - 1;
    for (; at > 0 && result.weights[at - 1] < weight; --at) {
      result.joints[at] = result.joints[at - 1];
      result.weights[at] = result.weights[at - 1];
    }
    result.joints[at] = joints[i];
    result.weights[at] = weight;
    sum += weight;
  }
  if (dropped > 0.0f && sum > 0.0f)
    for (int i = 0; i < result.count; ++i) result.weights[i] /= sum;
  return result;
}

JointWeights JointWeights::Quantised() const {
  constexpr float kSteps = 65536.0f;
  JointWeights q;
  q.joints[0] = count > 0 ? joints[0] : 0;
  q.count = 1;
  float rest = 1.0f;
  for (int i = 1; i < count; ++i) {
    const float w = std::round(weights[i] * kSteps) / kSteps;
    if (w <= 0.0f) continue;
    q.joints[q.count] = joints[i];
    q.weights[q.count++] = w;
    rest -= w;
  }
  q.weights[0] = rest;  // exact: every term is a multiple of 1/65536
  return q;
}

float JointWeights::WeightOf(int joint) const {
  for (int i = 0; i < count; ++i)
    if (joints[i] == joint) return weights[i];
  return 0.0f;
}

const WindOwner* WindRig::OwnerOf(unsigned objectNumber) const {
  const auto found = m_owners.find(objectNumber);
  return found == m_owners.end() ? nullptr : &found->second;
}

const WindBranch* WindRig::AnchorOf(const WindBranch& b) const {
  const int branch = joints[static_cast<std::size_t>(b.anchorJoint)].branch;
  return branch < 0 ? nullptr : &branches[static_cast<std::size_t>(branch)];
}

JointWeights WindRig::WeightsOn(const WindBranch& b, const Vector3& p) const {
  // From b's anchor down to the trunk: each branch with a joint takes s of
  // what its descendants left, its parent the rest, and the ground what
  // the trunk leaves. A tree has at most eleven levels.
  constexpr int kDeepest = 16;
  std::array<std::uint8_t, kDeepest + 1> chainJoints;
  std::array<float, kDeepest + 1> chainWeights;
  int n = 0;
  float left = 1.0f;
  for (const WindBranch* jointed = AnchorOf(b); jointed != nullptr && n < kDeepest;) {
    const float s = jointed->Along(p);
    chainJoints[static_cast<std::size_t>(n)] = static_cast<std::uint8_t>(jointed->joint);
    chainWeights[static_cast<std::size_t>(n++)] = left * s;
    left *= 1.0f - s;
    jointed = jointed->parent < 0 ? nullptr : AnchorOf(branches[static_cast<std::size_t>(jointed->parent)]);
  }
  chainJoints[static_cast<std::size_t>(n)] = 0;
  chainWeights[static_cast<std::size_t>(n++)] = left;
  return JointWeights::Heaviest(chainJoints.data(), chainWeights.data(), n);
}

WindRig BuildWindRig(const MeshObject& tree, const WindRigOptions& options) {
  WindRig rig;
  rig.m_owners.reserve(tree.submeshes.size());
  // The skeleton in list order. A branch's parent is the latest branch one
  // level up; a leaf belongs to the latest branch, except the trunk's,
  // which come before it.
  std::vector<int> latestOfLevel;
  std::vector<int> childCount;
  std::vector<std::vector<int>> paths;  // child numbers from the trunk down, for joint names
  std::vector<unsigned> pendingLeaves;
  int trunks = 0;
  std::vector<int> leafCount;
  std::vector<double> radii;
  for (const auto& submesh : tree.submeshes) {
    const auto* branch = dynamic_cast<const Branch*>(submesh.get());
    if (branch == nullptr) {
      if (submesh->texture != kLeafMaterial) continue;
      if (rig.branches.empty()) {
        pendingLeaves.push_back(submesh->displayList);
      } else {
        const int owner = static_cast<int>(rig.branches.size()) - 1;
        rig.m_owners.emplace(submesh->displayList, WindOwner{static_cast<std::uint32_t>(owner),
                                                             leafCount[static_cast<std::size_t>(owner)]++});
      }
      continue;
    }
    const int level = std::max(0, branch->level);
    int parent = -1;
    if (level > 0 && level - 1 < static_cast<int>(latestOfLevel.size())) parent = latestOfLevel[level - 1];
    // A branch whose parent is missing (a mesh put together by hand) stands
    // on the ground as a trunk would.
    WindBranch b;
    b.base = branch->origin;
    b.tip = TipOf(*branch);
    b.level = parent < 0 ? 0 : level;
    b.parent = parent;
    const Vector3 axis = b.tip - b.base;
    b.length = std::sqrt(DotF(axis, axis));
    if (b.length > 0.0f) b.alongScale = axis * (1.0f / (b.length * b.length));
    std::vector<int> path;
    if (parent < 0) {
      b.place = ChildPlace(0x7472756E6Bull, trunks++);  // "trunk"
      if (trunks > 1) path.push_back(trunks);
    } else {
      // A grown branch knows its index among its siblings: a branch removed
      // by hand leaves a gap, so its siblings keep their phases and names.
      int& count = childCount[static_cast<std::size_t>(parent)];
      const int ordinal = std::max(count, branch->childIndex);
      count = ordinal + 1;
      b.place = ChildPlace(rig.branches[static_cast<std::size_t>(parent)].place, ordinal);
      path = paths[static_cast<std::size_t>(parent)];
      path.push_back(ordinal + 1);
    }
    const int index = static_cast<int>(rig.branches.size());
    rig.branches.push_back(b);
    childCount.push_back(0);
    leafCount.push_back(0);
    radii.push_back(branch->width);
    paths.push_back(std::move(path));
    if (static_cast<int>(latestOfLevel.size()) <= b.level)
      latestOfLevel.resize(static_cast<std::size_t>(b.level) + 1);
    latestOfLevel[static_cast<std::size_t>(b.level)] = index;
    latestOfLevel.resize(static_cast<std::size_t>(b.level) + 1);  // deeper ones belong to an earlier branch
    rig.m_owners.emplace(branch->displayList, WindOwner{static_cast<std::uint32_t>(index), -1});
    for (unsigned number : pendingLeaves)
      rig.m_owners.emplace(number, WindOwner{static_cast<std::uint32_t>(index), leafCount.back()++});
    pendingLeaves.clear();
  }

  // Joints, parents first since the branches are in depth-first order.
  WindJoint ground;
  ground.name = "Ground";
  rig.joints.push_back(ground);
  const std::vector<bool> jointed = ChooseJointed(rig.branches, options);
  for (std::size_t i = 0; i < rig.branches.size(); ++i) {
    WindBranch& b = rig.branches[i];
    b.anchorJoint = b.parent < 0 ? 0 : rig.branches[static_cast<std::size_t>(b.parent)].anchorJoint;
    if (!jointed[i]) continue;
    WindJoint joint;
    joint.base = b.base;
    joint.parent = b.anchorJoint;
    joint.level = b.level;
    joint.branch = static_cast<int>(i);
    joint.phase = PlaceFraction(b.place, kPhaseSalt);
    joint.variety = PlaceFraction(b.place, kVarietySalt);
    joint.sway = SwayOf(b.length, radii[i]);
    joint.name = JointName(b.parent < 0, paths[i]);
    b.joint = static_cast<int>(rig.joints.size());
    b.anchorJoint = b.joint;
    rig.joints.push_back(std::move(joint));
  }
  return rig;
}

}  // namespace vh
