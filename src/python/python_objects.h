// The objects the Python module hands to scripts: documents, their levels,
// grown trees and the cancellation of a growth.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "tree/mesh_arrays.h"
#include "tree/tree.h"

namespace vh::python {

struct Document {
  TreeParameters params;
};

// The record of one level of a document, counted from 1 (the trunk) as the
// level tabs count; it keeps its document alive.
struct Level {
  std::shared_ptr<Document> document;
  int number;
  LevelParameters& Record() const { return document->params.levels[static_cast<std::size_t>(number - 1)]; }
};

// Set from any thread to stop a growth at its next branch.
struct Cancellation {
  std::atomic<bool> requested{false};
};

// A grown tree with the parameters it was grown from (its exports read the
// pictures they name) and how it was grown (an export whose picture is
// missing regrows it untextured the same way). The lock serialises what
// reads or briefly changes the submeshes (billboard pictures hide triangles
// while they are drawn).
struct GrownTree {
  Tree tree;
  TreeParameters params;
  GenerationOptions options;
  std::uint64_t vertexBudget = kDefaultVertexBudget;
  std::mutex lock;
  std::map<int, std::shared_ptr<MeshArrays>> meshes;  // by level of detail
};

}  // namespace vh::python
