// Writing a forest: its variants grown on every core and streamed, in the
// variants' order, into one .glb through a temporary file that replaces
// the target only when complete. Memory holds the variants being grown and
// the few finished ones waiting for their turn, never the whole forest.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "forest/forest_gltf.h"
#include "forest/forest_plan.h"
#include "forest/variant_pack.h"

namespace vh {

class AtomicFile;

// The forest file being assembled from packs, whoever grew them (this
// process's threads, or a cluster through the Python module): the same
// packs give the same bytes.
class ForestFileWriter {
 public:
  // Throws FileError when the file cannot be started beside `path`.
  ForestFileWriter(const ForestPlan& plan, const std::string& path, ForestInstancing instancing);
  ~ForestFileWriter();  // without Commit, leaves what was at `path`

  bool Wanted(std::size_t variant) const { return m_gltf.Wanted(variant); }
  // Adds the pack of `variant` (wanted ones, in increasing order).
  void Add(std::size_t variant, std::string_view pack) { m_gltf.Add(variant, pack); }
  // Writes the file and puts it in place.
  void Commit();

 private:
  std::string m_path;
  ForestGltf m_gltf;
  std::unique_ptr<AtomicFile> m_file;
};

struct ForestExportOptions {
  ForestInstancing instancing = ForestInstancing::kGpu;
  int threads = 0;          // variants grown at once; 0: one per core
  ForestChainMaker chains;  // draws the cards (empty: ChainWithoutPictures)
  // Called on the calling thread after each variant written, with the
  // number written and the number to write.
  std::function<void(std::size_t done, std::size_t total)> progress;
  const std::atomic<bool>* cancel = nullptr;  // may be set from any thread
};

// Grows every variant of `plan` that places an instance and writes the
// forest to `path`. The file is the same for every thread count. Throws
// ForestCancelled when cancelled (nothing written), and what growing or
// writing throws; `path` keeps what it held on any failure.
void ExportForest(const ForestPlan& plan, const std::string& path, const ForestExportOptions& options = {});

}  // namespace vh
