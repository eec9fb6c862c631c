// Where a command's tree comes from: a document (or the default tree) and
// an optional seed, grown once; and the pictures the document names.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "fileio/export_scene.h"
#include "foundations/image.h"
#include "tree/tree.h"

namespace vh::cli {

struct TreeSource {
  std::string document;     // empty: a new default tree
  std::string preset;       // an installed species preset instead of a document
  std::optional<int> seed;  // replaces the document's seed

  // Declares --seed and --preset on `parser`.
  void AddOptions(ArgumentParser& parser);
  // Takes the document from the positional arguments (at most one).
  void TakeDocument(const std::vector<std::string>& positional);
  // Reads the document into `params`, applies the seed and grows the tree;
  // warns on stderr when the tree stopped at its geometry budget.
  Tree Grow(TreeParameters& params) const;
};

// The parameters of the tree a command grows: the document `document`, the
// installed preset `preset`, or `base` (a new tree) when both are empty.
// Throws std::invalid_argument when both are given, FileError for an
// unknown preset or a document that cannot be opened, DocumentError for
// one that cannot be read. (cli_presets.cpp)
TreeParameters ReadTreeSource(const std::string& document, const std::string& preset,
                              const TreeParameters& base);

// The leaf and bark pictures a document names.
struct DocumentPictures {
  Image leaf;
  Image bark;
  MaterialPictures Pointers() const { return {&leaf, &bark, nullptr, nullptr}; }
};

// Reads the pictures `params` names. A picture that cannot be read throws
// its PictureError when `requireTextured` is set and its material is
// textured (its "loaded" flag is set); otherwise it is reported as a
// warning on stderr and left empty.
DocumentPictures LoadDocumentPictures(const TreeParameters& params, bool requireTextured);

}  // namespace vh::cli
