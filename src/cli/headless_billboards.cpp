#include "cli/headless_billboards.h"

#include "view/billboard_renderer.h"
#include "view/texture_upload.h"
#include "view/viewer.h"

namespace vh::cli {

HeadlessBillboards::HeadlessBillboards(const MaterialPictures& treePictures) {
  InitViewState();
  if (treePictures.leaf != nullptr && !treePictures.leaf->Empty())
    UploadTexture(kLeafTextureObject, *treePictures.leaf, MinFilter::kLinearMipmapLinear);
  if (treePictures.bark != nullptr && !treePictures.bark->Empty())
    UploadTexture(kBarkTextureObject, *treePictures.bark, MinFilter::kNearestMipmapNearest);
}

BillboardRenderer HeadlessBillboards::RendererFor(MeshObject& mesh) {
  return [this, &mesh](const Vector3& v0, const Vector3& v1, const Vector3& v2, int side) {
    if (side <= 0) return Image();
    m_gl.BindFramebuffer(side, side);
    return RenderBillboardPicture(m_lists, mesh, {}, v0, v1, v2, side);
  };
}

PictureRenderer HeadlessBillboards::PicturesOf(const MeshObject& mesh) {
  return [this, &mesh](const PictureFrame& frame) {
    if (frame.width <= 0 || frame.height <= 0) return Image();
    m_gl.BindFramebuffer(frame.width, frame.height);
    return RenderLodPicture(m_lists, mesh, frame);
  };
}

ForestChainMaker ForestCardDrawer() {
  return [](const MeshObject& tree, const MaterialPictures& pictures, const LodChainOptions& options,
            const std::atomic<bool>* cancel) {
    HeadlessBillboards billboards(pictures);
    return BuildLodChain(
        tree, options, [&billboards](const MeshObject& mesh) { return billboards.PicturesOf(mesh); },
        [cancel](int) { return cancel == nullptr || !*cancel; });
  };
}

}  // namespace vh::cli
