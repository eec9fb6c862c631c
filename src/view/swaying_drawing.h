// Draws the tree in the wind (swaying_tree.h) from client-side vertex
// arrays (OpenGL 1.1), one glDrawElements per drawing state, with the
// culling and texturing the display lists of the same submeshes set.
#pragma once

#include "view/swaying_tree.h"

namespace vh {

// Draws `tree` as posed last. The enable, texture, current colour and
// client-array state it changes are restored. Context current.
void DrawSwaying(const SwayingTree& tree);

}  // namespace vh
