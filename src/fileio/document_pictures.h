// The leaf and bark pictures a document names, relative to the document.
// A document stores the name of a picture that lies beside it or in a folder
// below it relative to its own folder ("textures/bark.jpg"), so that the
// folder can be moved or handed on whole; pictures elsewhere keep their
// absolute names. Reading makes relative names absolute again, against the
// document's folder; absolute names stay as they are.
#pragma once

#include <string>
#include <vector>

#include "tree/tree.h"

namespace vh {

// The picture names of `params` as a document in `folder` stores them:
// the names of pictures within `folder` (beside or below it) relative to
// it, with '/' between folders; other names unchanged.
TreeParameters WithPicturesRelativeTo(TreeParameters params, const std::string& folder);

// Makes the relative picture names of `params` absolute against `folder`
// (made absolute itself first). Empty and absolute names stay.
void ResolvePictureNames(TreeParameters& params, const std::string& folder);

// The pictures `params` names that exist as files outside `folder`, each
// once, bark first.
std::vector<std::string> PicturesOutside(const TreeParameters& params, const std::string& folder);

// Copies every picture of PicturesOutside into `folder` and names the copies
// in `params` (absolute). A file of that name already in `folder` is used
// when it holds the same bytes; otherwise the copy takes a free numbered
// name ("bark-2.jpg"). Throws FileError naming the file when a copy fails;
// `params` then names the pictures copied so far.
void CopyPicturesInto(TreeParameters& params, const std::string& folder);

}  // namespace vh
