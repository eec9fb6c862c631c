// The leaf and bark pictures of a document, read for an export, and the one
// rule for a picture that cannot be read: its material is grown and
// exported untextured, in its own colours, in every format, and the export
// says once which picture was missing. The command-line tool and the
// desktop program both follow it through these calls:
//
//   DocumentPictures pictures = ReadDocumentPictures(params);
//   for (const MissingPicture& m : pictures.missing) tell the user Describe(m);
//   Tree tree = Generate(WithoutMissingPictures(params, pictures.missing));
//   export `tree` with pictures.Pointers()
#pragma once

#include <string>
#include <vector>

#include "fileio/export_scene.h"
#include "foundations/image.h"
#include "tree/tree.h"

namespace vh {

// A picture a textured material needs that could not be read.
struct MissingPicture {
  std::string material;  // "leaf" or "bark"
  std::string file;      // the name the document gives (may be empty)
  std::string reason;    // why it could not be read, for a person
};

// One line for a person naming the picture and what the export does
// without it, e.g. "the bark picture '/trees/bark.jpg' is missing (cannot
// open ...): the bark is exported untextured, in its material colours".
std::string Describe(const MissingPicture& missing);

// The pictures of a document's textured materials.
struct DocumentPictures {
  Image leaf;                           // empty where the leaves are untextured or their picture is missing
  Image bark;                           // likewise for the branches
  std::vector<MissingPicture> missing;  // bark first, then leaf
  MaterialPictures Pointers() const { return {&leaf, &bark, nullptr, nullptr}; }
};

// Reads the pictures of the materials `params` marks textured (their
// "loaded" flags); a material not marked gets no picture and is never
// missing. A marked picture that cannot be read, or is not named, is
// listed in `missing` and left empty. Never throws for a picture.
DocumentPictures ReadDocumentPictures(const TreeParameters& params);

// `params` with the materials of `missing` untextured: the tree grown from
// them is the tree exported without those pictures, in its material
// colours. Growth draws the same random numbers either way, so the
// geometry is the same as with the pictures.
TreeParameters WithoutMissingPictures(TreeParameters params, const std::vector<MissingPicture>& missing);

}  // namespace vh
