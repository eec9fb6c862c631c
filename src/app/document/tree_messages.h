// Messages about a grown tree that more than one flow shows.
#pragma once

#include <cstdint>

#include <QString>

#include "tree/tree.h"

// Why the tree is smaller than its parameters ask for, or an empty text when
// the last generation grew it whole.
inline QString TreeTooLargeMessage(const vh::Tree& tree, std::uint64_t vertexBudget) {
  if (!tree.budgetExceeded) return QString();
  return QString(
             "This tree would have more than %1 vertices, so it was grown only that far. "
             "Use fewer levels, fewer children or a lower quality.")
      .arg(vertexBudget);
}
