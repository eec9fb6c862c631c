// Billboard pictures drawn in the view's GL context: each picture goes to
// an offscreen framebuffer object of its own size, made current through
// the view's context, so a picture may be larger than the view and nothing
// drawn for it ever reaches the screen.
#pragma once

#include "billboard/billboard_cloud.h"
#include "billboard/lod_pictures.h"

class TreeDocument;
class ViewContext;

namespace vh {
class MeshObject;
}

// A renderer for CreateBillboardCloud that draws `mesh` (the tree, which
// must outlive the renderer, as `document` draws it: filled or as lines)
// in the view's context into a side x side framebuffer object and reads
// the picture back (see RenderBillboardPicture). Without a working view
// context the pictures are blank (all key colour): the cloud still gets
// its geometry. Throws
// std::runtime_error when the context cannot make a framebuffer of that size.
vh::BillboardRenderer ViewContextBillboardRenderer(ViewContext& context, const TreeDocument& document,
                                                   vh::MeshObject& mesh);

// The level-of-detail chain's pictures of `mesh` (see RenderLodPicture),
// drawn the same way.
vh::PictureRenderer ViewContextLodPictures(ViewContext& context, const vh::MeshObject& mesh);
