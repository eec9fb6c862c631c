// The pictures a tree is drawn with and the one headless graphics context
// that draws billboard pictures for the module.
#pragma once

#include <memory>
#include <mutex>

#include "billboard/lod_chain.h"
#include "cli/headless_billboards.h"
#include "fileio/export_scene.h"
#include "fileio/missing_pictures.h"
#include "python_objects.h"

namespace vh::python {

// What an export draws, by the one rule of the command-line tool: the
// document's pictures, and where a textured material's picture cannot be
// read, the tree regrown (as it was grown) with that material untextured,
// in its colours. Each missing picture is a RuntimeWarning saying so.
struct ExportedTree {
  DocumentPictures pictures;
  std::unique_ptr<Tree> untextured;  // only where a picture is missing
  Tree& Of(GrownTree& grown) const { return untextured ? *untextured : grown.tree; }
};

// With the GIL held (for the warnings); regrows without it.
ExportedTree PrepareExport(GrownTree& grown);

// One headless context at a time: billboard builds share the program-wide
// object counter, which they continue from the tree's last number as the
// command-line tool does after growing its one tree.
std::mutex& GraphicsLock();
void ContinueObjectNumbersAfter(const Tree& tree);

// A headless context that draws with `pictures`; RuntimeError where none
// can be made.
std::unique_ptr<cli::HeadlessBillboards> HeadlessContext(const DocumentPictures& pictures);

// The level-of-detail chain of `tree` with its billboard pictures; with the
// GIL released and the tree locked (the graphics are locked here).
LodChain RenderedChain(Tree& tree, const DocumentPictures& pictures);

}  // namespace vh::python
