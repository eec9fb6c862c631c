// Parameter sets shared by the benchmarks.
#pragma once

#include "fileio/tree_document.h"
#include "tree/tree.h"

namespace vh::bench {

// large_tree.vhm: a leafy tree of about 1.6 million vertices — five levels
// of seven children, finely tessellated (16 x 24), kite-shaped leaves on
// half of the cells.
inline TreeParameters LargeTreeParameters() {
  return LoadDocument(VH_BENCH_DIR "/large_tree.vhm", TreeParameters());
}

}  // namespace vh::bench
