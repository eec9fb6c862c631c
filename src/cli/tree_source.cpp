#include "cli/tree_source.h"

#include <cstdint>
#include <cstdio>
#include <stdexcept>

#include "fileio/document.h"

namespace vh::cli {
void TreeSource::AddOptions(ArgumentParser& parser) {
  parser.Integer("--seed", INT32_MIN, INT32_MAX, [this](long long value) { seed = static_cast<int>(value); });
  parser.Text("--preset", &preset, "a name (see the presets command)");
}

void TreeSource::TakeDocument(const std::vector<std::string>& positional) {
  if (positional.size() > 1)
    throw std::invalid_argument("more than one document given: '" + positional[0] + "' and '" +
                                positional[1] + "'");
  if (!positional.empty()) document = positional.front();
}

Tree TreeSource::Grow(TreeParameters& params, DocumentPictures* pictures) const {
  params = ReadTreeSource(document, preset, TreeParameters());
  if (seed) params.seed = *seed;
  TreeParameters grown = params;
  if (pictures != nullptr) {
    *pictures = ReadDocumentPictures(params);
    for (const MissingPicture& missing : pictures->missing)
      std::fprintf(stderr, "warning: %s\n", Describe(missing).c_str());
    grown = WithoutMissingPictures(params, pictures->missing);
  }
  Tree tree = Generate(grown);
  if (tree.budgetExceeded)
    std::fprintf(stderr,
                 "warning: the tree is incomplete: generation stopped at its budget of %llu vertices\n",
                 static_cast<unsigned long long>(kDefaultVertexBudget));
  // Edits of branches this tree does not grow are kept in the document.
  if (!tree.unappliedEdits.empty())
    std::fprintf(stderr, "warning: %s\n", UnappliedEditsMessage(tree.unappliedEdits.size()).c_str());
  return tree;
}

}  // namespace vh::cli
