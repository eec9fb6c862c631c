// How the wind moves a tree: the settings a document carries when wind is
// on. Like every other parameter they are the integers the controls show;
// the wind model (src/wind) scales them. They change no branch and no leaf
// of the grown tree, only how it sways.
#pragma once

namespace vh {

struct WindSettings {
  // Off: the tree stands still, exactly as grown, and the document carries
  // no wind section.
  bool enabled = false;
  int strength = 40;       // percent; 0 leaves the tree at rest
  int direction = 0;       // degrees: the way the wind blows, 0 towards +x, 90 towards +z
  int gustFrequency = 25;  // hundredths of a hertz; 0: a steady wind without gusts
  int turbulence = 30;     // percent: how restless the sway is beside the gusts
  int leafFlutter = 50;    // percent
  int loopLength = 80;     // tenths of a second: the motion repeats after this time

  bool operator==(const WindSettings&) const = default;
};

}  // namespace vh
