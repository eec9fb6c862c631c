// The tree's parameter set, the grown tree, and the generation that turns
// the one into the other.
//
// Parameters are stored as the integers the controls show; all scaling to
// lengths, radians and probabilities happens in the generator. A generation
// reads a parameter set and writes only the tree it grows, so the same set
// and seed always grow the same tree, float for float.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundations/vector3.h"
#include "tree/hand_edits.h"
#include "tree/mesh.h"
#include "tree/wind_settings.h"

namespace vh {

inline constexpr int kLevelCount = 11;  // level records, index 0 = trunk

struct LevelParameters {
  int baseSize = 85;
  int baseLength = 56;
  int sizeDecrease = 40;
  int twistingFreq = 4;
  int twistingRad = 3;
  int bendingUp = 12;
  int noise = 30;
  int inflateDeflate = 7;
  bool baseSizeInherited = true;
  bool baseLengthInherited = true;
  bool attachToParent = true;
  int qualityAngle = 6;
  int qualityHeight = 8;
  int levelIndex = 0;  // the record's own index; not saved, not edited
  int nbChildrenMin = 3;
  int nbChildrenMax = 3;
  int heightMin = 5;
  int heightMax = 90;
  int angleMin = 0;
  int angleMax = 360;
  int inclinationMin = -64;
  int inclinationMax = -28;
  bool heightRelative = false;
  bool angleRelative = false;
  bool inclinationRelative = false;
  int leafDensity = 10;  // slider position + 1
  int leafScaling = 50;

  bool operator==(const LevelParameters&) const = default;
};

// Everything a tree document carries. Kept as one value so that a document
// can be read into a fresh set and swapped in only when it was read whole.
struct TreeParameters {
  int lastParentLevel = 2;  // deepest level that still gets children; -1 = bare trunk
  int seed = 160;
  std::array<LevelParameters, kLevelCount> levels;
  std::vector<Vector2> leafOutline;    // leaf-editor units, x right, y down
  std::vector<Vector2> leafTexCoords;  // one per outline point
  int leafBending = 28;
  bool barkTextureLoaded = false;
  bool leafTextureLoaded = false;
  bool noLeavesOnTrunk = true;
  std::string barkTextureFile;
  std::string leafTextureFile;
  std::string materialPrefix = "Material";
  int leafTexTranslateX = 0;
  int leafTexTranslateY = 0;
  int leafTexRotate = 0;
  int leafTexScale = 150;
  int uScale = 10;
  int vScale = 10;
  // How the tree sways; saved only while it is on.
  WindSettings wind;
  // Branches shaped by hand, applied in this order on top of what the
  // parameters grow (see tree/hand_edits.h); saved only when there are any.
  std::vector<HandEdit> handEdits;

  explicit TreeParameters(int lastParent = 2);
  bool operator==(const TreeParameters&) const = default;
};

// A grown tree: its submeshes in list order (the trunk's leaves, the trunk,
// then depth first each branch followed by its leaves and its subtree).
class Tree : public MeshObject {
 public:
  // The triangulated leaf outline the leaves were copied from, or none.
  std::unique_ptr<Submesh> leafTemplate;
  int leafCount = 0;
  // The growth stopped at the geometry budget.
  bool budgetExceeded = false;
  // The growth was cancelled; the branches made after that point are empty.
  bool cancelled = false;
  // Indices into the parameters' handEdits of the edits whose branch this
  // growth did not reach (see UnappliedEditsMessage in tree/hand_edits.h).
  std::vector<std::size_t> unappliedEdits;
};

struct GenerationOptions {
  // Cleared by "Hide leaves": no leaf template, no leaves, no leaf draws.
  bool growLeaves = true;
  // Threads that mesh branches, the calling one included; 0 takes one per
  // core. The tree grown is the same for every count.
  int workers = 0;
};

// A generation stops, as if cancelled, once this many vertices exist; it
// keeps a 10-level, 10-children parameter set from exhausting memory.
inline constexpr std::uint64_t kDefaultVertexBudget = 20'000'000;

struct GenerationControl {
  // May be set from any thread. The generation looks at it once per branch,
  // in depth-first order: from there on no branch gets geometry or leaves,
  // and the siblings still to come are added empty.
  const std::atomic<bool>* cancel = nullptr;
  // Called on the calling thread once per branch, in depth-first order,
  // before the cancel flag is looked at for it (the desktop program
  // processes its pending events here). The tree being grown then holds
  // every earlier branch, meshed, leaved and welded.
  std::function<void()> onBranch;
  std::uint64_t vertexBudget = kDefaultVertexBudget;
};

// Grows the tree of `params` into `tree`, replacing its submeshes. Throws
// std::invalid_argument, leaving `tree` as it was, for a parameter set that
// cannot be grown (see CheckGrowable in tree/parameter_table.h). A
// qualityHeight of 0 grows as 2 and an inflateDeflate of 0 as 1, the
// parameter table's guards; `params` is only read.
void Generate(const TreeParameters& params, const GenerationOptions& options,
              const GenerationControl& control, Tree& tree);

// The same, into a new tree.
Tree Generate(const TreeParameters& params, const GenerationOptions& options = {},
              const GenerationControl& control = {});

}  // namespace vh
