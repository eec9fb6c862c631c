#include "tree/branch_places.h"

#include "tree/branch.h"

namespace vh {

BranchPlaces FindBranchPlaces(const MeshObject& tree) {
  BranchPlaces places;
  places.branchOf.assign(tree.submeshes.size(), -1);
  // The latest branch of each level: a branch's parent is the latest one
  // level up, a leaf belongs to the latest branch, but the trunk's leaves
  // come before the trunk and wait for it.
  std::vector<int> latestOfLevel;
  std::vector<std::size_t> waitingLeaves;
  for (std::size_t i = 0; i < tree.submeshes.size(); ++i) {
    const Submesh& submesh = *tree.submeshes[i];
    const auto* branch = dynamic_cast<const Branch*>(&submesh);
    if (branch == nullptr) {
      if (submesh.texture != kLeafMaterial) continue;
      if (places.paths.empty()) {
        waitingLeaves.push_back(i);
      } else {
        places.branchOf[i] = static_cast<int>(places.paths.size()) - 1;
      }
      continue;
    }
    const std::size_t level = static_cast<std::size_t>(branch->level < 0 ? 0 : branch->level);
    BranchPath path;
    if (level > 0 && level <= latestOfLevel.size()) path = places.paths[latestOfLevel[level - 1]];
    path.push_back(branch->childIndex);
    const int index = static_cast<int>(places.paths.size());
    places.paths.push_back(std::move(path));
    places.branchOf[i] = index;
    // Deeper levels belonged to an earlier branch.
    latestOfLevel.resize(level + 1);
    latestOfLevel[level] = index;
    for (const std::size_t leaf : waitingLeaves) places.branchOf[leaf] = index;
    waitingLeaves.clear();
  }
  return places;
}

std::vector<std::size_t> SubmeshesOnBranch(const BranchPlaces& places, const BranchPath& path) {
  std::vector<std::size_t> submeshes;
  if (path.empty()) return submeshes;
  std::vector<bool> on(places.paths.size());
  for (std::size_t b = 0; b < places.paths.size(); ++b) on[b] = IsOnBranch(places.paths[b], path);
  for (std::size_t i = 0; i < places.branchOf.size(); ++i) {
    const int branch = places.branchOf[i];
    if (branch >= 0 && on[static_cast<std::size_t>(branch)]) submeshes.push_back(i);
  }
  return submeshes;
}

}  // namespace vh
