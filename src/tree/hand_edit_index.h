// The hand edits of a parameter set arranged by place, for the generator:
// a tree of the places the edits name, walked down alongside the growth, so
// that finding a branch's edits costs one look-up per branch placed (and
// nothing when there are no edits).
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "tree/hand_edits.h"

namespace vh {

// What the edits of one place add up to: removal wins over everything,
// turns add up and length factors multiply (kept within the factor limits).
struct BranchEdits {
  bool removed = false;
  bool shaped = false;              // turned or lengthened
  double around = 0.0, away = 0.0;  // degrees
  double factor = 1.0;
};

class HandEditIndex {
 public:
  static constexpr int kNone = -1;

  explicit HandEditIndex(const std::vector<HandEdit>& edits);

  // The place of trunk `index`, or kNone when no edit names it or a place
  // on it.
  int Trunk(int index) const { return Child(0, index); }
  // The place of child `index` of place `node`; kNone when `node` is kNone
  // or no edit names that child or a place on it.
  int Child(int node, int index) const;
  const BranchEdits& At(int node) const { return m_nodes[static_cast<std::size_t>(node)].edits; }

  // Records that the growth reached the branch of `node` (kNone: nothing).
  void Reach(int node) {
    if (node != kNone) m_nodes[static_cast<std::size_t>(node)].reached = true;
  }
  // The indices of the edits whose place was never reached, in order.
  std::vector<std::size_t> Unreached() const;

 private:
  struct Node {
    BranchEdits edits;
    std::vector<std::pair<int, int>> children;  // (child index, node)
    std::vector<std::size_t> editIndices;
    bool reached = false;
  };

  std::vector<Node> m_nodes;  // 0 is the root, above the trunks
};

}  // namespace vh
