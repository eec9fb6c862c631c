// The "export" and "info" commands: grow a tree from a document (or the
// default tree) and write its geometry, or print its counts.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>

#include "cli/commands.h"
#include "fileio/document.h"
#include "fileio/dxf_export.h"
#include "fileio/obj_export.h"
#include "fileio/tds_export.h"
#include "tree/tree.h"

namespace vh::cli {
namespace {

struct Options {
  std::string document;  // empty: a new default tree
  std::string preset;    // an installed preset instead of a document
  std::string output;
  std::optional<int> seed;
};

int ParseSeed(const std::string& text) {
  std::size_t used = 0;
  long long value = 0;
  try {
    value = std::stoll(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != text.size() || text.empty() || value < INT32_MIN || value > INT32_MAX)
    throw std::invalid_argument(
        "--seed needs an integer between -2147483648 and 2147483647, not '" + text + "'");
  return static_cast<int>(value);
}

// Reads [DOC] [-o OUT] [--seed N] in any order; `wantOutput` says whether
// -o is accepted (export) or refused (info).
Options ParseOptions(const Arguments& args, bool wantOutput) {
  Options options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (wantOutput && (arg == "-o" || arg == "--output")) {
      if (!hasValue) throw std::invalid_argument(arg + " needs a file name");
      options.output = args[++i];
    } else if (arg == "--seed") {
      if (!hasValue) throw std::invalid_argument("--seed needs a number");
      options.seed = ParseSeed(args[++i]);
    } else if (arg == "--preset") {
      if (!hasValue) throw std::invalid_argument("--preset needs a name (see the presets command)");
      options.preset = args[++i];
    } else if (!arg.empty() && arg[0] == '-') {
      throw std::invalid_argument("unknown option '" + arg + "' (see --help)");
    } else if (options.document.empty()) {
      options.document = arg;
    } else {
      throw std::invalid_argument("more than one document given: '" + options.document + "' and '" +
                                  arg + "'");
    }
  }
  return options;
}

// The tree of the document (or a new one), with the seed replaced when
// asked, grown once.
void GrowTree(Tree& tree, const Options& options) {
  tree.params = ReadTreeSource(options.document, options.preset, tree.params);
  if (options.seed) tree.params.seed = *options.seed;
  tree.Generate();
  if (tree.budgetExceeded)
    std::fprintf(stderr,
                 "warning: the tree is incomplete: generation stopped at its budget of %llu "
                 "vertices\n",
                 static_cast<unsigned long long>(tree.vertexBudget));
}

std::string LowerExtension(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string extension = path.substr(dot);
  for (char& c : extension)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return extension;
}

}  // namespace

int RunExport(const Arguments& args) {
  const Options options = ParseOptions(args, true);
  if (options.output.empty()) throw std::invalid_argument("no output file given (-o OUT)");
  const std::string extension = LowerExtension(options.output);
  void (*exporter)(const MeshObject&, const std::string&) = nullptr;
  if (extension == ".obj")
    exporter = ExportOBJ;
  else if (extension == ".dxf")
    exporter = ExportDXF;
  else if (extension == ".3ds")
    exporter = Export3DS;
  else
    throw std::invalid_argument("cannot tell the format of '" + options.output +
                                "': its extension must be .obj, .dxf or .3ds");
  Tree tree;
  GrowTree(tree, options);
  exporter(tree, options.output);
  return 0;
}

int RunInfo(const Arguments& args) {
  const Options options = ParseOptions(args, false);
  Tree tree;
  GrowTree(tree, options);
  std::printf("submeshes %zu vertices %llu polygons %llu leaves %d\n", tree.submeshes.size(),
              static_cast<unsigned long long>(tree.VertexCount()),
              static_cast<unsigned long long>(tree.PolygonCount()), tree.leafCount);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace vh::cli
