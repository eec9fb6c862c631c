#include "species.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.14159265f;

// One level's record, written as three groups of the controls that set it.
struct Shape {
  int size = 85;
  int length = 56;
  int taper = 40;
  int inflate = 7;
  int twistFreq = 4;
  int twistRadius = 3;
  int bending = 12;
  int noise = 30;
  int angleQuality = 6;
  int heightQuality = 8;
  bool sizeInherited = true;
  bool lengthInherited = true;
};
struct Children {
  int min = 3;
  int max = 3;
  int heightMin = 5;
  int heightMax = 90;
  int angleMin = 0;
  int angleMax = 360;
  int inclinationMin = -64;
  int inclinationMax = -28;
  bool heightRelative = false;
  bool angleRelative = false;
  bool inclinationRelative = false;
};
struct Foliage {
  int percent = 0;  // chance of a leaf in each of a branch's 60 places
  int scaling = 50;
};

vh::LevelParameters Level(const Shape& s, const Children& c, const Foliage& f = {}) {
  vh::LevelParameters level;
  level.baseSize = s.size;
  level.baseLength = s.length;
  level.sizeDecrease = s.taper;
  level.inflateDeflate = s.inflate;
  level.twistingFreq = s.twistFreq;
  level.twistingRad = s.twistRadius;
  level.bendingUp = s.bending;
  level.noise = s.noise;
  level.qualityAngle = s.angleQuality;
  level.qualityHeight = s.heightQuality;
  level.baseSizeInherited = s.sizeInherited;
  level.baseLengthInherited = s.lengthInherited;
  level.nbChildrenMin = c.min;
  level.nbChildrenMax = c.max;
  level.heightMin = c.heightMin;
  level.heightMax = c.heightMax;
  level.angleMin = c.angleMin;
  level.angleMax = c.angleMax;
  level.inclinationMin = c.inclinationMin;
  level.inclinationMax = c.inclinationMax;
  level.heightRelative = c.heightRelative;
  level.angleRelative = c.angleRelative;
  level.inclinationRelative = c.inclinationRelative;
  level.leafDensity = f.percent + 1;
  level.leafScaling = f.scaling;
  return level;
}

// Sets levels 0.. from `levels`; each keeps its own index.
void SetLevels(vh::TreeParameters& params, std::initializer_list<vh::LevelParameters> levels) {
  int index = 0;
  for (const vh::LevelParameters& level : levels) {
    params.levels[static_cast<std::size_t>(index)] = level;
    params.levels[static_cast<std::size_t>(index)].levelIndex = index;
    ++index;
  }
  params.lastParentLevel = index - 2;
}

float Bulge(float a, float power) { return std::pow(std::max(0.0f, std::sin(kPi * a)), power); }

Species Oak() {
  Species s;
  s.name = "broadleaf-oak";
  s.params.seed = 1207;
  SetLevels(s.params, {Level({.size = 38,
                              .length = 42,
                              .taper = 32,
                              .inflate = 4,
                              .twistFreq = 2,
                              .twistRadius = 5,
                              .bending = 23,
                              .noise = 20,
                              .angleQuality = 14,
                              .heightQuality = 12},
                             {.min = 5,
                              .max = 6,
                              .heightMin = 38,
                              .heightMax = 92,
                              .angleMin = 55,
                              .angleMax = 85,
                              .inclinationMin = -45,
                              .inclinationMax = -20,
                              .angleRelative = true}),
                       Level({.size = 72,
                              .length = 80,
                              .taper = 35,
                              .twistFreq = 3,
                              .twistRadius = 10,
                              .bending = 18,
                              .noise = 25,
                              .angleQuality = 10,
                              .heightQuality = 8},
                             {.min = 4,
                              .max = 5,
                              .heightMin = 25,
                              .heightMax = 95,
                              .angleMin = 70,
                              .angleMax = 120,
                              .inclinationMin = -50,
                              .inclinationMax = -20,
                              .angleRelative = true}),
                       Level({.size = 66, .length = 58, .bending = 16, .angleQuality = 6, .heightQuality = 5},
                             {.min = 4,
                              .max = 5,
                              .heightMin = 20,
                              .heightMax = 100,
                              .inclinationMin = -60,
                              .inclinationMax = -20},
                             {.percent = 12, .scaling = 70}),
                       Level({.size = 60, .length = 52, .angleQuality = 4, .heightQuality = 3},
                             {.min = 2,
                              .max = 3,
                              .heightMin = 20,
                              .heightMax = 100,
                              .inclinationMin = -60,
                              .inclinationMax = -25},
                             {.percent = 40, .scaling = 70}),
                       Level({.size = 60, .length = 50, .angleQuality = 3, .heightQuality = 2}, {},
                             {.percent = 50, .scaling = 70})});
  s.leaf.length = 110;
  s.leaf.pointsPerSide = 11;
  s.leaf.halfWidth = [](float a) {
    const float lobes = 0.45f + 0.55f * std::pow(std::abs(std::sin(kPi * 3.5f * a)), 0.7f);
    return 0.38f * Bulge(std::pow(a, 0.8f), 0.8f) * lobes;
  };
  s.leafStyle.blade = paint::Rgb(104, 152, 60);
  s.leafStyle.bladeDark = paint::Rgb(76, 122, 46);
  s.leafStyle.rim = paint::Rgb(116, 158, 70);
  s.leafStyle.vein = paint::Rgb(170, 190, 110);
  s.leafStyle.veinPairs = 4;
  s.leafStyle.veinSlope = 0.5f;
  s.leafStyle.seed = 101;
  s.bark = Bark::kOak;
  return s;
}

Species Birch() {
  Species s;
  s.name = "white-birch";
  s.params.seed = 4711;
  SetLevels(
      s.params,
      {Level({.size = 22,
              .length = 110,
              .taper = 36,
              .inflate = 6,
              .twistFreq = 1,
              .twistRadius = 2,
              .bending = 23,
              .noise = 8,
              .angleQuality = 12,
              .heightQuality = 16},
             {.min = 10,
              .max = 10,
              .heightMin = 30,
              .heightMax = 97,
              .angleMin = 120,
              .angleMax = 150,
              .inclinationMin = -55,
              .inclinationMax = -35,
              .angleRelative = true}),
       Level({.size = 50,
              .length = 38,
              .taper = 36,
              .twistFreq = 2,
              .twistRadius = 3,
              .bending = 27,
              .noise = 12,
              .angleQuality = 6,
              .heightQuality = 6},
             {.min = 7,
              .max = 8,
              .heightMin = 15,
              .heightMax = 100,
              .inclinationMin = -55,
              .inclinationMax = -25},
             {.percent = 15, .scaling = 70}),
       Level({.size = 55, .length = 55, .bending = 40, .noise = 10, .angleQuality = 4, .heightQuality = 4},
             {.min = 3,
              .max = 4,
              .heightMin = 20,
              .heightMax = 100,
              .inclinationMin = -50,
              .inclinationMax = -20},
             {.percent = 45, .scaling = 70}),
       Level({.size = 60, .length = 50, .bending = 45, .angleQuality = 3, .heightQuality = 3}, {},
             {.percent = 55, .scaling = 70})});
  s.leaf.length = 80;
  s.leaf.pointsPerSide = 9;
  s.leaf.teeth = 0.12f;
  s.leaf.halfWidth = [](float a) {
    // Broad near the stalk, drawn out to a point: a birch's triangular leaf.
    return 0.42f * std::pow(std::max(0.0f, 1.0f - a), 0.95f) * std::min(1.0f, a * 5.0f);
  };
  s.leafStyle.blade = paint::Rgb(130, 176, 62);
  s.leafStyle.bladeDark = paint::Rgb(104, 150, 48);
  s.leafStyle.rim = paint::Rgb(140, 180, 74);
  s.leafStyle.vein = paint::Rgb(190, 214, 120);
  s.leafStyle.veinPairs = 6;
  s.leafStyle.veinSlope = 0.7f;
  s.leafStyle.seed = 202;
  s.bark = Bark::kBirch;
  s.vScale = 20;
  return s;
}

Species Conifer() {
  Species s;
  s.name = "conifer";
  s.params.seed = 90210;
  s.params.noLeavesOnTrunk = false;
  s.params.leafBending = 10;
  // Ten whorls up the trunk: each a short stub inside the trunk, pointing
  // up, from which five branches spread level; a branch carries no more
  // than ten children, so the whorls are what makes the crown dense.
  SetLevels(
      s.params,
      {Level({.size = 16,
              .length = 125,
              .taper = 39,
              .inflate = 3,
              .twistFreq = 0,
              .twistRadius = 0,
              .bending = 23,
              .noise = 12,
              .angleQuality = 10,
              .heightQuality = 18},
             {.min = 10,
              .max = 10,
              .heightMin = 7,
              .heightMax = 9,
              .angleMin = 0,
              .angleMax = 360,
              .inclinationMin = -90,
              .inclinationMax = -90,
              .heightRelative = true},
             {.percent = 40, .scaling = 90}),
       Level({.size = 30, .length = 0, .angleQuality = 3, .heightQuality = 2, .lengthInherited = false},
             {.min = 5,
              .max = 5,
              .heightMin = 50,
              .heightMax = 100,
              .angleMin = 60,
              .angleMax = 84,
              .inclinationMin = -10,
              .inclinationMax = 8,
              .angleRelative = true}),
       Level({.size = 22,
              .length = 55,
              .taper = 38,
              .twistFreq = 1,
              .twistRadius = 2,
              .bending = 33,
              .noise = 15,
              .angleQuality = 5,
              .heightQuality = 6,
              .sizeInherited = false,
              .lengthInherited = false},
             {.min = 6,
              .max = 8,
              .heightMin = 10,
              .heightMax = 100,
              .inclinationMin = -55,
              .inclinationMax = -35},
             {.percent = 45, .scaling = 90}),
       Level({.size = 55, .length = 40, .bending = 20, .noise = 10, .angleQuality = 3, .heightQuality = 3},
             {}, {.percent = 70, .scaling = 90})});
  s.leaf.length = 90;
  s.leaf.pointsPerSide = 6;
  s.leaf.halfWidth = [](float a) { return 0.2f * Bulge(a, 0.6f); };
  s.leafStyle.kind = LeafStyle::Kind::kSprig;
  s.leafStyle.blade = paint::Rgb(44, 96, 58);
  s.leafStyle.bladeDark = paint::Rgb(22, 58, 36);
  s.leafStyle.rim = paint::Rgb(70, 122, 70);
  s.leafStyle.vein = paint::Rgb(96, 74, 46);
  s.leafStyle.midribWidth = 0.02f;
  s.leafStyle.needles = 34;
  s.leafStyle.needleLength = 0.22f;
  s.leafStyle.needleWidth = 0.014f;
  s.leafStyle.needleAngle = 0.9f;
  s.leafStyle.seed = 303;
  s.bark = Bark::kConifer;
  s.vScale = 6;
  return s;
}

Species Willow() {
  Species s;
  s.name = "weeping-willow";
  s.params.seed = 777;
  s.params.leafBending = 20;
  SetLevels(
      s.params,
      {Level({.size = 34,
              .length = 38,
              .taper = 30,
              .inflate = 4,
              .twistFreq = 2,
              .twistRadius = 6,
              .bending = 23,
              .noise = 25,
              .angleQuality = 14,
              .heightQuality = 10},
             {.min = 6,
              .max = 7,
              .heightMin = 65,
              .heightMax = 98,
              .angleMin = 45,
              .angleMax = 70,
              .inclinationMin = -40,
              .inclinationMax = -15,
              .angleRelative = true}),
       Level({.size = 55,
              .length = 95,
              .taper = 36,
              .twistFreq = 2,
              .twistRadius = 8,
              .bending = 40,
              .noise = 25,
              .angleQuality = 8,
              .heightQuality = 8},
             {.min = 10,
              .max = 10,
              .heightMin = 15,
              .heightMax = 100,
              .angleMin = 0,
              .angleMax = 360,
              .inclinationMin = 30,
              .inclinationMax = 70}),
       Level({.size = 40,
              .length = 75,
              .taper = 30,
              .bending = 80,
              .noise = 10,
              .angleQuality = 4,
              .heightQuality = 8},
             {.min = 2,
              .max = 3,
              .heightMin = 30,
              .heightMax = 90,
              .inclinationMin = -85,
              .inclinationMax = -70},
             {.percent = 35, .scaling = 60}),
       Level({.size = 60, .length = 100, .bending = 80, .noise = 8, .angleQuality = 3, .heightQuality = 8},
             {}, {.percent = 60, .scaling = 60})});
  s.leaf.length = 110;
  s.leaf.pointsPerSide = 6;
  s.leaf.halfWidth = [](float a) { return 0.11f * Bulge(a, 0.8f); };
  s.leafStyle.blade = paint::Rgb(150, 182, 84);
  s.leafStyle.bladeDark = paint::Rgb(120, 156, 66);
  s.leafStyle.rim = paint::Rgb(164, 190, 100);
  s.leafStyle.vein = paint::Rgb(200, 214, 140);
  s.leafStyle.veinPairs = 9;
  s.leafStyle.veinSlope = 1.6f;
  s.leafStyle.veinWidth = 0.006f;
  s.leafStyle.seed = 404;
  s.bark = Bark::kWillow;
  return s;
}

Species Palm() {
  Species s;
  s.name = "palm";
  s.params.seed = 31415;
  s.params.leafBending = 8;
  // Ten short stubs at the top of the trunk, each with two fronds: a crown
  // of twenty where a branch may carry no more than ten children.
  SetLevels(s.params,
            {Level({.size = 14,
                    .length = 115,
                    .taper = 14,
                    .inflate = 2,
                    .twistFreq = 1,
                    .twistRadius = 4,
                    .bending = 19,
                    .noise = 8,
                    .angleQuality = 12,
                    .heightQuality = 16},
                   {.min = 10,
                    .max = 10,
                    .heightMin = 97,
                    .heightMax = 100,
                    .angleMin = 0,
                    .angleMax = 360,
                    .inclinationMin = -90,
                    .inclinationMax = -75}),
             Level({.size = 60, .length = 0, .angleQuality = 4, .heightQuality = 2, .lengthInherited = false},
                   {.min = 2,
                    .max = 2,
                    .heightMin = 60,
                    .heightMax = 100,
                    .angleMin = 150,
                    .angleMax = 210,
                    .inclinationMin = -50,
                    .inclinationMax = 15,
                    .angleRelative = true}),
             Level({.size = 10,
                    .length = 70,
                    .taper = 30,
                    .twistFreq = 0,
                    .twistRadius = 0,
                    .bending = 55,
                    .noise = 5,
                    .angleQuality = 4,
                    .heightQuality = 10,
                    .sizeInherited = false,
                    .lengthInherited = false},
                   {.min = 0, .max = 0}, {.percent = 95, .scaling = 110})});
  s.leaf.length = 130;
  s.leaf.pointsPerSide = 5;
  s.leaf.halfWidth = [](float a) { return 0.07f * Bulge(a, 0.5f); };
  s.leafStyle.blade = paint::Rgb(96, 150, 56);
  s.leafStyle.bladeDark = paint::Rgb(74, 124, 44);
  s.leafStyle.rim = paint::Rgb(120, 160, 64);
  s.leafStyle.vein = paint::Rgb(200, 210, 120);
  s.leafStyle.veinPairs = 0;
  s.leafStyle.midribWidth = 0.02f;
  s.leafStyle.seed = 505;
  s.bark = Bark::kPalm;
  s.vScale = 25;
  return s;
}

Species Shrub() {
  Species s;
  s.name = "shrub";
  s.params.seed = 2024;
  s.params.leafBending = 30;
  SetLevels(
      s.params,
      {Level({.size = 8,
              .length = 2,
              .taper = 20,
              .inflate = 4,
              .twistFreq = 0,
              .twistRadius = 0,
              .bending = 23,
              .noise = 20,
              .angleQuality = 8,
              .heightQuality = 2},
             {.min = 10,
              .max = 10,
              .heightMin = 10,
              .heightMax = 90,
              .angleMin = 100,
              .angleMax = 150,
              .inclinationMin = -75,
              .inclinationMax = -40,
              .angleRelative = true}),
       Level({.size = 4,
              .length = 55,
              .taper = 36,
              .twistFreq = 2,
              .twistRadius = 6,
              .bending = 20,
              .noise = 25,
              .angleQuality = 5,
              .heightQuality = 6,
              .sizeInherited = false,
              .lengthInherited = false},
             {.min = 5,
              .max = 7,
              .heightMin = 15,
              .heightMax = 100,
              .inclinationMin = -60,
              .inclinationMax = -30},
             {.percent = 20, .scaling = 45}),
       Level({.size = 60, .length = 50, .bending = 18, .noise = 20, .angleQuality = 3, .heightQuality = 3},
             {.min = 2,
              .max = 3,
              .heightMin = 20,
              .heightMax = 100,
              .inclinationMin = -60,
              .inclinationMax = -30},
             {.percent = 50, .scaling = 45}),
       Level({.size = 60, .length = 50, .bending = 18, .angleQuality = 3, .heightQuality = 2}, {},
             {.percent = 60, .scaling = 45})});
  s.leaf.length = 60;
  s.leaf.pointsPerSide = 7;
  s.leaf.halfWidth = [](float a) { return 0.34f * Bulge(a, 0.7f); };
  s.leafStyle.blade = paint::Rgb(80, 138, 58);
  s.leafStyle.bladeDark = paint::Rgb(60, 112, 46);
  s.leafStyle.rim = paint::Rgb(96, 146, 66);
  s.leafStyle.vein = paint::Rgb(160, 196, 120);
  s.leafStyle.veinPairs = 4;
  s.leafStyle.veinSlope = 0.4f;
  s.leafStyle.seed = 606;
  s.bark = Bark::kShrub;
  return s;
}

Species Sapling() {
  Species s;
  s.name = "young-sapling";
  s.params.seed = 12;
  s.params.leafBending = 24;
  SetLevels(s.params, {Level({.size = 7,
                              .length = 40,
                              .taper = 34,
                              .inflate = 5,
                              .twistFreq = 1,
                              .twistRadius = 3,
                              .bending = 22,
                              .noise = 10,
                              .angleQuality = 8,
                              .heightQuality = 10},
                             {.min = 9,
                              .max = 11,
                              .heightMin = 30,
                              .heightMax = 96,
                              .angleMin = 130,
                              .angleMax = 145,
                              .inclinationMin = -50,
                              .inclinationMax = -32,
                              .angleRelative = true},
                             {.percent = 25, .scaling = 70}),
                       Level({.size = 55,
                              .length = 36,
                              .taper = 34,
                              .twistFreq = 1,
                              .twistRadius = 2,
                              .bending = 16,
                              .noise = 10,
                              .angleQuality = 4,
                              .heightQuality = 4},
                             {.min = 3,
                              .max = 4,
                              .heightMin = 25,
                              .heightMax = 100,
                              .inclinationMin = -50,
                              .inclinationMax = -25},
                             {.percent = 40, .scaling = 70}),
                       Level({.size = 60, .length = 45, .angleQuality = 3, .heightQuality = 2}, {},
                             {.percent = 45, .scaling = 70})});
  s.params.noLeavesOnTrunk = false;
  s.leaf.length = 90;
  s.leaf.pointsPerSide = 8;
  s.leaf.teeth = 0.05f;
  s.leaf.halfWidth = [](float a) { return 0.24f * Bulge(std::pow(a, 0.85f), 0.9f); };
  s.leafStyle.blade = paint::Rgb(132, 190, 70);
  s.leafStyle.bladeDark = paint::Rgb(110, 166, 56);
  s.leafStyle.rim = paint::Rgb(146, 196, 84);
  s.leafStyle.vein = paint::Rgb(200, 230, 140);
  s.leafStyle.veinPairs = 7;
  s.leafStyle.veinSlope = 0.8f;
  s.leafStyle.seed = 707;
  s.bark = Bark::kSapling;
  return s;
}

Species DeadTree() {
  Species s;
  s.name = "dead-tree";
  s.params.seed = 1313;
  s.params.leafBending = 60;
  SetLevels(
      s.params,
      {Level({.size = 36,
              .length = 52,
              .taper = 34,
              .inflate = 5,
              .twistFreq = 3,
              .twistRadius = 30,
              .bending = 21,
              .noise = 55,
              .angleQuality = 12,
              .heightQuality = 14},
             {.min = 4,
              .max = 6,
              .heightMin = 35,
              .heightMax = 92,
              .angleMin = 70,
              .angleMax = 160,
              .inclinationMin = -50,
              .inclinationMax = -5,
              .angleRelative = true}),
       Level({.size = 75,
              .length = 62,
              .taper = 38,
              .twistFreq = 4,
              .twistRadius = 16,
              .bending = 20,
              .noise = 45,
              .angleQuality = 8,
              .heightQuality = 8},
             {.min = 2,
              .max = 4,
              .heightMin = 25,
              .heightMax = 90,
              .inclinationMin = -60,
              .inclinationMax = 0}),
       Level({.size = 60,
              .length = 50,
              .taper = 38,
              .twistFreq = 3,
              .twistRadius = 12,
              .bending = 26,
              .noise = 40,
              .angleQuality = 5,
              .heightQuality = 5},
             {.min = 1,
              .max = 3,
              .heightMin = 30,
              .heightMax = 90,
              .inclinationMin = -65,
              .inclinationMax = -10},
             {.percent = 1, .scaling = 45}),
       Level({.size = 55, .length = 45, .bending = 30, .noise = 30, .angleQuality = 3, .heightQuality = 3},
             {}, {.percent = 3, .scaling = 45})});
  s.leaf.length = 70;
  s.leaf.pointsPerSide = 8;
  s.leaf.teeth = 0.25f;
  s.leaf.halfWidth = [](float a) { return 0.2f * Bulge(a, 1.0f) * (1.0f + 0.3f * std::sin(9.0f * a)); };
  s.leafStyle.blade = paint::Rgb(138, 96, 52);
  s.leafStyle.bladeDark = paint::Rgb(96, 62, 34);
  s.leafStyle.rim = paint::Rgb(80, 52, 30);
  s.leafStyle.vein = paint::Rgb(170, 130, 80);
  s.leafStyle.mottle = 0.5f;
  s.leafStyle.veinPairs = 5;
  s.leafStyle.seed = 808;
  s.bark = Bark::kDeadWood;
  return s;
}

}  // namespace

std::vector<Species> AllSpecies() {
  return {Oak(), Birch(), Conifer(), Willow(), Palm(), Shrub(), Sapling(), DeadTree()};
}
