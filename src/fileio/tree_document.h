// Loading a tree document as a parameter set that can be grown.
#pragma once

#include <string>

#include "tree/tree.h"

namespace vh {

// Reads the document `path` over a copy of `base` (see ReadDocumentFile in
// fileio/document.h) and returns it when the whole document was read and
// can be grown. Throws FileError, DocumentError, or std::runtime_error for
// a set the generator would refuse; the caller's parameters stay as they
// were. Nothing is grown here, and the two named textures are the caller's
// to load (a name "(null)" means no texture).
TreeParameters LoadDocument(const std::string& path, const TreeParameters& base);

// What LoadDocument does once the document was read: returns `loaded` when
// the generator can grow it, and throws std::runtime_error naming
// `sourceName` otherwise.
TreeParameters CheckedParameters(TreeParameters loaded, const std::string& sourceName);

}  // namespace vh
