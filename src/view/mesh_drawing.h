// Drawing mesh objects through per-submesh display lists in the current GL
// context. Every function here assumes a current OpenGL 1.1 context on the
// calling thread and issues GL calls only.
#pragma once

#include "tree/mesh.h"

namespace vh {

// Draws one submesh (see DrawSubmeshWith in submesh_drawing.h for the
// contract): replays its display list, or recompiles it when `listDirty`.
void DrawSubmesh(Submesh& submesh);

// Draws every submesh of `mesh` in list order with the perspective hint set
// to fastest. The enable, texture, current-colour and hint state it changes
// is restored before it returns, so callers keep their own state.
void DrawMesh(MeshObject& mesh);

// Frees the display lists that destroyed submeshes left behind
// (RetiredDrawLists()). Call with the context that made them current.
void ReleaseRetiredDrawLists();

// Forgets the display lists of every submesh of `mesh` without freeing them:
// for when the context that owned them is gone. The submeshes become dirty
// and are compiled again in the next context.
void ForgetDrawLists(MeshObject& mesh);

}  // namespace vh
