#include "fileio/tree_document.h"

#include <stdexcept>
#include <utility>

#include "fileio/document.h"

namespace vh {

void SaveDocument(const Tree& tree, const std::string& path) { SaveDocument(tree.params, path); }

void LoadDocument(Tree& tree, const std::string& path) {
  LoadParameters(tree, ReadDocumentFile(path, tree.params), path);
}

void LoadParameters(Tree& tree, TreeParameters loaded, const std::string& sourceName) {
  // The reader's limits already keep out what the generator refuses; the
  // check stays here so that the tree is never left with parameters its
  // mesh was not grown from, should the two ever disagree.
  const std::string problem = CheckGrowable(loaded);
  if (!problem.empty()) throw std::runtime_error("cannot load '" + sourceName + "': " + problem);
  tree.params = std::move(loaded);
  tree.Generate();
}

}  // namespace vh
