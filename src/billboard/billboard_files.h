// Writing a billboard cloud out: its geometry in one of the export formats
// plus its colour texture and transparency image, named after the geometry
// file (glTF embeds the pictures instead). The desktop program's "Export
// billboard..." and the command-line "billboard" command share these rules.
#pragma once

#include <string>

#include "fileio/export_formats.h"
#include "foundations/image.h"
#include "tree/mesh.h"

namespace vh {

// The material name every billboard exports with.
inline constexpr const char* kBillboardMaterialName = "BBdMat";

struct BillboardFileNames {
  std::string geometry;      // the chosen name, with the format's extension appended unless it has it
  std::string texture;       // directory + name without extension + "Texture.bmp"
  std::string transparency;  // directory + name without extension + "Transparency.bmp"
};

// The three files written for the chosen name N and format. The texture and
// transparency names are formed from N as chosen, before any extension is
// appended: "out/tree" and "out/tree.obj" both give "out/treeTexture.bmp"
// and "out/treeTransparency.bmp". The directory is everything up to the
// last '/'; the extension is the last '.' of the name after it and what
// follows. The extension test ignores letter case, so "tree.OBJ" stays as it is.
BillboardFileNames BillboardExportNames(const std::string& chosen, ExportFormat format);

// Exports the cloud as Export billboard does: every submesh whose texture
// number is 3 (the billboards) gets the texture file `names.texture` and the
// material name "BBdMat"; then the geometry is written to `names.geometry`
// in `format` (OBJ also writes its .mtl beside it; OBJ and 3DS name the
// texture by its file name exactly as written, "treeTexture.bmp"), then `colour` to
// `names.texture` and `transparency` to `names.transparency`, both as 24-bit
// BMP. glTF instead embeds the atlas (colour with the transparency as alpha)
// and, for the branches a cloud keeps as geometry, the bark picture of
// `treePictures`; it writes no BMP. Every file goes through a temporary
// file, so a failure leaves what was there. Throws FileError or
// PictureError naming the file that could not be written (an empty image
// cannot be written either).
//
// `treeOrigin` is EngineOrigin of the tree the cloud was built from. glTF
// puts it at (0, 0, 0), as the tree's own glTF export does, so that the
// billboards stand exactly where the tree stands. OBJ, DXF and 3DS keep
// their rule of putting the cloud's first vertex (the first billboard's
// first corner) there.
void ExportBillboardCloud(MeshObject& cloud, const Image& colour, const Image& transparency,
                          const BillboardFileNames& names, ExportFormat format, const Vector3& treeOrigin,
                          const MaterialPictures& treePictures = {});

}  // namespace vh
