#include "billboard/packing.h"

namespace vh {

PackingNode* PackingNode::Insert(int w, int h) {
  if (first) {
    if (PackingNode* placed = first->Insert(w, h)) return placed;
    return second->Insert(w, h);
  }
  if (occupancy != -1) return nullptr;
  const int width = Width();
  const int height = Height();
  if (width < w || height < h) return nullptr;
  if (width == w && height == h) {
    occupancy = 1;
    return this;
  }
  // Cut along the axis with more spare room, so that the leftover second part
  // stays as large as possible.
  const int dw = width - w;
  const int dh = height - h;
  if (dh < dw) {
    first = std::make_unique<PackingNode>(x0, y0, x0 + w - 1, y1);
    second = std::make_unique<PackingNode>(x0 + w, y0, x1, y1);
  } else {
    first = std::make_unique<PackingNode>(x0, y0, x1, y0 + h - 1);
    second = std::make_unique<PackingNode>(x0, y0 + h, x1, y1);
  }
  return first->Insert(w, h);
}

}  // namespace vh
