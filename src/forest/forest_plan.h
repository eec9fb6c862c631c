// A forest made concrete: its species read (presets or documents, with
// their pictures), the seed of every variant, and every instance placed on
// the ground. Planning draws all its random numbers; growing a variant and
// writing the file draw none, so that any number of threads or machines
// can share the work and still make the same file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fileio/export_scene.h"
#include "fileio/missing_pictures.h"
#include "fileio/presets.h"
#include "forest/forest_description.h"
#include "foundations/image.h"
#include "tree/tree.h"

namespace vh {

struct ForestSpeciesSource {
  std::string name;       // names its variants: the preset's name or the document's without extension
  TreeParameters params;  // untextured where a picture is missing
  DocumentPictures pictures;
  MaterialPictures Pictures() const { return pictures.Pointers(); }
};

struct ForestVariant {
  std::size_t species = 0;
  int seed = 0;               // the tree's seed
  std::string name;           // "<species>_<n>", n from 1
  std::size_t instances = 0;  // how many instances place it
};

struct ForestInstance {
  std::uint32_t variant = 0;
  float x = 0.0f, z = 0.0f;  // the trunk's foot on the ground (y = 0)
  float turn = 0.0f;         // radians about the vertical, counter-clockwise seen from above
  float scale = 1.0f;
};

struct ForestPlan {
  ForestDescription description;
  std::vector<ForestSpeciesSource> species;
  std::vector<ForestVariant> variants;    // species by species, in the description's order
  std::vector<ForestInstance> instances;  // in the order they were placed
  // For the user: the pictures that could not be read (their materials are
  // grown and written untextured, as every export does), naming the line.
  std::vector<std::string> warnings;
};

// Plans `description`. Species are presets of `presets` by name, or tree
// documents (a source ending in .vhm or naming a folder), relative ones
// looked for in the description's folder. Throws ForestError naming the
// line: an unknown species, a document that cannot be read, a spacing that
// cannot fit the count on the area. A picture that cannot be read is no
// error: its material goes untextured and `warnings` says so.
//
// The random draws, part of the format: the variants' seeds come from a
// Mersenne Twister seeded with seed XOR 0x2545F491, one 32-bit draw per
// variant in order; the scatter from one seeded with the seed: candidate x,
// z (see Scatter), then for each tree kept its species (weighted), its
// variant, its turn and its scale, one draw each.
ForestPlan PlanForest(const ForestDescription& description, const PresetLibrary& presets);

}  // namespace vh
