// verdanthollow-cli: batch use of the tree engine for asset pipelines.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "cli/commands.h"

namespace {

struct Command {
  const char* name;
  int (*run)(const vh::cli::Arguments&);
  const char* usage;
};

const Command kCommands[] = {
    {"export", vh::cli::RunExport,
     "export [DOC.vhm | --preset NAME] -o OUT [--seed N] [--scale S]\n"
     "       [--lod [--lod-ratios F,S] [--lod-layout extension|grouped|files]]\n"
     "       [--wind [--wind-engine-copies]]\n"
     "      Grow the tree of DOC or of preset NAME (a new default tree without either)\n"
     "      and write OUT as .obj (with OUT.mtl), .dxf, .3ds, .glb or .gltf (with OUT's\n"
     "      .bin and pictures beside it), chosen by OUT's extension. glTF only: S scales\n"
     "      the coordinates (1 writes the OBJ export's numbers), --lod writes a chain of\n"
     "      levels of detail (the tree, two reductions keeping at most the shares F and S\n"
     "      of its triangles, 0.4,0.15 by default, and a star of cards) and prints each\n"
     "      level's counts, error and screen coverage. The layout: one file whose scene\n"
     "      holds LOD0 and reaches the others through MSFT_lod (extension, the default),\n"
     "      one file with every level in its scene (grouped), or OUT_LOD0 ... (files).\n"
     "      --wind adds a skin and a looping \"Wind\" animation (the document's wind, or\n"
     "      the default wind), with _WIND and _PIVOT for engines' shaders, and on every\n"
     "      level of a chain; --wind-engine-copies copies those into COLOR_0 and TEXCOORD_1\n"
     "      (COLOR_0 then carries wind data: for engines whose foliage shaders read vertex\n"
     "      colours; viewers will show the data as colours)."},
    {"info", vh::cli::RunInfo,
     "info [DOC.vhm | --preset NAME] [--seed N]\n"
     "      Print: submeshes N vertices N polygons N leaves N"},
    {"presets", vh::cli::RunPresets,
     "presets\n"
     "      List the names of the species presets installed with the program."},
    {"forest", vh::cli::RunForest,
     "forest FOREST.txt -o OUT.glb [--instancing gpu|nodes] [--threads N] [--progress]\n"
     "forest --example\n"
     "      Grow the seeded variants of the species that the forest description\n"
     "      FOREST.txt names (on every core, or N threads) and write them once each,\n"
     "      with their levels of detail and wind as the description asks, into one\n"
     "      glTF file whose instances place them on the ground: through\n"
     "      EXT_mesh_gpu_instancing (gpu, the default) or one node per instance\n"
     "      (nodes). The same description writes the same file on any number of\n"
     "      threads. --progress prints a line \"forest: N of M variants\" on stderr\n"
     "      after each variant, for programs that show it. --example prints a\n"
     "      commented description to start from (see docs/forest.md)."},
    {"bark-tile", vh::cli::RunBarkTile,
     "bark-tile IN OUT [--crop X0,X1,Y0,Y1] [--shading S] [--symmetrize] [--pow2]\n"
     "      Make a tileable bark texture from the photograph IN: crop it (percentages),\n"
     "      remove its shading with strength S (1..100), symmetrize it, scale it to\n"
     "      power-of-two sides. IN and OUT are BMP when named .bmp, JPEG otherwise."},
#ifdef VH_CLI_BILLBOARD
    {"billboard", vh::cli::RunBillboard,
     "billboard [DOC.vhm | --preset NAME] -o OUT [--seed N] [--count N] [--precision P] [--mode 0|1]\n"
     "          [--favour-vertical] [--quality Q] [--resolution R]\n"
     "      Build the billboard cloud of the tree of DOC (a new default tree without DOC) and\n"
     "      write it as OUT (.obj with OUT.mtl, .dxf or .3ds, by OUT's extension) with\n"
     "      <name>Texture.bmp and <name>Transparency.bmp beside it, or as .glb or .gltf\n"
     "      with the atlas inside. N 1..100 (10) sets the slice a billboard stands for,\n"
     "      100/N scene units either side (not the number made: that depends on the\n"
     "      tree's size), P candidates 1..500 (50), mode 0 keeps the branches as geometry\n"
     "      (default) and 1 replaces them too, Q texture quality 1..15 (7), R texture side\n"
     "      2^R, 5..12 (11)."},
#endif
};

void PrintHelp(std::FILE* out) {
  std::fprintf(out, "Usage: verdanthollow-cli COMMAND [ARGUMENTS]\n\nCommands:\n");
  for (const Command& command : kCommands) std::fprintf(out, "  %s\n", command.usage);
  std::fprintf(out, "  --help\n      Show this help.\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintHelp(stderr);
    return 2;
  }
  const std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    PrintHelp(stdout);
    return 0;
  }
  for (const Command& command : kCommands) {
    if (name != command.name) continue;
    vh::cli::Arguments args(argv + 2, argv + argc);
    try {
      return command.run(args);
    } catch (const std::exception& error) {
      std::fprintf(stderr, "verdanthollow-cli %s: %s\n", command.name, error.what());
      return 1;
    }
  }
  std::fprintf(stderr, "verdanthollow-cli: unknown command '%s' (see --help)\n", name.c_str());
  return 2;
}
