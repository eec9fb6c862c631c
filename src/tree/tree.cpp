#include "tree/tree.h"

#include "tree/shape_cache.h"
#include "tree/split_work.h"

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

Tree::Tree(int lastParentLevel) : params(lastParentLevel) {}

Tree::~Tree() = default;

}  // namespace vh
