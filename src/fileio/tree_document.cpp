#include "fileio/tree_document.h"

#include "fileio/document.h"

namespace vh {

void SaveDocument(const Tree& tree, const std::string& path) { SaveDocument(tree.params, path); }

void LoadDocument(Tree& tree, const std::string& path) {
  // The reader accepts what the parameter table accepts, which is what
  // CheckGrowable accepts: the generation below cannot refuse the set.
  tree.params = ReadDocumentFile(path, tree.params);
  tree.Generate();
}

}  // namespace vh
