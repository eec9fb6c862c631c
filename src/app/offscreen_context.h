// Billboard pictures drawn in the view's GL context: each picture goes to
// an offscreen framebuffer object of its own size, made current through
// the view's context, so a picture may be larger than the view and nothing
// drawn for it ever reaches the screen.
#pragma once

#include "billboard/billboard_cloud.h"
#include "billboard/lod_pictures.h"

class EditorHost;

namespace vh {
class MeshObject;
}

// A renderer for CreateBillboardCloud that draws `mesh` (the tree, which
// must outlive the renderer) in the host's view context into a
// side x side framebuffer object and reads the picture back (see
// RenderBillboardPicture). Without a working view context the pictures are
// blank (all key colour): the cloud still gets its geometry. Throws
// std::runtime_error when the context cannot make a framebuffer of that size.
vh::BillboardRenderer ViewContextBillboardRenderer(EditorHost& host, vh::MeshObject& mesh);

// The level-of-detail chain's pictures of `mesh` (see RenderLodPicture),
// drawn the same way.
vh::PictureRenderer ViewContextLodPictures(EditorHost& host, const vh::MeshObject& mesh);
