// A variant pack: one variant of a forest grown and written as the
// single-tree glTF export writes it (its mesh, or its chain of levels of
// detail through MSFT_lod, its wind, its pictures), as the bytes of a .glb.
// Packs are what growing hands to the forest's writer: plain bytes, so that
// they can come from this process's threads or from other machines
// (the Python module's Dask path) and make the same forest file.
#pragma once

#include <atomic>
#include <functional>
#include <stdexcept>
#include <string>

#include "billboard/lod_chain.h"
#include "forest/forest_plan.h"

namespace vh {

// Growing or writing a forest was cancelled: nothing was written.
class ForestCancelled : public std::runtime_error {
 public:
  ForestCancelled() : std::runtime_error("cancelled") {}
};

// Builds a variant's level-of-detail chain, its cards drawn by whatever
// can draw (the command-line tool and the Python module draw them in a
// headless context of their own); called on the thread growing the variant.
// Returns an empty chain when `cancel` was set meanwhile.
using ForestChainMaker =
    std::function<LodChain(const MeshObject& tree, const MaterialPictures& pictures,
                           const LodChainOptions& options, const std::atomic<bool>* cancel)>;

// The chain with key-coloured card pictures and unmeasured errors: no
// context needed (tests, machines without OpenGL).
LodChain ChainWithoutPictures(const MeshObject& tree, const MaterialPictures& pictures,
                              const LodChainOptions& options, const std::atomic<bool>* cancel);

// Grows variant `variant` of `plan` on the calling thread alone and returns
// its pack. `chains` makes its chain when the forest has lod (empty:
// ChainWithoutPictures). Throws ForestCancelled when `cancel` (may be null)
// is set before it is done, std::runtime_error naming the variant when it
// cannot be written.
std::string GrowVariantPack(const ForestPlan& plan, std::size_t variant, const ForestChainMaker& chains,
                            const std::atomic<bool>* cancel = nullptr);

}  // namespace vh
