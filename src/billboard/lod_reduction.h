// Coarser copies of a grown tree for the middle levels of a level-of-detail
// chain, made from the tree's own vertices so that switching levels moves
// nothing that stays: every branch keeps a subset of its rings and columns,
// branches too thin to cover a pixel are dropped, and leaves are thinned
// out and enlarged so that the crown keeps its coverage.
#pragma once

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
  // The share of the full tree's triangles the level aims at (0..1).
  double triangleShare = 1.0;
  // Branches whose diameter is below this fraction of the tree's height
  // are left out (they would be thinner than a pixel where the level shows).
  double thinnestBranch = 0.0;
  // The share of leaves kept; each kept leaf grows by 1 / sqrt(share) about
  // its centre, so that the leaves cover the same area.
  double leafShare = 1.0;
};

// A reduced copy of `tree`. Branches are recognised by their grid (see
// GridOf); the grid factor is chosen so that the triangles come as close to
// the aimed share as the coarsest grid (3 columns, 2 rings) allows. Other
// submeshes are shared with `tree` unchanged. Reduced branches and leaves
// keep the object numbers of the submeshes they were made from.
std::unique_ptr<MeshObject> ReduceTree(const MeshObject& tree, const LodReduction& reduction);

}  // namespace vh
