#include "billboard/billboard_files.h"

#include "imaging/bmp.h"

namespace vh {
namespace {

// Position of the last '.' of the file-name part of `path`, or npos.
std::size_t ExtensionStart(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = path.rfind('.');
  return dot == std::string::npos || dot < nameStart ? std::string::npos : dot;
}

}  // namespace

BillboardFileNames BillboardExportNames(const std::string& chosen, ExportFormat format) {
  const std::size_t dot = ExtensionStart(chosen);
  const std::string withoutExtension = dot == std::string::npos ? chosen : chosen.substr(0, dot);
  BillboardFileNames names;
  names.texture = withoutExtension + "Texture.bmp";
  names.transparency = withoutExtension + "Transparency.bmp";
  names.geometry = ExportFileName(chosen, format);
  return names;
}

void ExportBillboardCloud(MeshObject& cloud, const Image& colour, const Image& transparency,
                          const BillboardFileNames& names, ExportFormat format, const Vector3& treeOrigin,
                          const MaterialPictures& treePictures) {
  for (const auto& submesh : cloud.submeshes) {
    if (submesh->texture != kBillboardMaterial) continue;
    submesh->textureFile = names.texture;
    submesh->materialName = kBillboardMaterialName;
  }
  MaterialPictures pictures = treePictures;
  pictures.billboardColour = &colour;
  pictures.billboardTransparency = &transparency;
  ExportScene scene = SingleMeshScene(cloud, pictures);
  scene.origin = treeOrigin;
  WriteExport(format, scene, names.geometry);
  if (FormatEntry(format).carriesScene) return;  // the atlas is inside
  WriteBMP(names.texture, colour);
  WriteBMP(names.transparency, transparency);
}

}  // namespace vh
