// Trees for the wind tests.
#pragma once

#include <vector>

#include "tree/branch.h"
#include "tree/tree.h"

namespace vh::test {

// The default tree with kite-shaped leaves on every branch, the trunk's too.
inline Tree LeafyTree(int lastParentLevel = 2) {
  TreeParameters params(lastParentLevel);
  params.leafOutline = {{0, -40}, {20, -10}, {0, 30}, {-20, -10}};
  params.leafTexCoords.assign(params.leafOutline.size(), Vector2(0.5f, 0.5f));
  params.noLeavesOnTrunk = false;
  return Generate(params);
}

// The wind of the default settings, on.
inline WindSettings Wind() {
  WindSettings wind;
  wind.enabled = true;
  return wind;
}

inline const Branch* AsBranch(const Submesh& submesh) { return dynamic_cast<const Branch*>(&submesh); }

}  // namespace vh::test
