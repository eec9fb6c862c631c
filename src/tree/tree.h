// The tree object: the parameter set a user edits and saves, the two random
// generators, the leaf template and, as a mesh object, every branch and leaf
// submesh of the last generation.
//
// Parameters are stored as the integers the controls show; all scaling to
// lengths, radians and probabilities happens in the generator.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundations/image.h"
#include "foundations/random.h"
#include "foundations/vector3.h"
#include "tree/mesh.h"

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
  int leafDensity = 10;   // slider position + 1
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

  explicit TreeParameters(int lastParent = 2);
  bool operator==(const TreeParameters&) const = default;
};

class Branch;
struct ShapeCache;
class SplitWork;

class Tree : public MeshObject {
 public:
  explicit Tree(int lastParentLevel = 2);
  ~Tree() override;

  TreeParameters params;

  int leafCount = 0;                       // leaves made by the last generation
  std::unique_ptr<Submesh> leafTemplate;   // triangulated leaf, or none
  Image leafTextureImage;
  Image barkTextureImage;
  bool showLeaves = true;
  bool busy = false;             // a generation is running
  bool cancelRequested = false;  // the running generation must stop
  // Set when the last generation stopped at the geometry budget.
  bool budgetExceeded = false;
  MersenneTwister leafRandom{0};
  MersenneTwister branchRandom{0};

  // Called once per branch, before it is meshed: the desktop program
  // processes its pending events here so that Escape can cancel.
  std::function<void()> pump;

  // A generation stops, as if cancelled, once this many vertices exist; it
  // keeps a 10-level, 10-children parameter set from exhausting memory.
  std::uint64_t vertexBudget = 20'000'000;

  // Replaces the submesh list by a newly generated tree from the parameters
  // and seed. Returns at once if a generation is already running. Throws
  // std::invalid_argument (leaving the old tree) for a parameter set that
  // cannot be grown (see CheckGrowable in tree/parameter_table.h).
  void Generate();

  // The steps of Generate, public so that each can be checked on its own.
  // Places the children of P and their subtrees, depth first.
  void CreateChildren(Branch& parent, int remaining);
  // Fills the branch's rings and triangles and grows its leaves.
  void MeshBranch(Branch& branch);
  // Pulls the child's base ring onto the parent and the nearest parent
  // vertices out to meet it.
  void WeldToParent(Branch& child, Branch& parent);
  // Triangulates the leaf outline into leafTemplate (none for < 3 points).
  void BuildLeafTemplate();
  // Places the leaves of one branch (60 candidate cells).
  void GrowLeaves(Branch& branch);

 private:
  bool ReserveGeometry(std::uint64_t vertices);
  std::uint64_t m_generatedVertices = 0;
  // Per-level ring shapes and column angles of the running generation.
  std::unique_ptr<ShapeCache> m_shapes;
  // The second core's share of large branches, while a generation runs.
  SplitWork* m_splitWork = nullptr;
};

}  // namespace vh
