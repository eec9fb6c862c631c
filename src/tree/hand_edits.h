// Hand edits: a branch shaped by hand (removed, turned or lengthened) on
// top of what the parameters grow.
//
// An edit names its branch by its place in the growth, not by mesh
// numbers: which trunk (0, the only one a tree grows today), then the
// index of the child on that trunk, then the index of the child on that
// branch, and so on, all counted from 0 in the order the branches are
// placed. The same place holds the same branch whatever the leaves,
// pictures, wind or the parameters of other levels are, so an edit stays on
// its branch through regrowth. An edit whose place does not exist in a tree
// (its parent has fewer children now) is kept and simply not applied; it
// applies again when the branch returns.
//
// Growth draws every random number exactly as without edits and applies
// the edits to what it builds, so a branch that is neither edited nor
// grows on an edited one comes out float for float as without edits.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vh {

// A branch's place: trunk index, then child indices from the trunk down.
// {0} is the trunk, {0, 4} its fifth child, {0, 4, 1} that one's second.
using BranchPath = std::vector<int>;

enum class HandEditKind {
  kRemove,  // the branch and everything that grows on it are not built
  kTurn,    // the branch turns about its base; what grows on it follows
  kLength,  // the branch's length is scaled; what grows on it follows
};

struct HandEdit {
  HandEditKind kind = HandEditKind::kRemove;
  BranchPath branch;
  // kTurn: degrees about the parent's axis at the branch's base (the way the
  // azimuth runs) and away from that axis (the way the inclination runs).
  // The trunk turns about the vertical and away from it.
  double around = 0.0;
  double away = 0.0;
  // kLength: the factor on the branch's length.
  double factor = 1.0;

  bool operator==(const HandEdit&) const = default;
};

// Limits that keep an edit growable: a place no deeper than the levels a
// tree has, indices no larger than a level's most children, turns within
// one revolution either way and factors within a hundredfold.
inline constexpr int kMaxEditIndex = 999;
inline constexpr double kMaxAround = 360.0;
inline constexpr double kMaxAway = 180.0;
inline constexpr double kMinLengthFactor = 0.01;
inline constexpr double kMaxLengthFactor = 100.0;

// Why `edit` cannot be applied to any tree (an empty string when it can):
// a place that is empty, deeper than 11 levels or has an index outside
// 0..999, an angle that is not finite or beyond its limit, a factor outside
// 0.01..100. Messages start with the edit's kind ("the turn of 0/4: ...").
std::string CheckHandEdit(const HandEdit& edit);

// The same for a list; messages name the edit counted from 1.
std::string CheckHandEdits(const std::vector<HandEdit>& edits);

// The keyword of a kind as documents and scripts write it: "remove",
// "turn", "length".
const char* HandEditKindName(HandEditKind kind);
// The kind of a keyword; false for an unknown word.
bool HandEditKindFromName(const std::string& name, HandEditKind& kind);

// "0/4/1": the indices joined by slashes. The empty path is "".
std::string FormatBranchPath(const BranchPath& path);
// The reverse; false, leaving `path` alone, for anything but indices
// 0..999 joined by single slashes (at least one, at most 11).
bool ParseBranchPath(const std::string& text, BranchPath& path);

// What a user reads about a branch's place, levels and branches counted
// from 1 as the level tabs are: {0} "level 1, the trunk"; {0, 4, 1}
// "level 3, branch 2 of branch 5 of the trunk". A tree with a second trunk
// would name it "trunk 2".
std::string DescribeBranchPlace(const BranchPath& path);

// "1 hand edit does not apply to this tree", "2 hand edits do not apply to
// this tree"; empty for 0.
std::string UnappliedEditsMessage(std::size_t count);

// Whether `path` is `ancestor` or lies on it (a branch growing on it).
bool IsOnBranch(const BranchPath& path, const BranchPath& ancestor);

}  // namespace vh
