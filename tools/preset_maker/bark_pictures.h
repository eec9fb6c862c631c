// The presets' bark pictures, painted from tileable noise so that they
// repeat seamlessly along and around the branches.
#pragma once

#include <string>

#include "foundations/image.h"

// The kinds of bark the presets wear.
enum class Bark {
  kOak,       // grey-brown, deep vertical furrows broken by cracks
  kBirch,     // chalk white, dark lenticel dashes and black patches
  kConifer,   // red-brown scaly plates
  kWillow,    // grey, interlacing furrows
  kPalm,      // tan, ringed with leaf scars, fibrous
  kShrub,     // smooth grey-brown with fine streaks
  kSapling,   // smooth olive bark with pale lenticels
  kDeadWood,  // bleached, split along the grain
};

// A square picture of `size` pixels (a multiple of 32) that tiles in both
// directions.
vh::Image PaintBark(Bark kind, int size);
