// Drawing mesh objects through per-submesh display lists in the current GL
// context. Every function here assumes a current OpenGL 1.1 context on the
// calling thread, issues GL calls only, and takes the DrawListCache of that
// context.
#pragma once

#include "tree/mesh.h"
#include "view/draw_list_cache.h"
#include "view/submesh_drawing.h"

namespace vh {

// Draws every submesh of `mesh` in list order (see DrawSubmeshWith in
// submesh_drawing.h for each one's contract): replays its list from `lists`,
// or compiles it when the submesh or the options changed. The perspective
// hint is set to fastest meanwhile; the enable, texture, current-colour and
// hint state it changes is restored before it returns, so callers keep their
// own state.
void DrawMesh(DrawListCache& lists, const MeshObject& mesh, const DrawOptions& options);

// Frees the display lists of submeshes that are gone.
void ReleaseGoneLists(DrawListCache& lists);

// Frees every display list of the cache (the context is about to go).
void ReleaseAllLists(DrawListCache& lists);

}  // namespace vh
