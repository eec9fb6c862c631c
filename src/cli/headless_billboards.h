// Billboard pictures drawn without a display: an OpenGL context of its own
// (see headless_gl.h) with the tree's leaf and bark pictures uploaded, as
// the desktop program draws them.
#pragma once

#include "billboard/billboard_cloud.h"
#include "billboard/lod_pictures.h"
#include "fileio/export_scene.h"
#include "forest/variant_pack.h"
#include "tree/mesh.h"
#include "view/draw_list_cache.h"
#include "view/headless_gl.h"

namespace vh::cli {

class HeadlessBillboards {
 public:
  // Makes the context and uploads the pictures that are there (an empty
  // picture leaves its submeshes drawn untextured). Throws
  // std::runtime_error when no context can be made.
  explicit HeadlessBillboards(const MaterialPictures& treePictures);

  // A renderer drawing `mesh`, which must outlive it.
  BillboardRenderer RendererFor(MeshObject& mesh);
  // The level-of-detail chain's pictures of `mesh`, which must outlive it.
  PictureRenderer PicturesOf(const MeshObject& mesh);

 private:
  HeadlessGl m_gl;
  DrawListCache m_lists;  // the context's lists; they go with it
};

// Draws each forest variant's cards in a context of its own, made on the
// thread growing the variant.
ForestChainMaker ForestCardDrawer();

}  // namespace vh::cli
