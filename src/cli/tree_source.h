// Where a command's tree comes from: a document (or the default tree) and
// an optional seed, grown once; and the pictures the document names.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "fileio/missing_pictures.h"
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
  // warns on stderr when the tree stopped at its geometry budget or when
  // hand edits name branches the tree does not grow. With
  // `pictures`, reads the document's pictures into it first, and a material
  // whose picture is missing is said so on stderr (once) and grown
  // untextured in its material colours (see ReadDocumentPictures).
  Tree Grow(TreeParameters& params, DocumentPictures* pictures = nullptr) const;
};

// The parameters of the tree a command grows: the document `document`, the
// installed preset `preset`, or `base` (a new tree) when both are empty.
// Throws std::invalid_argument when both are given, FileError for an
// unknown preset or a document that cannot be opened, DocumentError for
// one that cannot be read. (cli_presets.cpp)
TreeParameters ReadTreeSource(const std::string& document, const std::string& preset,
                              const TreeParameters& base);

}  // namespace vh::cli
