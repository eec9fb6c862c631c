// The species of the preset library: for each, the tree's parameters, its
// leaf (outline and picture) and its bark.
#pragma once

#include <string>
#include <vector>

#include "bark_pictures.h"
#include "leaf_outline.h"
#include "leaf_pictures.h"
#include "tree/tree.h"

struct Species {
  std::string name;           // the preset's file name without ".vhm"
  vh::TreeParameters params;  // without leaf outline and pictures
  LeafProfile leaf;
  LeafStyle leafStyle;
  Bark bark = Bark::kOak;
  int uScale = 10;
  int vScale = 10;
};

// Every species, in the order of the gallery.
std::vector<Species> AllSpecies();
