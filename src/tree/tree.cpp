#include "tree/tree.h"

namespace vh {

TreeParameters::TreeParameters(int lastParent) : lastParentLevel(lastParent) {
  for (int i = 0; i < kLevelCount; ++i) levels[i].levelIndex = i;
  LevelParameters& trunk = levels[0];
  trunk.bendingUp = 24;
  trunk.qualityAngle = 10;
  trunk.qualityHeight = 14;
  trunk.nbChildrenMin = 4;
  trunk.nbChildrenMax = 4;
}

}  // namespace vh
