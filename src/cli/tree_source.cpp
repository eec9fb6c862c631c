#include "cli/tree_source.h"

#include <cstdint>
#include <cstdio>
#include <stdexcept>

#include "fileio/document.h"
#include "imaging/picture_io.h"

namespace vh::cli {
namespace {

Image LoadNamedPicture(const std::string& file, bool required, const char* what) {
  if (file.empty()) return Image();  // no picture
  try {
    return LoadPicture(file);
  } catch (const std::exception& error) {
    if (required) throw;
    std::fprintf(stderr, "warning: the %s texture is not used: %s\n", what, error.what());
    return Image();
  }
}

}  // namespace

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

Tree TreeSource::Grow(TreeParameters& params) const {
  params = ReadTreeSource(document, preset, TreeParameters());
  if (seed) params.seed = *seed;
  Tree tree = Generate(params);
  if (tree.budgetExceeded)
    std::fprintf(stderr,
                 "warning: the tree is incomplete: generation stopped at its budget of %llu vertices\n",
                 static_cast<unsigned long long>(kDefaultVertexBudget));
  return tree;
}

DocumentPictures LoadDocumentPictures(const TreeParameters& params, bool requireTextured) {
  DocumentPictures pictures;
  pictures.leaf =
      LoadNamedPicture(params.leafTextureFile, requireTextured && params.leafTextureLoaded, "leaf");
  pictures.bark =
      LoadNamedPicture(params.barkTextureFile, requireTextured && params.barkTextureLoaded, "bark");
  return pictures;
}

}  // namespace vh::cli
