// The "billboard" command: grow a tree, build its billboard cloud with the
// pictures drawn in an OpenGL context without a display, and write it as
// "Export billboard..." does (geometry plus <name>Texture.bmp and
// <name>Transparency.bmp).
#include <cstdint>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>

#include "billboard/billboard_cloud.h"
#include "billboard/billboard_files.h"
#include "cli/commands.h"
#include "cli/headless_gl.h"
#include "fileio/document.h"
#include "imaging/picture_io.h"
#include "tree/tree.h"
#include "view/billboard_renderer.h"
#include "view/texture_upload.h"
#include "view/viewer.h"

namespace vh::cli {
namespace {

struct Options {
  std::string document;  // empty: a new default tree
  std::string preset;    // an installed preset instead of a document
  std::string output;
  std::optional<int> seed;  // replaces the document's seed
  BillboardSettings settings;
};

int ParseInteger(const std::string& option, const std::string& text, int low, int high) {
  std::size_t used = 0;
  long long value = 0;
  try {
    value = std::stoll(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (text.empty() || used != text.size() || value < low || value > high)
    throw std::invalid_argument(option + " needs an integer from " + std::to_string(low) + " to " +
                                std::to_string(high) + ", not '" + text + "'");
  return static_cast<int>(value);
}

Options ParseOptions(const Arguments& args) {
  Options options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw std::invalid_argument(arg + " needs a value");
      return args[++i];
    };
    if (arg == "-o" || arg == "--output") {
      options.output = value();
    } else if (arg == "--count") {
      options.settings.billboardCount = ParseInteger(arg, value(), 1, 100);
    } else if (arg == "--precision") {
      options.settings.precision = ParseInteger(arg, value(), 1, 500);
    } else if (arg == "--mode") {
      options.settings.mode = static_cast<BillboardMode>(ParseInteger(arg, value(), 0, 1));
    } else if (arg == "--seed") {
      options.seed = ParseInteger(arg, value(), INT32_MIN, INT32_MAX);
    } else if (arg == "--preset") {
      options.preset = value();
    } else if (arg == "--favour-vertical") {
      options.settings.favourVertical = true;
    } else if (arg == "--quality") {
      options.settings.textureQuality = ParseInteger(arg, value(), 1, 15);
    } else if (arg == "--resolution") {
      options.settings.textureResolution = ParseInteger(arg, value(), 5, 12);
    } else if (!arg.empty() && arg[0] == '-') {
      throw std::invalid_argument("unknown option '" + arg + "' (see --help)");
    } else if (options.document.empty()) {
      options.document = arg;
    } else {
      throw std::invalid_argument("more than one document given: '" + options.document + "' and '" + arg + "'");
    }
  }
  if (options.output.empty()) throw std::invalid_argument("no output file given (-o OUT)");
  return options;
}

// The pictures a document names are what its leaves and branches are drawn
// with, as in the desktop program. A picture that cannot be read is
// reported and its submeshes are drawn untextured.
void UploadDocumentTextures(const TreeParameters& params) {
  const auto upload = [](const std::string& file, unsigned name, MinFilter filter, const char* what) {
    if (file.empty() || file == "(null)") return;
    try {
      UploadTexture(name, LoadPicture(file), filter);
    } catch (const std::exception& error) {
      std::fprintf(stderr, "warning: the %s texture is not used: %s\n", what, error.what());
    }
  };
  upload(params.leafTextureFile, kLeafTextureObject, MinFilter::kLinearMipmapLinear, "leaf");
  upload(params.barkTextureFile, kBarkTextureObject, MinFilter::kNearestMipmapNearest, "bark");
}

}  // namespace

int RunBillboard(const Arguments& args) {
  const Options options = ParseOptions(args);
  const std::optional<GeometryFormat> format = FormatOfExtension(options.output);
  if (!format)
    throw std::invalid_argument("cannot tell the format of '" + options.output +
                                "': its extension must be .obj, .dxf or .3ds");

  Tree tree;
  tree.params = ReadTreeSource(options.document, options.preset, tree.params);
  if (options.seed) tree.params.seed = *options.seed;
  tree.Generate();
  if (tree.budgetExceeded)
    std::fprintf(stderr, "warning: the tree is incomplete: generation stopped at its budget of %llu vertices\n",
                 static_cast<unsigned long long>(tree.vertexBudget));

  HeadlessGl gl;
  InitViewState();
  UploadDocumentTextures(tree.params);
  // A fresh picker: a batch run always draws the sequence of the desktop
  // program's first cloud after start-up.
  BillboardPicker picker;
  const BillboardRenderer render = [&](const Vector3& v0, const Vector3& v1, const Vector3& v2, int side) {
    if (side <= 0) return Image();
    gl.BindFramebuffer(side, side);
    return RenderBillboardPicture(tree, v0, v1, v2, side);
  };
  BillboardCloud cloud = CreateBillboardCloud(tree, options.settings, picker, render, {});

  const BillboardFileNames names = BillboardExportNames(options.output, *format);
  ExportBillboardCloud(*cloud.mesh, cloud.colourTexture, cloud.transparency, names, *format);
  std::size_t billboards = 0;
  for (const auto& submesh : cloud.mesh->submeshes) billboards += submesh->texture == kBillboardMaterial ? 1 : 0;
  std::printf("billboards %zu submeshes %zu vertices %llu polygons %llu\n", billboards,
              cloud.mesh->submeshes.size(), static_cast<unsigned long long>(cloud.mesh->VertexCount()),
              static_cast<unsigned long long>(cloud.mesh->PolygonCount()));
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace vh::cli
