#include "fileio/gltf_colour.h"

#include <cmath>
#include <vector>

namespace vh {
namespace {

double ExactLinearFromSrgb(double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }

}  // namespace

SrgbCurve::SrgbCurve() {
  static const std::vector<double> table = [] {
    std::vector<double> curve(kSteps + 1);
    for (int i = 0; i <= kSteps; ++i)
      curve[static_cast<std::size_t>(i)] = ExactLinearFromSrgb(double(i) / kSteps);
    return curve;
  }();
  m_table = table.data();
}

float SrgbCurve::Exact(float value) { return static_cast<float>(ExactLinearFromSrgb(value)); }

float LinearFromSrgb(float value) { return SrgbCurve().Linear(value); }

Vector3 LinearColour(const Vector3& c) {
  return {LinearFromSrgb(c.x), LinearFromSrgb(c.y), LinearFromSrgb(c.z)};
}

}  // namespace vh
