// The "export" and "info" commands: grow a tree from a document (or the
// default tree) and write its geometry, or print its counts.
#include <cstdio>
#include <stdexcept>
#include <string>

#include "billboard/lod_chain.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/tree_source.h"
#include "fileio/export_formats.h"
#include "tree/tree.h"
#ifdef VH_CLI_BILLBOARD
#include "cli/headless_billboards.h"
#endif

namespace vh::cli {
namespace {

// The largest scale accepted either way: beyond it float coordinates lose
// the tree's detail or overflow.
constexpr double kLargestScale = 1e6;

struct ExportOptions {
  TreeSource source;
  std::string output;
  double scale = 1.0;
  bool scaleGiven = false;
  bool lod = false;
  bool wind = false;
  bool windEngineCopies = false;
  LodChainOptions chain;
  LodLayout layout = LodLayout::kExtensionOnly;
  const char* chainOptionGiven = nullptr;  // the first chain option given, for the message without --lod
};

// The document's wind, or the default wind when it has none; nothing
// without --wind.
WindExport WindOf(const TreeParameters& params, const ExportOptions& options) {
  return options.wind ? SwayingExport(params.wind, options.windEngineCopies) : WindExport();
}

// "--lod-ratios F,S": the two reduced levels' shares of the tree's
// triangles, fractions with 0 < S <= F <= 1.
void ParseRatios(const std::string& text, LodChainOptions& chain) {
  const std::size_t comma = text.find(',');
  if (comma == std::string::npos)
    throw std::invalid_argument("--lod-ratios needs two shares such as 0.4,0.15, not '" + text + "'");
  LodChainOptions parsed = chain;
  parsed.firstShare = ParseReal("--lod-ratios", text.substr(0, comma), 1e-6, 1.0);
  parsed.secondShare = ParseReal("--lod-ratios", text.substr(comma + 1), 1e-6, 1.0);
  if (parsed.secondShare > parsed.firstShare)
    throw std::invalid_argument(
        "--lod-ratios: the second share may not exceed the first, as in 0.4,0.15, not '" + text + "'");
  chain = parsed;
}

LodLayout ParseLayout(const std::string& text) {
  if (text == "extension") return LodLayout::kExtensionOnly;
  if (text == "grouped") return LodLayout::kGrouped;
  if (text == "files") return LodLayout::kFilePerLevel;
  throw std::invalid_argument("--lod-layout needs extension, grouped or files, not '" + text + "'");
}

#ifdef VH_CLI_BILLBOARD
// The chain with its pictures drawn in a context of our own; one line per
// level on stdout says what it holds, how far its outline strays from the
// tree's (in scene units) and below which share of the screen's height it
// gives way to the next.
LodChain RenderedChain(const Tree& tree, const DocumentPictures& pictures, const LodChainOptions& options) {
  HeadlessBillboards billboards(pictures.Pointers());
  LodChain chain = BuildLodChain(
      tree, options, [&billboards](const MeshObject& mesh) { return billboards.PicturesOf(mesh); });
  for (std::size_t i = 0; i < chain.levels.size(); ++i) {
    const LodLevel& level = chain.levels[i];
    std::printf("LOD%zu %s: triangles %llu submeshes %zu error %.4f coverage %.4f\n", i,
                level.description.c_str(), static_cast<unsigned long long>(level.mesh->PolygonCount()),
                level.mesh->submeshes.size(), level.error, level.screenCoverage);
  }
  return chain;
}
#endif

void WriteChain(const Tree& tree, const DocumentPictures& pictures, const ExportOptions& options,
                const WindExport& wind, ExportFormat format) {
#ifdef VH_CLI_BILLBOARD
  const LodChain chain = RenderedChain(tree, pictures, options.chain);
  WriteChain(format, chain, pictures.Pointers(), options.scale, options.layout, options.output, wind);
#else
  (void)tree, (void)pictures, (void)options, (void)wind, (void)format;
  throw std::invalid_argument(
      "--lod needs billboard pictures, which this build cannot draw (it has no view library)");
#endif
}

}  // namespace

int RunExport(const Arguments& args) {
  ExportOptions options;
  ArgumentParser parser;
  parser.Text("-o", &options.output, "a file name", {"--output"});
  options.source.AddOptions(parser);
  parser.Real("--scale", 1.0 / kLargestScale, kLargestScale, [&options](double value) {
    options.scale = value;
    options.scaleGiven = true;
  });
  parser.Flag("--lod", &options.lod);
  parser.Flag("--wind", &options.wind);
  parser.Flag("--wind-engine-copies", &options.windEngineCopies);
  parser.Value("--lod-ratios", "two shares such as 0.4,0.15", [&options](const std::string& value) {
    ParseRatios(value, options.chain);
    if (options.chainOptionGiven == nullptr) options.chainOptionGiven = "--lod-ratios";
  });
  parser.Value("--lod-layout", "extension, grouped or files", [&options](const std::string& value) {
    options.layout = ParseLayout(value);
    if (options.chainOptionGiven == nullptr) options.chainOptionGiven = "--lod-layout";
  });
  options.source.TakeDocument(parser.Parse(args));
  if (options.windEngineCopies && !options.wind)
    throw std::invalid_argument("--wind-engine-copies needs --wind");
  if (options.chainOptionGiven != nullptr && !options.lod)
    throw std::invalid_argument(std::string(options.chainOptionGiven) + " needs --lod");

  if (options.output.empty()) throw std::invalid_argument("no output file given (-o OUT)");
  const std::optional<ExportFormat> format = ExportFormatOfExtension(options.output);
  if (!format)
    throw std::invalid_argument("cannot tell the format of '" + options.output + "': its extension must be " +
                                ExportExtensionsText());
  const bool scene = FormatEntry(*format).carriesScene;
  if (!scene && (options.scaleGiven || options.lod || options.wind))
    throw std::invalid_argument(std::string(options.lod    ? "--lod"
                                            : options.wind ? "--wind"
                                                           : "--scale") +
                                " needs a glTF output (.glb or .gltf), not '" + options.output + "'");

  // Only glTF carries pictures (the other formats name their files), but
  // every format leaves out a missing one alike.
  TreeParameters params;
  DocumentPictures pictures;
  const Tree tree = options.source.Grow(params, &pictures);
  const WindExport wind = WindOf(params, options);
  if (options.lod) {
    WriteChain(tree, pictures, options, wind, *format);
  } else {
    ExportScene single = SingleMeshScene(tree, pictures.Pointers(), options.scale);
    single.wind = wind;
    WriteExport(*format, single, options.output);
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}

int RunInfo(const Arguments& args) {
  TreeSource source;
  ArgumentParser parser;
  source.AddOptions(parser);
  source.TakeDocument(parser.Parse(args));
  TreeParameters params;
  const Tree tree = source.Grow(params);
  std::printf("submeshes %zu vertices %llu polygons %llu leaves %d\n", tree.submeshes.size(),
              static_cast<unsigned long long>(tree.VertexCount()),
              static_cast<unsigned long long>(tree.PolygonCount()), tree.leafCount);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace vh::cli
