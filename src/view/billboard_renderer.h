// The picture of one billboard: the triangles of its cluster drawn with the
// tree's own materials, seen orthographically along the billboard's normal
// so that the picture maps exactly onto the billboard square.
#pragma once

#include "billboard/lod_pictures.h"
#include "foundations/image.h"
#include "foundations/vector3.h"
#include "tree/mesh.h"
#include "view/draw_list_cache.h"
#include "view/submesh_drawing.h"

namespace vh {

// The clear colour of billboard pictures: the key colour (50, 134, 40) on
// GL's 0..1 scale. Pixels nothing covers keep it and become transparent.
inline constexpr float kBillboardKeyColour[4] = {0.19607843f, 0.5254902f, 0.15686275f, 1.0f};

// How a picture's triangles are shaded.
enum class PictureLighting {
  kViewLight,  // as the tree view lights them: billboards carry the light in their pictures
  kUnlit,      // their own colours and textures only, for surfaces an engine lights itself
};

// Draws `mesh` with DrawMesh, through the current context's lists `lists`
// and with `options` plus every face (bark seen from inside too; only
// triangles whose `visible` flag is set appear),
// into the current framebuffer, which must be at least width x height
// pixels, and reads it back.
//
// v0 and v2 are opposite corners of the picture's rectangle and v1 the
// corner between them. The camera is orthographic over W = |v2 - v1| by
// H = |v1 - v0| units, looking at centre = (v0 + v2) / 2 along -n,
// n = normalize((v1 - v0) x (v2 - v0)), with up = normalize(v1 - v0). The
// eye stands 10 units before the centre and sees 100 units deep, as far
// as every visible triangle lies within that; otherwise it stands 1 unit
// before the nearest visible vertex and sees 1 unit past the farthest, so
// that no triangle of the picture is cut away whatever its distance from
// the rectangle's plane (the picture is orthographic, so where the eye
// stands changes nothing else). With kViewLight, light 0 shines from
// (20, 15, 15, 0) in world coordinates; kUnlit draws with lighting off.
// The buffers are cleared to kBillboardKeyColour first.
//
// Returns width x height RGB, top row first (the buffer's bottom row is the
// picture's last row); an empty picture, without any GL call, when either
// size is <= 0. The clear colour, viewport, matrices, lighting, shade
// model and pixel-pack alignment are restored before it returns; whatever
// DrawMesh changes it restores itself. Assumes a current OpenGL 1.1 context.
// `keep` (see lod_pictures.h) turns on one user clip plane per side, given
// in world coordinates; the enable bits are restored with the rest.
Image RenderPicture(DrawListCache& lists, const MeshObject& mesh, const DrawOptions& options,
                    const Vector3& v0, const Vector3& v1, const Vector3& v2, int width, int height,
                    PictureLighting lighting, const std::vector<KeptSide>& keep = {});

// A picture for the level-of-detail chain (see lod_pictures.h): `mesh`
// through `frame`, unlit, cut to the frame's kept sides by user clip
// planes (which are disabled again afterwards). Throws std::invalid_argument
// for more than kMostKeptSides sides.
Image RenderLodPicture(DrawListCache& lists, const MeshObject& mesh, const PictureFrame& frame);

// The picture of one billboard: RenderPicture of side x side pixels lit by
// the view's light.
Image RenderBillboardPicture(DrawListCache& lists, const MeshObject& mesh, const DrawOptions& options,
                             const Vector3& v0, const Vector3& v1, const Vector3& v2, int side);

}  // namespace vh
