#include "fileio/missing_pictures.h"

#include <exception>
#include <string>

#include "imaging/picture_io.h"

namespace vh {
namespace {

// Reads `file` into `picture`, noting it in `missing` when it cannot be
// read, or when the material is `textured` and no picture is named.
void ReadMaterialPicture(bool textured, const std::string& file, const char* material, Image& picture,
                         std::vector<MissingPicture>& missing) {
  if (file.empty()) {
    if (textured) missing.push_back({material, file, "no picture is named"});
    return;
  }
  try {
    picture = LoadPicture(file);
  } catch (const std::exception& error) {
    // The reader's message starts with the file's name, which the
    // description gives already.
    std::string reason = error.what();
    if (reason.rfind(file + ": ", 0) == 0) reason.erase(0, file.size() + 2);
    missing.push_back({material, file, reason});
  }
}

}  // namespace

std::string Describe(const MissingPicture& missing) {
  const std::string named = missing.file.empty() ? "" : " '" + missing.file + "'";
  const std::string exported = missing.material == "leaf" ? "leaves are" : missing.material + " is";
  return "the " + missing.material + " picture" + named + " is missing (" + missing.reason + "): the " +
         exported + " exported untextured, in the material colours";
}

DocumentPictures ReadDocumentPictures(const TreeParameters& params) {
  DocumentPictures pictures;
  ReadMaterialPicture(params.barkTextureLoaded, params.barkTextureFile, "bark", pictures.bark,
                      pictures.missing);
  ReadMaterialPicture(params.leafTextureLoaded, params.leafTextureFile, "leaf", pictures.leaf,
                      pictures.missing);
  return pictures;
}

TreeParameters WithoutMissingPictures(TreeParameters params, const std::vector<MissingPicture>& missing) {
  for (const MissingPicture& m : missing) {
    if (m.material == "bark") params.barkTextureLoaded = false;
    if (m.material == "leaf") params.leafTextureLoaded = false;
  }
  return params;
}

}  // namespace vh
