// Rectangle packing for the billboard atlas: a guillotine space-partition
// tree in which every split node has exactly two children (the classic
// "lightmap packing" binary tree, J. Scott, blackpawn.com, 2001).
//
// Bounds are inclusive pixel coordinates, so a node's width is x1 - x0 + 1.
// The packing is first-fit in call order: callers that want a reproducible
// atlas must insert in a fixed order and never sort.
#pragma once

#include <memory>

namespace vh {

class PackingNode {
 public:
  PackingNode() = default;
  PackingNode(int left, int top, int right, int bottom) : x0(left), y0(top), x1(right), y1(bottom) {}

  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // inclusive bounds
  int occupancy = -1;                  // -1 free, 1 holds an image
  std::unique_ptr<PackingNode> first;  // both present after a split, both absent on a leaf
  std::unique_ptr<PackingNode> second;

  int Width() const { return x1 - x0 + 1; }
  int Height() const { return y1 - y0 + 1; }

  // Finds room for a w x h rectangle (w, h >= 0) and returns the node that now
  // holds it, or nullptr when no free leaf is large enough. A split node tries
  // its first child, then its second. A free leaf that is larger than needed
  // is cut in two, vertically when it has more spare width than spare height
  // and horizontally otherwise (ties cut horizontally), and the rectangle
  // goes into the first part. The returned node is owned by this tree.
  PackingNode* Insert(int w, int h);
};

}  // namespace vh
