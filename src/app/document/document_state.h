// The tree being edited, as the desktop program holds it: the document's
// parameters, the last grown tree, the pictures of the two textures, the
// view switches that decide what is grown and how it is drawn, and the
// lock and cancel flag of a running billboard cloud or chain build.
// (Generations run on the document's driver, from copies of the
// parameters; see TreeDocument.)
#pragma once

#include <cstdint>

#include "foundations/image.h"
#include "tree/tree.h"

// Which of the tree, the ground plane and the billboard cloud are drawn as
// lines; the view draws each so (its frame's own wireframe options).
struct WireframeParts {
  bool tree = false;
  bool groundPlane = false;
  bool billboard = false;
};

struct DocumentState {
  vh::TreeParameters params{2};
  vh::Tree tree;  // the last tree grown from params, replaced whole when the next one is in
  vh::Image leafTextureImage;
  vh::Image barkTextureImage;
  // Which of the tree, the ground plane and the billboard cloud are drawn as
  // lines: "Wireframe" reaches them at different moments.
  WireframeParts wireframe;
  // "Wireframe" as its box shows it: the ground plane rebuilt after an edit
  // takes it.
  bool wireframeTicked = false;
  bool showLeaves = true;  // leaves are grown at all (cleared by "Hide leaves")
  // A billboard cloud or a level-of-detail chain is built from the tree, its
  // pictures and textures (edits are locked meanwhile); Escape asks it to stop.
  bool buildingFromTree = false;
  const char* buildStatus = "";  // what the status line says while it is built
  bool cancelRequested = false;
  std::uint64_t vertexBudget = vh::kDefaultVertexBudget;

  // "New": a fresh tree with the default parameters, no pictures, the
  // default switches and nothing grown yet.
  void StartNewTree() {
    params = vh::TreeParameters(2);
    tree = vh::Tree();
    leafTextureImage = vh::Image();
    barkTextureImage = vh::Image();
    wireframe.tree = false;  // a new tree is drawn filled until "Wireframe" is clicked
    showLeaves = true;
    cancelRequested = false;
    vertexBudget = vh::kDefaultVertexBudget;
  }

  vh::GenerationOptions GrowthOptions() const {
    vh::GenerationOptions options;
    options.growLeaves = showLeaves;
    return options;
  }
};
