#include "fileio/tree_document.h"

#include <stdexcept>

#include "fileio/document.h"

namespace vh {

TreeParameters LoadDocument(const std::string& path, const TreeParameters& base) {
  return CheckedParameters(ReadDocumentFile(path, base), path);
}

TreeParameters CheckedParameters(TreeParameters loaded, const std::string& sourceName) {
  // The reader's limits already keep out what the generator refuses; the
  // check stays here so that no caller is handed parameters it cannot
  // grow, should the two ever disagree.
  const std::string problem = CheckGrowable(loaded);
  if (!problem.empty()) throw std::runtime_error("cannot load '" + sourceName + "': " + problem);
  return loaded;
}

}  // namespace vh
