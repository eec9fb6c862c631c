// Where each submesh of a grown tree grows: the place (tree/hand_edits.h)
// of every branch, found from the list order generation leaves (the
// trunk's leaves, the trunk, then depth first each branch followed by its
// leaves and its subtree) and each branch's level and child index. A
// removed branch leaves a gap in its siblings' indices, never a shift.
#pragma once

#include <cstddef>
#include <vector>

#include "tree/hand_edits.h"
#include "tree/mesh.h"

namespace vh {

struct BranchPlaces {
  // The place of each branch, in list order.
  std::vector<BranchPath> paths;
  // Per submesh of the list, the index into `paths` of the branch it is
  // or that carries it (a leaf); -1 for a submesh that belongs to none (a
  // mesh not grown by Generate).
  std::vector<int> branchOf;
};

BranchPlaces FindBranchPlaces(const MeshObject& tree);

// The list indices of the submeshes of the branch at `path` and of
// everything that grows on it (its leaves, its subtree and theirs), in
// list order; empty when the tree has no branch there.
std::vector<std::size_t> SubmeshesOnBranch(const BranchPlaces& places, const BranchPath& path);

}  // namespace vh
