// Parameter sets shared by the benchmarks.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

#include "fileio/document.h"
#include "tree/tree.h"

namespace vh::bench {

// large_tree.vhm: a leafy tree of about 1.6 million vertices — five levels
// of seven children, finely tessellated (16 x 24), kite-shaped leaves on
// half of the cells.
inline TreeParameters LargeTreeParameters() {
  return ReadDocumentFile(VH_BENCH_DIR "/large_tree.vhm", TreeParameters());
}

// The large tree grown once for the whole program: generation is not what
// the export benchmarks measure.
inline const Tree& GrownLargeTree() {
  static Tree* tree = new Tree(Generate(LargeTreeParameters()));
  return *tree;
}

// The size of the file at `path`, 0 when there is none.
inline std::uintmax_t FileSize(const std::string& path) {
  std::error_code ignored;
  const std::uintmax_t size = std::filesystem::file_size(path, ignored);
  return size == static_cast<std::uintmax_t>(-1) ? 0 : size;
}

}  // namespace vh::bench
