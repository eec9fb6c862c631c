#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "tree/branch_places.h"
#include "tree/hand_edits.h"
#include "tree/parameter_table.h"
#include "tree_test_support.h"

namespace vh {
namespace {

// The submeshes of each branch (the branch first, then its leaves), by place.
using ByPlace = std::map<BranchPath, std::vector<const Submesh*>>;

ByPlace GroupByPlace(const Tree& tree) {
  const BranchPlaces places = FindBranchPlaces(tree);
  ByPlace groups;
  for (std::size_t i = 0; i < tree.submeshes.size(); ++i) {
    const int branch = places.branchOf[i];
    if (branch >= 0)
      groups[places.paths[static_cast<std::size_t>(branch)]].push_back(tree.submeshes[i].get());
  }
  return groups;
}

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Every field of every vertex, bit for bit, and every triangle.
bool Identical(const Submesh& a, const Submesh& b) {
  if (a.vertices.size() != b.vertices.size() || a.triangles.size() != b.triangles.size()) return false;
  for (std::size_t i = 0; i < a.vertices.size(); ++i) {
    const Vertex& u = a.vertices[i];
    const Vertex& v = b.vertices[i];
    const float us[12] = {u.position.x, u.position.y, u.position.z, u.normal.x,   u.normal.y,   u.normal.z,
                          u.colour.x,   u.colour.y,   u.colour.z,   u.texCoord.x, u.texCoord.y, u.alpha};
    const float vs[12] = {v.position.x, v.position.y, v.position.z, v.normal.x,   v.normal.y,   v.normal.z,
                          v.colour.x,   v.colour.y,   v.colour.z,   v.texCoord.x, v.texCoord.y, v.alpha};
    for (int k = 0; k < 12; ++k)
      if (!SameBits(us[k], vs[k])) return false;
    if (u.hasColour != v.hasColour || u.hasTexCoord != v.hasTexCoord) return false;
  }
  for (std::size_t i = 0; i < a.triangles.size(); ++i) {
    const Triangle& s = a.triangles[i];
    const Triangle& t = b.triangles[i];
    if (s.a != t.a || s.b != t.b || s.c != t.c || s.visible != t.visible) return false;
  }
  return true;
}

bool IdenticalGroups(const std::vector<const Submesh*>& a, const std::vector<const Submesh*>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!Identical(*a[i], *b[i])) return false;
  return true;
}

struct NamedParameters {
  const char* name;
  TreeParameters params;
};

// Trees that differ in what an edit could disturb: welds, loose children,
// leaves, relative placement, varying child counts, a deeper tree.
std::vector<NamedParameters> SampleTrees() {
  std::vector<NamedParameters> trees;
  TreeParameters leafy(2);
  testing::GiveLeaves(leafy);
  trees.push_back({"leafy default", leafy});

  TreeParameters loose(2);
  loose.levels[1].attachToParent = false;
  loose.levels[2].baseLengthInherited = false;
  loose.levels[2].baseLength = 20;
  loose.seed = 7;
  trees.push_back({"loose first level", loose});

  TreeParameters relative(3);
  testing::GiveLeaves(relative);
  relative.noLeavesOnTrunk = false;
  relative.seed = 4242;
  LevelParameters& first = relative.levels[0];
  first.nbChildrenMin = 4;
  first.nbChildrenMax = 6;
  first.heightRelative = first.angleRelative = first.inclinationRelative = true;
  first.heightMin = 10;
  first.heightMax = 25;
  relative.levels[1].nbChildrenMin = 2;
  relative.levels[1].nbChildrenMax = 4;
  relative.levels[2].nbChildrenMin = relative.levels[2].nbChildrenMax = 2;
  relative.levels[3].nbChildrenMin = relative.levels[3].nbChildrenMax = 2;
  trees.push_back({"relative, four levels", relative});
  return trees;
}

HandEdit Remove(BranchPath path) { return {HandEditKind::kRemove, std::move(path)}; }
HandEdit Turn(BranchPath path, double around, double away) {
  return {HandEditKind::kTurn, std::move(path), around, away};
}
HandEdit Length(BranchPath path, double factor) {
  HandEdit edit{HandEditKind::kLength, std::move(path)};
  edit.factor = factor;
  return edit;
}

// One edit on one branch: every branch not on the edited one comes out bit
// for bit as without the edit (leaves included); a removed branch and what
// grows on it are gone, a turned or lengthened one is there, changed.
TEST(HandEdits, OneEditLeavesEveryOtherBranchBitIdentical) {
  const std::vector<HandEdit> edits = {
      Remove({0, 1}),         Remove({0, 2, 1}),   Turn({0, 3}, 25, -12), Turn({0, 0, 1}, -40, 30),
      Length({0, 1, 0}, 0.6), Length({0, 2}, 1.7), Remove({0, 0, 1, 0})};
  for (const NamedParameters& sample : SampleTrees()) {
    const Tree plain = Generate(sample.params, testing::Workers(1));
    const ByPlace original = GroupByPlace(plain);
    for (const HandEdit& edit : edits) {
      SCOPED_TRACE(std::string(sample.name) + ", " + HandEditKindName(edit.kind) + " " +
                   FormatBranchPath(edit.branch));
      ASSERT_TRUE(original.count(edit.branch)) << "the sample tree must have the edited branch";
      TreeParameters params = sample.params;
      params.handEdits = {edit};
      const Tree edited = Generate(params, testing::Workers(2));
      EXPECT_TRUE(edited.unappliedEdits.empty());
      const ByPlace grown = GroupByPlace(edited);
      std::size_t untouched = 0;
      for (const auto& [path, submeshes] : original) {
        const auto found = grown.find(path);
        if (!IsOnBranch(path, edit.branch)) {
          ASSERT_NE(found, grown.end()) << FormatBranchPath(path);
          EXPECT_TRUE(IdenticalGroups(submeshes, found->second)) << FormatBranchPath(path);
          ++untouched;
        } else if (edit.kind == HandEditKind::kRemove) {
          EXPECT_EQ(found, grown.end()) << FormatBranchPath(path);
        } else {
          ASSERT_NE(found, grown.end()) << FormatBranchPath(path);
          if (path == edit.branch) {
            EXPECT_FALSE(Identical(*submeshes[0], *found->second[0]));
          }
        }
      }
      EXPECT_GT(untouched, 10u);
      if (edit.kind != HandEditKind::kRemove) {
        EXPECT_EQ(grown.size(), original.size());
      }
    }
  }
}

TEST(HandEdits, EditsOfMissingBranchesAreKeptCountedAndChangeNothing) {
  TreeParameters params(2);
  testing::GiveLeaves(params);
  const std::uint64_t plain = testing::FullDigest(Generate(params));
  // The trunk has 4 children, level 3 has none, and there is one trunk.
  params.handEdits = {Remove({0, 4}), Turn({0, 1, 0, 0, 0}, 10, 10), Length({1}, 2), Remove({0, 7, 1})};
  const Tree tree = Generate(params);
  EXPECT_EQ(testing::FullDigest(tree), plain);
  EXPECT_EQ(tree.unappliedEdits, (std::vector<std::size_t>{0, 1, 2, 3}));
  EXPECT_EQ(UnappliedEditsMessage(tree.unappliedEdits.size()), "4 hand edits do not apply to this tree");

  // The same edits apply once the branch exists again.
  params.levels[0].nbChildrenMin = params.levels[0].nbChildrenMax = 5;
  params.handEdits = {Remove({0, 4})};
  EXPECT_TRUE(Generate(params).unappliedEdits.empty());
}

TEST(HandEdits, EditsUnderARemovedBranchApplyAndNothingGrowsThere) {
  TreeParameters params(2);
  params.handEdits = {Remove({0, 2}), Turn({0, 2, 1}, 30, 0), Length({0, 2, 1, 0}, 0.5)};
  const Tree tree = Generate(params);
  EXPECT_TRUE(tree.unappliedEdits.empty());
  for (const BranchPath& path : FindBranchPlaces(tree).paths) EXPECT_FALSE(IsOnBranch(path, {0, 2}));
}

TEST(HandEdits, RemovingTheTrunkLeavesNothingAndTurningItMovesEverything) {
  TreeParameters params(2);
  params.handEdits = {Remove({0}), Turn({0, 1}, 5, 5)};
  const Tree bare = Generate(params);
  EXPECT_TRUE(bare.submeshes.empty());
  EXPECT_TRUE(bare.unappliedEdits.empty());

  params.handEdits = {Turn({0}, 0, 20), Length({0}, 0.5)};
  const Tree turned = Generate(params);
  const Branch& trunk = testing::BranchAt(turned, 0);
  EXPECT_DOUBLE_EQ(trunk.length, 117.0 * 0.5);
  EXPECT_NEAR(Dot(Normalized(trunk.direction), UnitY), std::cos(20 * 3.141592653589793 / 180), 1e-6);
  EXPECT_EQ(FindBranchPlaces(turned).paths.size(),
            FindBranchPlaces(Generate(TreeParameters(2))).paths.size());
}

TEST(HandEdits, TurnsAddUpAndLengthFactorsMultiply) {
  TreeParameters once(2), twice(2);
  once.handEdits = {Turn({0, 1}, 30, -10), Length({0, 1}, 0.25)};
  twice.handEdits = {Turn({0, 1}, 10, -4), Length({0, 1}, 0.5), Turn({0, 1}, 20, -6), Length({0, 1}, 0.5)};
  EXPECT_EQ(testing::FullDigest(Generate(once)), testing::FullDigest(Generate(twice)));
}

TEST(HandEdits, GenerationRefusesAnEditNoTreeCanTake) {
  TreeParameters params(2);
  params.handEdits = {Remove({0, 1}), Length({0, 2}, 0.0)};
  try {
    Generate(params);
    FAIL() << "expected std::invalid_argument";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(
        e.what(),
        "This tree cannot be grown: hand edit 2, the length of 0/2: the factor 0 lies outside 0.01..100.");
  }
}

TEST(HandEdits, CheckNamesWhatIsWrong) {
  const struct {
    HandEdit edit;
    const char* problem;
  } cases[] = {
      {Remove({0, 3, 1}), ""},
      {Turn({0}, -360, 180), ""},
      {Remove({}), "the remove of : it names no branch"},
      {Remove({0, -1}), "the remove of 0/-1: the index -1 lies outside 0..999"},
      {Remove(BranchPath(12, 0)),
       "the remove of 0/0/0/0/0/0/0/0/0/0/0/0: its branch lies 12 levels deep, deeper "
       "than the 11 levels a tree has"},
      {Turn({0, 1}, 361, 0), "the turn of 0/1: the angle around 361 lies outside -360..360"},
      {Turn({0, 1}, 0, -180.5), "the turn of 0/1: the angle away -180.5 lies outside -180..180"},
      {Turn({0, 1}, std::nan(""), 0), "the turn of 0/1: the angle around is not a finite number"},
      {Length({0, 1}, 100.5), "the length of 0/1: the factor 100.5 lies outside 0.01..100"},
  };
  for (const auto& c : cases) EXPECT_EQ(CheckHandEdit(c.edit), c.problem);
}

TEST(HandEdits, PlacesReadWriteAndReadAsUsersCountThem) {
  const struct {
    const char* text;
    bool valid;
    BranchPath path;
    const char* place;
  } cases[] = {
      {"0", true, {0}, "level 1, the trunk"},
      {"0/4", true, {0, 4}, "level 2, branch 5 of the trunk"},
      {"0/4/1", true, {0, 4, 1}, "level 3, branch 2 of branch 5 of the trunk"},
      {"1/0", true, {1, 0}, "level 2, branch 1 of trunk 2"},
      {"0/999", true, {0, 999}, "level 2, branch 1000 of the trunk"},
      {"", false, {}, ""},
      {"0/", false, {}, ""},
      {"/0", false, {}, ""},
      {"0//1", false, {}, ""},
      {"0/-1", false, {}, ""},
      {"0/+1", false, {}, ""},
      {"0/1000", false, {}, ""},
      {"0/1 ", false, {}, ""},
      {"0/0/0/0/0/0/0/0/0/0/0/0", false, {}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    BranchPath path{42};
    EXPECT_EQ(ParseBranchPath(c.text, path), c.valid);
    EXPECT_EQ(path, c.valid ? c.path : BranchPath{42});
    if (!c.valid) continue;
    EXPECT_EQ(FormatBranchPath(c.path), c.text);
    EXPECT_EQ(DescribeBranchPlace(c.path), c.place);
  }
  EXPECT_EQ(UnappliedEditsMessage(0), "");
  EXPECT_EQ(UnappliedEditsMessage(1), "1 hand edit does not apply to this tree");
  EXPECT_EQ(UnappliedEditsMessage(2), "2 hand edits do not apply to this tree");
}

TEST(BranchPlaces, FollowTheGrowthAndGiveLeavesTheirBranch) {
  TreeParameters params(2);
  testing::GiveLeaves(params);
  params.noLeavesOnTrunk = false;
  params.handEdits = {Remove({0, 1})};
  const Tree tree = Generate(params);
  const BranchPlaces places = FindBranchPlaces(tree);
  ASSERT_EQ(places.branchOf.size(), tree.submeshes.size());
  // The trunk's leaves come first and belong to it; the removed branch leaves a gap.
  EXPECT_EQ(places.paths.at(0), (BranchPath{0}));
  EXPECT_EQ(places.branchOf[0], 0);
  EXPECT_EQ(places.paths.at(1), (BranchPath{0, 0}));
  std::map<std::size_t, int> branchesByDepth;
  for (const BranchPath& path : places.paths) ++branchesByDepth[path.size()];
  EXPECT_EQ(branchesByDepth[2], 3);  // four children of the trunk, one removed
  for (std::size_t i = 0; i < tree.submeshes.size(); ++i) {
    const int branch = places.branchOf[i];
    ASSERT_GE(branch, 0);
    const auto* own = dynamic_cast<const Branch*>(tree.submeshes[i].get());
    if (own) {
      EXPECT_EQ(places.paths[static_cast<std::size_t>(branch)].size(),
                static_cast<std::size_t>(own->level + 1));
    }
  }
  const std::vector<std::size_t> onFirst = SubmeshesOnBranch(places, {0, 0});
  ASSERT_FALSE(onFirst.empty());
  for (const std::size_t i : onFirst) EXPECT_TRUE(IsOnBranch(places.paths[places.branchOf[i]], {0, 0}));
  EXPECT_TRUE(SubmeshesOnBranch(places, {0, 1}).empty());
}

}  // namespace
}  // namespace vh
