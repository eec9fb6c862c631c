// libFuzzer target for the hand-edit section of documents on its own: the
// input follows a fixed document's level blocks, where the section goes.
// What reads must save and read as the same edits and grow a small tree on
// which every branch that no applied edit touches is bit for bit the branch
// of the tree without edits; the edits reported as not applying must be
// exactly those whose branch the tree lacks. Any crash, sanitizer report,
// exception or failed check is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "fileio/document.h"
#include "fileio/document_error.h"
#include "fuzzed_document.h"
#include "tree/branch_places.h"
#include "tree/parameter_table.h"
#include "tree/tree.h"

namespace {

[[noreturn]] void Finding(const std::string& what) {
  std::fprintf(stderr, "finding: %s\n", what.c_str());
  std::abort();
}

using ByPlace = std::map<vh::BranchPath, std::vector<const vh::Submesh*>>;

ByPlace GroupByPlace(const vh::Tree& tree) {
  const vh::BranchPlaces places = vh::FindBranchPlaces(tree);
  ByPlace groups;
  for (std::size_t i = 0; i < tree.submeshes.size(); ++i)
    if (places.branchOf[i] >= 0)
      groups[places.paths[static_cast<std::size_t>(places.branchOf[i])]].push_back(tree.submeshes[i].get());
  return groups;
}

bool SamePositions(const vh::Submesh& a, const vh::Submesh& b) {
  if (a.vertices.size() != b.vertices.size() || a.triangles.size() != b.triangles.size()) return false;
  for (std::size_t i = 0; i < a.vertices.size(); ++i)
    if (std::memcmp(&a.vertices[i].position, &b.vertices[i].position, sizeof(vh::Vector3)) != 0 ||
        std::memcmp(&a.vertices[i].normal, &b.vertices[i].normal, sizeof(vh::Vector3)) != 0)
      return false;
  return true;
}

// The tree every input edits: trunk and three levels of three or four
// children, coarsely meshed, with leaves (a few thousand vertices).
struct SmallTree {
  SmallTree() : params(2) {
    params.leafOutline = {{0, -20}, {10, 0}, {0, 30}, {-10, 0}};
    params.leafTexCoords = {{0.5f, 0}, {1, 0.5f}, {0.5f, 1}, {0, 0.5f}};
    params.levels[1].attachToParent = false;  // loose children as well as welded ones
    for (vh::LevelParameters& level : params.levels) {
      level.qualityAngle = 4;
      level.qualityHeight = 3;
      level.nbChildrenMin = 3;
      level.nbChildrenMax = 5;
      level.leafDensity = 5;
    }
    plainTree = vh::Generate(params, options);
    plain = GroupByPlace(plainTree);
    prefix = vh::FormatDocument(params);
  }
  vh::TreeParameters params;
  vh::GenerationOptions options{true, 1};
  vh::Tree plainTree;
  ByPlace plain;
  std::string prefix;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const SmallTree small;
  const std::optional<vh::TreeParameters> read = ReadFuzzedDocument(data, size, small.prefix);
  if (!read) return 0;
  const vh::TreeParameters& params = *read;
  if (!vh::CheckGrowable(params).empty()) Finding("the reader let an ungrowable edit through");
  std::istringstream again(vh::FormatDocument(params));
  if (vh::ParseDocument(again, "again.vhm", vh::TreeParameters()).handEdits != params.handEdits)
    Finding("the edits do not read back as saved");
  if (params.handEdits.size() > 64) return 0;  // enough to grow; the reading is what longer lists test

  const vh::Tree tree = vh::Generate(params, small.options);
  const ByPlace grown = GroupByPlace(tree);
  std::vector<bool> unapplied(params.handEdits.size());
  for (const std::size_t index : tree.unappliedEdits) unapplied.at(index) = true;
  for (std::size_t e = 0; e < params.handEdits.size(); ++e)
    if (unapplied[e] == (small.plain.count(params.handEdits[e].branch) != 0))
      Finding("edit " + std::to_string(e + 1) + " is misreported as applying or not");
  for (const auto& [path, submeshes] : small.plain) {
    bool touched = false;
    for (std::size_t e = 0; e < params.handEdits.size(); ++e)
      touched = touched || (!unapplied[e] && vh::IsOnBranch(path, params.handEdits[e].branch));
    if (touched) continue;
    const auto found = grown.find(path);
    if (found == grown.end() || found->second.size() != submeshes.size())
      Finding("branch " + vh::FormatBranchPath(path) + " went missing");
    for (std::size_t i = 0; i < submeshes.size(); ++i)
      if (!SamePositions(*submeshes[i], *found->second[i]))
        Finding("branch " + vh::FormatBranchPath(path) + " changed though no edit touches it");
  }
  return 0;
}
