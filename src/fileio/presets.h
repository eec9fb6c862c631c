// The species presets installed with the program: tree documents named
// NAME.vhm in one folder, with the leaf and bark pictures they name beside
// them. A preset names its pictures relative to its own folder, so the
// folder can live anywhere; reading a preset makes those names absolute.
#pragma once

#include <string>
#include <vector>

#include "tree/tree.h"

namespace vh {

class PresetLibrary {
 public:
  // The presets in `folder` (which need not exist: it then holds none).
  explicit PresetLibrary(std::string folder);

  // The library installed with the program whose executable lies in
  // `programDirectory`: share/verdanthollow/presets beside its bin folder,
  // or at the top of the build folder for a program run from the build
  // tree. Throws FileError naming the places looked at when neither exists.
  static PresetLibrary Find(const std::string& programDirectory);
  // The folders Find looks at, in order.
  static std::vector<std::string> Candidates(const std::string& programDirectory);

  const std::string& Folder() const { return m_folder; }
  // The presets' names (file names without ".vhm"), sorted.
  std::vector<std::string> Names() const;
  // The document of preset `name`. Throws FileError for a name that is not
  // a preset (the message lists those that are).
  std::string PathOf(const std::string& name) const;
  // Reads preset `name` with ReadDocumentFile, which makes its picture
  // names absolute in the library's folder. Throws as PathOf and
  // ReadDocumentFile.
  TreeParameters Read(const std::string& name, const TreeParameters& base) const;

 private:
  std::string m_folder;
};

// The preset's name for people: "broadleaf-oak" -> "Broadleaf oak".
std::string PresetTitle(const std::string& name);

// The folder of the running executable; empty when it cannot be told.
std::string RunningProgramDirectory();

}  // namespace vh
