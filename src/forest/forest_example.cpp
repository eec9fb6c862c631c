#include "forest/forest_description.h"

namespace vh {

const char* const kForestExample =
    R"(# A forest for verdanthollow-cli forest FILE -o forest.glb (see docs/forest.md).
# One "key = value" per line; '#' starts a comment. Lengths are in the file's
# units: the default tree stands 1.76 high, the conifer about 5.

seed = 2024               # the same description and seed give the same file
area = 40 x 30            # width (x) by depth (z), centred on the origin
count = 240               # or: density = 0.2 (trees per square unit)
spacing = 1.5             # no two trunks closer than this
turn = 360                # each tree turns by a random angle below this, in degrees
scale = 0.8 1.25          # each tree's size factor is drawn from this range

lod = yes                 # every variant as its chain of levels of detail
lod-ratios = 0.4, 0.15    # the reduced levels' shares of the triangles
wind = yes                # and with its wind (a skin, an animation, _WIND)

# Each species: a preset's name (verdanthollow-cli presets lists them) or a
# tree document (.vhm, relative to this file), then its weight among the
# species and how many seeded variants of it to grow.
species = conifer
weight = 2
variants = 3

species = white-birch
weight = 1
variants = 2
)";

}  // namespace vh
