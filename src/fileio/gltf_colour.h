// sRGB-encoded colour components (what the program's colours are) to the
// linear light glTF's colours are in.
#pragma once

#include <algorithm>

#include "foundations/vector3.h"
#include "tree/mesh.h"

namespace vh {

// The curve as a table, interpolated: leaf colours vary per vertex, and a
// million vertices must not cost a million calls of pow. The interpolation
// error (below 3e-8) is under a float's resolution here. Inline, so that a
// vertex's three components are converted side by side.
class SrgbCurve {
 public:
  SrgbCurve();  // the table is computed once for the program

  float Linear(float value) const {
    if (!(value >= 0.0f && value <= 1.0f)) return Exact(value);
    const double position = static_cast<double>(value) * kSteps;
    const int step = std::min(static_cast<int>(position), kSteps - 1);
    const double fraction = position - step;
    const double low = m_table[step], high = m_table[step + 1];
    return static_cast<float>(low + (high - low) * fraction);
  }

 private:
  static constexpr int kSteps = 4096;
  static float Exact(float value);

  const double* m_table;  // kSteps + 1 values
};

float LinearFromSrgb(float value);

// The three components of `c` in linear light.
Vector3 LinearColour(const Vector3& c);

// Whether the vertices of a primitive seen so far share one colour.
struct ColourScan {
  bool seen = false;
  bool uniform = true;
  Vector3 colour;

  void Scan(const Vertex& vertex) {
    if (!seen) {
      colour = vertex.colour;
      seen = true;
    } else if (uniform) {
      uniform = vertex.colour == colour;
    }
  }

  // The scan of all of a primitive's vertices from the scans of two parts.
  static ColourScan Joined(const ColourScan& first, const ColourScan& second) {
    if (!first.seen) return second;
    if (!second.seen) return first;
    ColourScan joined = first;
    joined.uniform = first.uniform && second.uniform && first.colour == second.colour;
    return joined;
  }
};

}  // namespace vh
