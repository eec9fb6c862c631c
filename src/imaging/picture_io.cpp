#include "imaging/picture_io.h"

#include <cctype>

#include "imaging/bmp.h"
#include "imaging/jpeg.h"

namespace vh {

bool IsBmpFileName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
  std::string extension = path.substr(dot);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == ".bmp";
}

Image LoadPicture(const std::string& path) { return IsBmpFileName(path) ? ReadBMP(path) : ReadJPEG(path); }

void SavePicture(const std::string& path, const Image& image) {
  if (IsBmpFileName(path)) {
    WriteBMP(path, image);
  } else {
    WriteJPEG(path, image);
  }
}

}  // namespace vh
