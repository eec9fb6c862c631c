// The species presets in the command-line tool: the "presets" command and
// the --preset option of the commands that take a document.
#include <cstdio>
#include <stdexcept>

#include "cli/commands.h"
#include "cli/tree_source.h"
#include "fileio/document.h"
#include "fileio/presets.h"

namespace vh::cli {
namespace {
// Installed beside the program, or in the build tree it was built in.
PresetLibrary InstalledPresets() { return PresetLibrary::Find(RunningProgramDirectory()); }
}  // namespace

TreeParameters ReadTreeSource(const std::string& document, const std::string& preset,
                              const TreeParameters& base) {
  if (!document.empty() && !preset.empty())
    throw std::invalid_argument("give a document or --preset, not both ('" + document + "' and --preset " +
                                preset + ")");
  if (!preset.empty()) return InstalledPresets().Read(preset, base);
  if (!document.empty()) return ReadDocumentFile(document, base);
  return base;
}

int RunPresets(const Arguments& args) {
  if (!args.empty()) throw std::invalid_argument("presets takes no arguments, not '" + args.front() + "'");
  for (const std::string& name : InstalledPresets().Names()) std::printf("%s\n", name.c_str());
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace vh::cli
