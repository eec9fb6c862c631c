#include "tree/hand_edit_index.h"

#include <algorithm>

namespace vh {

HandEditIndex::HandEditIndex(const std::vector<HandEdit>& edits) : m_nodes(1) {
  for (std::size_t e = 0; e < edits.size(); ++e) {
    const HandEdit& edit = edits[e];
    int node = 0;
    for (const int index : edit.branch) {
      int next = Child(node, index);
      if (next == kNone) {
        next = static_cast<int>(m_nodes.size());
        m_nodes[static_cast<std::size_t>(node)].children.emplace_back(index, next);
        m_nodes.emplace_back();
      }
      node = next;
    }
    // An edit naming no branch stays on the root, which is never reached.
    Node& place = m_nodes[static_cast<std::size_t>(node)];
    place.editIndices.push_back(e);
    BranchEdits& sum = place.edits;
    switch (edit.kind) {
      case HandEditKind::kRemove:
        sum.removed = true;
        break;
      case HandEditKind::kTurn:
        sum.shaped = true;
        sum.around += edit.around;
        sum.away += edit.away;
        break;
      case HandEditKind::kLength:
        sum.shaped = true;
        sum.factor = std::clamp(sum.factor * edit.factor, kMinLengthFactor, kMaxLengthFactor);
        break;
    }
  }
}

int HandEditIndex::Child(int node, int index) const {
  if (node == kNone) return kNone;
  for (const auto& [childIndex, child] : m_nodes[static_cast<std::size_t>(node)].children)
    if (childIndex == index) return child;
  return kNone;
}

std::vector<std::size_t> HandEditIndex::Unreached() const {
  std::vector<std::size_t> unreached;
  for (std::size_t n = 0; n < m_nodes.size(); ++n)
    if (n == 0 || !m_nodes[n].reached)
      unreached.insert(unreached.end(), m_nodes[n].editIndices.begin(), m_nodes[n].editIndices.end());
  std::sort(unreached.begin(), unreached.end());
  return unreached;
}

}  // namespace vh
