// Saving and loading a whole tree object through its document.
#pragma once

#include <string>

#include "tree/tree.h"

namespace vh {

// Writes the tree's parameter set to `path` (see SaveDocument in
// fileio/document.h). The generated geometry is not stored.
void SaveDocument(const Tree& tree, const std::string& path);

// Reads the document `path` into a fresh parameter set and, only when the
// whole document was read, replaces the tree's parameters with it and
// regenerates the tree (Generate; nothing is grown while the tree is busy,
// as Generate returns at once then). When reading fails the exception
// (FileError, DocumentError, or std::runtime_error for a set the generator
// would refuse) leaves the tree's parameters and submeshes as they were.
// The caller loads the two named textures afterwards; a name "(null)" means
// no texture.
void LoadDocument(Tree& tree, const std::string& path);

// What LoadDocument does once the document was read: replaces the tree's
// parameters with `loaded` and regenerates the tree. A set the generator
// would refuse throws std::runtime_error naming `sourceName` and leaves the
// tree as it was.
void LoadParameters(Tree& tree, TreeParameters loaded, const std::string& sourceName);

}  // namespace vh
