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
// (FileError or DocumentError) leaves the tree's parameters and submeshes as
// they were; what the reader accepts can be grown. The caller loads the two
// named textures afterwards; an empty name means no texture.
void LoadDocument(Tree& tree, const std::string& path);

}  // namespace vh
