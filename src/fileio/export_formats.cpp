#include "fileio/export_formats.h"

#include <stdexcept>

#include "fileio/dxf_export.h"
#include "fileio/gltf_export.h"
#include "fileio/obj_export.h"
#include "fileio/tds_export.h"

namespace vh {
namespace {

// The formats that write a mesh alone take the first level.
template <void (*Exporter)(const MeshObject&, const std::string&)>
void WriteFirstLevel(const ExportScene& scene, const std::string& path) {
  if (scene.levels.empty() || scene.levels.front().mesh == nullptr)
    throw std::invalid_argument("cannot export '" + path + "': there is nothing to write");
  Exporter(*scene.levels.front().mesh, path);
}

}  // namespace

// Built on first use, so that other units may read it while they are
// initialised themselves.
const std::vector<ExportFormatEntry>& ExportFormats() {
  static const std::vector<ExportFormatEntry> formats = {
      {ExportFormat::k3DS, ".3ds", "3DS File (*.3ds)|*.3ds", WriteFirstLevel<Export3DS>, false},
      {ExportFormat::kDXF, ".dxf", "AutoCAD File (*.dxf)|*.dxf", WriteFirstLevel<ExportDXF>, false},
      {ExportFormat::kOBJ, ".obj", "WaveFront Object File (*.obj)|*.obj", WriteFirstLevel<ExportOBJ>, false},
      {ExportFormat::kGLB, ".glb", "glTF Binary (*.glb)|*.glb", ExportGLB, true},
      {ExportFormat::kGLTF, ".gltf", "glTF (*.gltf)|*.gltf", ExportGLTF, true},
  };
  return formats;
}

const ExportFormatEntry& FormatEntry(ExportFormat format) {
  for (const ExportFormatEntry& entry : ExportFormats())
    if (entry.format == format) return entry;
  return ExportFormats().front();
}

std::string ExportFilterList() {
  std::string list;
  for (const ExportFormatEntry& entry : ExportFormats()) {
    if (!list.empty()) list += '|';
    list += entry.filter;
  }
  return list;
}

ExportFormat ExportFormatOfFilter(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= ExportFormats().size())
    return ExportFormats().front().format;
  return ExportFormats()[static_cast<std::size_t>(index)].format;
}

std::string LowerCaseExtension(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < nameStart) return "";
  std::string extension = path.substr(dot);
  for (char& c : extension)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return extension;
}

std::optional<ExportFormat> ExportFormatOfExtension(const std::string& path) {
  const std::string extension = LowerCaseExtension(path);
  for (const ExportFormatEntry& entry : ExportFormats())
    if (extension == entry.extension) return entry.format;
  return std::nullopt;
}

std::string ExportExtensionsText() {
  std::string text;
  for (std::size_t i = 0; i < ExportFormats().size(); ++i) {
    if (i > 0) text += i + 1 == ExportFormats().size() ? " or " : ", ";
    text += ExportFormats()[i].extension;
  }
  return text;
}

std::string ExportFileName(const std::string& chosen, ExportFormat format) {
  const char* wanted = FormatEntry(format).extension;
  return LowerCaseExtension(chosen) == wanted ? chosen : chosen + wanted;
}

void WriteExport(ExportFormat format, const ExportScene& scene, const std::string& path) {
  const ExportFormatEntry& entry = FormatEntry(format);
  if (!entry.carriesScene) {
    if (scene.levels.size() > 1)
      throw std::invalid_argument("cannot export '" + path +
                                  "': a level-of-detail chain can only be written as glTF (.glb or .gltf)");
    if (scene.scale != 1.0)
      throw std::invalid_argument("cannot export '" + path + "': only glTF (.glb or .gltf) takes a scale");
    if (scene.wind.enabled)
      throw std::invalid_argument("cannot export '" + path + "': only glTF (.glb or .gltf) carries wind");
  }
  entry.write(scene, path);
}

}  // namespace vh
