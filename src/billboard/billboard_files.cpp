#include "billboard/billboard_files.h"

#include "fileio/dxf_export.h"
#include "fileio/obj_export.h"
#include "fileio/tds_export.h"
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

std::string LowerCaseExtension(const std::string& path) {
  const std::size_t dot = ExtensionStart(path);
  if (dot == std::string::npos) return "";
  std::string extension = path.substr(dot);
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return extension;
}

}  // namespace

const char* GeometryExtension(GeometryFormat format) {
  switch (format) {
    case GeometryFormat::k3DS: return ".3ds";
    case GeometryFormat::kDXF: return ".dxf";
    case GeometryFormat::kOBJ: return ".obj";
  }
  return "";
}

std::optional<GeometryFormat> FormatOfExtension(const std::string& path) {
  const std::string extension = LowerCaseExtension(path);
  for (GeometryFormat format : {GeometryFormat::k3DS, GeometryFormat::kDXF, GeometryFormat::kOBJ}) {
    if (extension == GeometryExtension(format)) return format;
  }
  return std::nullopt;
}

BillboardFileNames BillboardExportNames(const std::string& chosen, GeometryFormat format) {
  const std::size_t dot = ExtensionStart(chosen);
  const std::string withoutExtension = dot == std::string::npos ? chosen : chosen.substr(0, dot);
  BillboardFileNames names;
  names.texture = withoutExtension + "Texture.bmp";
  names.transparency = withoutExtension + "Transparency.bmp";
  names.geometry = chosen;
  if (LowerCaseExtension(chosen) != GeometryExtension(format)) names.geometry += GeometryExtension(format);
  return names;
}

void ExportBillboardCloud(MeshObject& cloud, const Image& colour, const Image& transparency,
                          const BillboardFileNames& names, GeometryFormat format) {
  for (const auto& submesh : cloud.submeshes) {
    if (submesh->texture != kBillboardMaterial) continue;
    submesh->textureFile = names.texture;
    submesh->materialName = kBillboardMaterialName;
  }
  switch (format) {
    case GeometryFormat::k3DS: Export3DS(cloud, names.geometry); break;
    case GeometryFormat::kDXF: ExportDXF(cloud, names.geometry); break;
    case GeometryFormat::kOBJ: ExportOBJ(cloud, names.geometry); break;
  }
  WriteBMP(names.texture, colour);
  WriteBMP(names.transparency, transparency);
}

}  // namespace vh
