#include "tree/hand_edits.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "tree/tree.h"

namespace vh {

namespace {

std::string Number(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string OutsideLimit(const char* what, double value, double minimum, double maximum) {
  if (!std::isfinite(value)) return std::string(what) + " is not a finite number";
  if (value >= minimum && value <= maximum) return {};
  return std::string(what) + " " + Number(value) + " lies outside " + Number(minimum) + ".." +
         Number(maximum);
}

std::string CheckPath(const BranchPath& path) {
  if (path.empty()) return "it names no branch";
  if (path.size() > static_cast<std::size_t>(kLevelCount))
    return "its branch lies " + std::to_string(path.size()) + " levels deep, deeper than the " +
           std::to_string(kLevelCount) + " levels a tree has";
  for (const int index : path)
    if (index < 0 || index > kMaxEditIndex)
      return "the index " + std::to_string(index) + " lies outside 0.." + std::to_string(kMaxEditIndex);
  return {};
}

}  // namespace

std::string CheckHandEdit(const HandEdit& edit) {
  std::string problem = CheckPath(edit.branch);
  if (problem.empty()) {
    switch (edit.kind) {
      case HandEditKind::kRemove:
        break;
      case HandEditKind::kTurn:
        problem = OutsideLimit("the angle around", edit.around, -kMaxAround, kMaxAround);
        if (problem.empty()) problem = OutsideLimit("the angle away", edit.away, -kMaxAway, kMaxAway);
        break;
      case HandEditKind::kLength:
        problem = OutsideLimit("the factor", edit.factor, kMinLengthFactor, kMaxLengthFactor);
        break;
    }
  }
  if (problem.empty()) return {};
  return std::string("the ") + HandEditKindName(edit.kind) + " of " + FormatBranchPath(edit.branch) + ": " +
         problem;
}

std::string CheckHandEdits(const std::vector<HandEdit>& edits) {
  for (std::size_t i = 0; i < edits.size(); ++i) {
    const std::string problem = CheckHandEdit(edits[i]);
    if (!problem.empty()) return "hand edit " + std::to_string(i + 1) + ", " + problem;
  }
  return {};
}

const char* HandEditKindName(HandEditKind kind) {
  switch (kind) {
    case HandEditKind::kRemove:
      return "remove";
    case HandEditKind::kTurn:
      return "turn";
    case HandEditKind::kLength:
      return "length";
  }
  return "";
}

bool HandEditKindFromName(const std::string& name, HandEditKind& kind) {
  for (const HandEditKind k : {HandEditKind::kRemove, HandEditKind::kTurn, HandEditKind::kLength}) {
    if (name == HandEditKindName(k)) {
      kind = k;
      return true;
    }
  }
  return false;
}

std::string FormatBranchPath(const BranchPath& path) {
  std::string text;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (i > 0) text += '/';
    text += std::to_string(path[i]);
  }
  return text;
}

bool ParseBranchPath(const std::string& text, BranchPath& path) {
  BranchPath parsed;
  const char* at = text.data();
  const char* const end = at + text.size();
  while (true) {
    // Digits only: from_chars would take a sign.
    if (at == end || *at < '0' || *at > '9') return false;
    int index = 0;
    const auto [next, error] = std::from_chars(at, end, index);
    if (error != std::errc() || index > kMaxEditIndex) return false;
    parsed.push_back(index);
    if (parsed.size() > static_cast<std::size_t>(kLevelCount)) return false;
    at = next;
    if (at == end) break;
    if (*at++ != '/') return false;
  }
  path = std::move(parsed);
  return true;
}

std::string DescribeBranchPlace(const BranchPath& path) {
  if (path.empty()) return {};
  std::string place = path[0] == 0 ? "the trunk" : "trunk " + std::to_string(path[0] + 1);
  for (std::size_t i = 1; i < path.size(); ++i)
    place = "branch " + std::to_string(path[i] + 1) + " of " + place;
  return "level " + std::to_string(path.size()) + ", " + place;
}

std::string UnappliedEditsMessage(std::size_t count) {
  if (count == 0) return {};
  if (count == 1) return "1 hand edit does not apply to this tree";
  return std::to_string(count) + " hand edits do not apply to this tree";
}

bool IsOnBranch(const BranchPath& path, const BranchPath& ancestor) {
  return path.size() >= ancestor.size() && std::equal(ancestor.begin(), ancestor.end(), path.begin());
}

}  // namespace vh
