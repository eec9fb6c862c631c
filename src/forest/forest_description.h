// A forest description: a small text file of "key = value" lines (in the
// spirit of the tree documents, see docs/forest.md) naming the species, how
// many variants of each to grow, and how to scatter their instances on a
// rectangle of ground. Reading checks every value and names the line of
// anything wrong; resolving the species (presets, documents) and fitting the
// trees on the ground happen in PlanForest (forest_plan.h).
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "billboard/lod_chain.h"

namespace vh {

// A description that cannot be used: the message names the file and, where
// there is one, the line ("forest.txt, line 7: ...").
class ForestError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ForestSpecies {
  std::string source;   // a preset's name or a tree document's path, as written
  double weight = 1.0;  // instances are drawn in proportion to the weights
  int variants = 1;     // seeded variants grown of the species
  int line = 0;         // the line naming it
};

// The most variants of one species and instances of a forest: beyond them a
// description is surely a mistake (and a .glb could not hold the result).
inline constexpr int kMostVariants = 10000;
inline constexpr long long kMostInstances = 10'000'000;

struct ForestDescription {
  std::string fileName;  // names it in messages
  std::string folder;    // documents named relatively are looked for here ("" = the working folder)
  std::vector<ForestSpecies> species;
  int seed = 1;
  // The ground: width (x) by depth (z) in the file's units (a default tree
  // is 1.76 high), centred on the origin.
  double width = 0.0, depth = 0.0;
  long long count = 0;         // instances; from `density` x width x depth when a density was given
  double spacing = 0.0;        // no two trunks closer than this (0: anywhere)
  double turnDegrees = 360.0;  // each instance turns by a random angle in [0, turn) about its trunk
  double scaleLow = 1.0, scaleHigh = 1.0;  // each instance's size factor is drawn from this range
  bool lod = false;                        // each variant as its level-of-detail chain
  LodChainOptions chain;                   // lod-ratios
  bool wind = false;                       // each variant with its wind (its document's, or the default)
  // The lines of the values that a later check may refuse (0: not given).
  int areaLine = 0, countLine = 0, spacingLine = 0;
};

// Reads the description `text`. `fileName` names it in messages; `folder` is
// where relative document names are looked for. Throws ForestError naming
// the line for an unknown key, a value out of range (negative counts, a
// weight before any species, ...), a key given twice, and for a
// description without species, area, or count/density.
ForestDescription ParseForestDescription(std::string_view text, const std::string& fileName,
                                         const std::string& folder);

// The text of the description file `path`. Throws FileError naming it
// when it cannot be read or is not a regular file ("cannot read the forest
// description 'P': it is a named pipe, not a file").
std::string ReadForestDescriptionText(const std::string& path);

// Reads the description file `path` (documents relative to its folder).
// Throws FileError as ReadForestDescriptionText, ForestError as above.
ForestDescription ReadForestDescription(const std::string& path);

// A commented example that ParseForestDescription accepts as it is: two
// presets, a few variants each, a few hundred instances on a small area.
extern const char* const kForestExample;

}  // namespace vh
