// The highlight of a selected branch: the branch and everything that grows
// on it (its leaves, its subtree and theirs) drawn once more over the frame
// in a translucent tint. Selecting gathers the triangles on the calling
// thread without GL; drawing assumes a current OpenGL 1.1 context with the
// frame's camera applied, the fixed-function pipeline (no shader program in
// use) and no buffer object bound to the vertex array (the view's buffers
// unbind after they draw); it issues GL calls only and restores every piece
// of state it changes, so it can follow any frame.
#pragma once

#include <cstddef>
#include <vector>

#include "tree/hand_edits.h"
#include "tree/mesh.h"

namespace vh {

// The tint: a colour and how much of it covers what the frame drew.
struct HighlightTint {
  float red = 1.0f, green = 0.55f, blue = 0.1f;
  float alpha = 0.45f;
};

class SelectionHighlight {
 public:
  // Gathers the visible triangles of the branch at `path` in `tree` (a tree
  // grown by Generate; see tree/branch_places.h) and of everything on it.
  // A place the tree does not have, or an empty one, selects nothing. The
  // positions are copied: the tree may change or go afterwards, and a tree
  // regrown must be selected again.
  void Select(const MeshObject& tree, const BranchPath& path);
  void Clear();

  bool Empty() const { return m_positions.empty(); }
  std::size_t TriangleCount() const { return m_positions.size() / 9; }

  // Draws the tint over the selection, on top of the same surfaces the
  // frame drew (depth test passing on equal depth, pulled slightly towards
  // the viewer, depth buffer unchanged), unlit, untextured, both sides.
  // Nothing when Empty().
  void Draw(const HighlightTint& tint = {}) const;

 private:
  std::vector<float> m_positions;  // x, y, z of three corners per triangle
};

}  // namespace vh
