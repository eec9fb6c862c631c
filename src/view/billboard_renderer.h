// The picture of one billboard: the triangles of its cluster drawn with the
// tree's own materials, seen orthographically along the billboard's normal
// so that the picture maps exactly onto the billboard square.
#pragma once

#include "foundations/image.h"
#include "foundations/vector3.h"
#include "tree/mesh.h"
#include "view/draw_list_cache.h"
#include "view/submesh_drawing.h"

namespace vh {

// The clear colour of billboard pictures: the key colour (50, 134, 40) on
// GL's 0..1 scale. Pixels nothing covers keep it and become transparent.
inline constexpr float kBillboardKeyColour[4] = {0.19607843f, 0.5254902f, 0.15686275f, 1.0f};

// Draws `mesh` with DrawMesh, through the current context's lists `lists`
// and with `options` (so only triangles whose `visible` flag is set appear),
// into the current framebuffer, which must be at least side x side pixels,
// and reads it back.
//
// v0 and v2 are opposite corners of the billboard square and v1 the corner
// between them. The camera is orthographic over W = |v2 - v1| by
// H = |v1 - v0| units, from near 0.1 to far 100, looking from
// centre + 10 n at centre = (v0 + v2) / 2, n = normalize((v1 - v0) x (v2 - v0)),
// with up = normalize(v1 - v0); light 0 shines from (20, 15, 15, 0) in world
// coordinates. The buffers are cleared to kBillboardKeyColour first.
//
// Returns side x side RGB, top row first (the buffer's bottom row is the
// picture's last row); an empty picture, without any GL call, for side <= 0.
// The clear colour, viewport, matrices, light position, shade model and
// pixel-pack alignment are restored before it returns; whatever DrawMesh
// changes it restores itself. Assumes a current OpenGL 1.1 context.
Image RenderBillboardPicture(DrawListCache& lists, const MeshObject& mesh, const DrawOptions& options,
                             const Vector3& v0, const Vector3& v1, const Vector3& v2, int side);

}  // namespace vh
