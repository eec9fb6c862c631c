// Coarser copies of a grown tree for the middle levels of a level-of-detail
// chain, made from the tree's own vertices so that switching levels moves
// nothing that stays: every branch keeps a subset of its rings and columns,
// branches too thin to cover a pixel are dropped, leaves keep fewer
// corners and, where that is not enough, are thinned out and enlarged so
// that the crown keeps its coverage.
#pragma once

#include <limits>
#include <memory>
#include <optional>

#include "tree/mesh.h"

namespace vh {

// The ring-and-column layout of a branch submesh: `rings` rings of
// `columns` vertices (the last column repeating the first at the seam),
// vertex index ring * columns + column, two clockwise triangles per cell.
struct BranchGrid {
  unsigned rings = 0;
  unsigned columns = 0;
};

// The grid of a bark submesh whose vertices and triangles follow the
// generator's layout, or none (another kind of submesh, or an empty one).
std::optional<BranchGrid> GridOf(const Submesh& submesh);

struct LodReduction {
  // The most of the full tree's triangles the level keeps (0..1].
  double triangleShare = 1.0;
  // Branches whose diameter is below this fraction of the tree's height
  // are left out (they would be thinner than a pixel where the level shows).
  double thinnestBranch = 0.0;
  // The most a kept leaf's area may grow when leaves are thinned out
  // (>= 1). The export's levels let it grow as far as the thinning asks;
  // a level drawn by a software renderer while the camera moves caps it,
  // since large overlapping leaves cost fill time rather than triangles.
  double mostLeafGrowth = std::numeric_limits<double>::infinity();
};

// A reduced copy of `tree` within triangleShare of its triangles, as far as
// its coarsest form allows (branches of 3 columns and 2 rings, leaves of 4
// corners or fewer, one leaf in 16).
//
// The triangles are shared out between leaves and branches by what each
// stands for in the tree's outline: the leaves' part is the area of their
// faces over that plus what the branches show of theirs (1 / pi of a
// tube's surface), and never less than what the branches leave at full
// detail. Within their part leaves first lose corners (see
// leaf_simplification.h: down to 4, their shape kept as well as so few
// corners allow), then whole leaves go (spread along the list,
// which keeps each branch's leaves together, those on the crown's outside
// more likely to stay than those deep inside; those kept grow to cover
// sqrt(1 / share) of their area, at most mostLeafGrowth: covering all the
// area of those left out closes the crown's gaps, which shows as much as
// leaving them open). The branches take what is left, at the finest grid
// that fits. Branches are recognised by their
// grid (see GridOf). Submeshes that are not reduced are shared with `tree`;
// reduced branches and leaves keep the object numbers of the submeshes they
// were made from.
std::unique_ptr<MeshObject> ReduceTree(const MeshObject& tree, const LodReduction& reduction);

}  // namespace vh
