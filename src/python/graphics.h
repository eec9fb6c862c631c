// The pictures a tree is drawn with and the one headless graphics context
// that draws billboard pictures for the module.
#pragma once

#include <memory>
#include <mutex>

#include "billboard/lod_chain.h"
#include "cli/headless_billboards.h"
#include "fileio/export_scene.h"
#include "foundations/image.h"
#include "python_objects.h"

namespace vh::python {

// The leaf and bark pictures a document names, read as the command-line
// tool reads them: a textured material's missing picture raises when
// `required`, and is otherwise a warning and drawn untextured.
struct Pictures {
  Image leaf;
  Image bark;
  MaterialPictures Pointers() const { return {&leaf, &bark, nullptr, nullptr}; }
};

Pictures ReadPictures(const TreeParameters& params, bool requireTextured);

// One headless context at a time: billboard builds share the program-wide
// object counter, which they continue from the tree's last number as the
// command-line tool does after growing its one tree.
std::mutex& GraphicsLock();
void ContinueObjectNumbersAfter(const Tree& tree);

// A headless context that draws with `pictures`; RuntimeError where none
// can be made.
std::unique_ptr<cli::HeadlessBillboards> HeadlessContext(const Pictures& pictures);

// The level-of-detail chain with its billboard pictures; with the GIL
// released and the tree and the graphics locked.
LodChain RenderedChain(GrownTree& grown, const Pictures& pictures);

}  // namespace vh::python
