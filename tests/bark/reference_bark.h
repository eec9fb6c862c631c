// The straightforward shading removal, written as plainly as possible: one
// smoothing pass at a time over one row or column at a time, through a
// scratch line, exactly in the order the algorithm is described. The fast
// implementation must reproduce it byte for byte.
#pragma once

#include <vector>

#include "foundations/image.h"

namespace vh::test {

// Smooths each row of `values` (width x height, row-major) `passes` times.
void ReferenceSmoothRows(std::vector<double>& values, int width, int height, int passes);
// Smooths each column `passes` times.
void ReferenceSmoothColumns(std::vector<double>& values, int width, int height, int passes);

// The whole shading removal of an RGB picture, including the rule for
// black neighbourhoods (smoothed luminance below kDarkLuminance).
void ReferenceRemoveShading(Image& picture, int strength);

}  // namespace vh::test
