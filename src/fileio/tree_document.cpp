#include "fileio/tree_document.h"

#include <utility>

#include "fileio/document.h"

namespace vh {

void SaveDocument(const Tree& tree, const std::string& path) { SaveDocument(tree.params, path); }

void LoadDocument(Tree& tree, const std::string& path) {
  TreeParameters loaded = ReadDocumentFile(path, tree.params);
  tree.params = std::move(loaded);
  tree.Generate();
}

}  // namespace vh
