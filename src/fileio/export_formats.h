// The one table of geometry export formats: what "Export...", "Export
// billboard..." and the command-line tool offer, in the order of the export
// dialog's filters, with each format's extension, filter text and writer.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "fileio/export_scene.h"

namespace vh {

// The formats, numbered as the export dialog lists them.
enum class ExportFormat : int { k3DS = 0, kDXF = 1, kOBJ = 2, kGLB = 3, kGLTF = 4 };

struct ExportFormatEntry {
  ExportFormat format;
  const char* extension;  // lower case, with the dot: ".3ds"
  const char* filter;     // "Description|patterns", as the dialog lists it
  // Writes the scene to `path` (and, for some formats, files beside it).
  void (*write)(const ExportScene& scene, const std::string& path);
  // Whether the format carries pictures, a scale and a chain of levels of
  // detail (glTF); the others write the first level's mesh only.
  bool carriesScene;
};

// Every format, in dialog order.
const std::vector<ExportFormatEntry>& ExportFormats();

const ExportFormatEntry& FormatEntry(ExportFormat format);

// The export dialog's filter list: every entry's filter joined with '|'.
std::string ExportFilterList();

// The format of dialog filter `index` (0-based); an index outside the list
// means the first filter, as a fresh dialog selects it.
ExportFormat ExportFormatOfFilter(int index);

// The extension of the file-name part of `path` from its last '.', lower
// case ("oak.OBJ" -> ".obj", "a.b/oak" -> "").
std::string LowerCaseExtension(const std::string& path);

// The format whose extension `path` ends in (any letter case), or none.
std::optional<ExportFormat> ExportFormatOfExtension(const std::string& path);

// The extensions of every format for messages: ".3ds, .dxf, .obj, .glb or .gltf".
std::string ExportExtensionsText();

// The chosen name with the format's extension appended unless it already
// ends in it (any case): tree -> tree.obj, tree.OBJ -> tree.OBJ,
// tree.obj with 3DS -> tree.obj.3ds.
std::string ExportFileName(const std::string& chosen, ExportFormat format);

// Writes `scene` to `path` in `format`. A chain of several levels, a scale
// other than 1, wind or pictures need a format that carries a scene: the
// others throw std::invalid_argument for a chain, a scale or wind, and
// ignore pictures (OBJ names its texture files, it does not contain them).
// Writer errors (FileError, PictureError, std::runtime_error) pass through.
void WriteExport(ExportFormat format, const ExportScene& scene, const std::string& path);

}  // namespace vh
