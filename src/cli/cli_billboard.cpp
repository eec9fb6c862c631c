// The "billboard" command: grow a tree, build its billboard cloud with the
// pictures drawn in an OpenGL context without a display, and write it as
// "Export billboard..." does (geometry plus <name>Texture.bmp and
// <name>Transparency.bmp, or one glTF with the atlas inside).
#include <array>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "billboard/billboard_cloud.h"
#include "billboard/billboard_files.h"
#include "billboard/billboard_settings.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/headless_billboards.h"
#include "cli/tree_source.h"
#include "fileio/export_common.h"
#include "tree/tree.h"

namespace vh::cli {

int RunBillboard(const Arguments& args) {
  TreeSource source;
  std::string output;
  BillboardSettings settings;
  ArgumentParser parser;
  parser.Text("-o", &output, "a file name", {"--output"});
  source.AddOptions(parser);
  // The cloud's settings as options, a flag for a setting that is on or off.
  std::array<bool, kBillboardSettingCount> flagged{};
  for (const BillboardSettingField& field : BillboardSettingFields()) {
    if (field.kind == BillboardSettingKind::kFlag)
      parser.Flag(field.option, &flagged[static_cast<std::size_t>(field.setting)]);
    else
      parser.Integer(field.option, field.accepted.minimum, field.accepted.maximum,
                     [&settings, &field](long long v) { field.Set(settings, static_cast<int>(v)); });
  }
  source.TakeDocument(parser.Parse(args));
  for (const BillboardSettingField& field : BillboardSettingFields())
    if (flagged[static_cast<std::size_t>(field.setting)]) field.Set(settings, 1);
  if (output.empty()) throw std::invalid_argument("no output file given (-o OUT)");
  const std::optional<ExportFormat> format = ExportFormatOfExtension(output);
  if (!format)
    throw std::invalid_argument("cannot tell the format of '" + output + "': its extension must be " +
                                ExportExtensionsText());

  // The pictures a document names are what its leaves and branches are
  // drawn with, as in the desktop program; a material whose picture is
  // missing is drawn and written untextured, in its own colours.
  TreeParameters params;
  DocumentPictures pictures;
  Tree tree = source.Grow(params, &pictures);
  HeadlessBillboards billboards(pictures.Pointers());
  // A fresh picker: a batch run always draws the sequence of the desktop
  // program's first cloud after start-up.
  BillboardPicker picker;
  BillboardCloud cloud = CreateBillboardCloud(tree, settings, picker, billboards.RendererFor(tree), {});

  const BillboardFileNames names = BillboardExportNames(output, *format);
  ExportBillboardCloud(*cloud.mesh, cloud.colourTexture, cloud.transparency, names, *format,
                       EngineOrigin(tree), pictures.Pointers());
  std::size_t count = 0;
  for (const auto& submesh : cloud.mesh->submeshes) count += submesh->texture == kBillboardMaterial ? 1 : 0;
  std::printf("billboards %zu submeshes %zu vertices %llu polygons %llu\n", count,
              cloud.mesh->submeshes.size(), static_cast<unsigned long long>(cloud.mesh->VertexCount()),
              static_cast<unsigned long long>(cloud.mesh->PolygonCount()));
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace vh::cli
