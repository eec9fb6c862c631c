#include "view/interaction_levels.h"

#include <algorithm>

namespace vh {

std::vector<LodReduction> InteractionReductions(std::uint64_t triangles) {
  std::vector<LodReduction> finestFirst;
  // Each level keeps a quarter of the triangles; branches thinner than
  // about a pixel at the size the tree fills in the view (seen whole, its
  // height takes most of a window) go first, as they do in the export's
  // chain. The reduction shares the triangles out between leaves and
  // branches; the leaves it thins out grow only a little, so that the
  // coarsest levels stay cheap to fill (see kInteractionLeafGrowth).
  double share = 0.25;
  while (static_cast<double>(triangles) * share * 4.0 > static_cast<double>(kFewestInteractionTriangles)) {
    if (static_cast<double>(triangles) * share <= static_cast<double>(kMostInteractionTriangles)) {
      LodReduction reduction;
      reduction.triangleShare = share;
      reduction.thinnestBranch = std::min(0.02, 0.0006 / share);
      reduction.mostLeafGrowth = kInteractionLeafGrowth;
      finestFirst.push_back(reduction);
    }
    share *= 0.25;
  }
  return {finestFirst.rbegin(), finestFirst.rend()};
}

}  // namespace vh
