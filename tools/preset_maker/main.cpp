// preset_maker: writes the species presets into a folder (the repository's
// presets/ by hand): for each species its document NAME.vhm and the two
// pictures it names, NAME-leaf.jpg and NAME-bark.jpg, painted here.
//
//   preset_maker FOLDER
#include <cstdio>
#include <exception>
#include <filesystem>

#include "fileio/document.h"
#include "imaging/picture_io.h"
#include "species.h"

namespace {
constexpr int kLeafPictureSize = 256;
constexpr int kBarkPictureSize = 256;
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: preset_maker FOLDER\n");
    return 2;
  }
  const std::filesystem::path folder(argv[1]);
  try {
    for (const Species& species : AllSpecies()) {
      const PlacedLeaf leaf = PlaceLeaf(species.leaf, kLeafPictureSize);
      vh::TreeParameters params = species.params;
      params.leafOutline = leaf.outline;
      params.leafTexCoords = leaf.texCoords;
      params.leafTexTranslateX = leaf.translateX;
      params.leafTexTranslateY = leaf.translateY;
      params.leafTexRotate = 0;
      params.leafTexScale = leaf.scale;
      params.leafTextureFile = species.name + "-leaf.jpg";
      params.barkTextureFile = species.name + "-bark.jpg";
      params.leafTextureLoaded = true;
      params.barkTextureLoaded = true;
      params.uScale = species.uScale;
      params.vScale = species.vScale;
      vh::SavePicture((folder / params.leafTextureFile).string(),
                      PaintLeaf(species.leafStyle, leaf, kLeafPictureSize));
      vh::SavePicture((folder / params.barkTextureFile).string(), PaintBark(species.bark, kBarkPictureSize));
      vh::SaveDocument(params, (folder / (species.name + ".vhm")).string());
      std::printf("%s\n", species.name.c_str());
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "preset_maker: %s\n", error.what());
    return 1;
  }
  return 0;
}
