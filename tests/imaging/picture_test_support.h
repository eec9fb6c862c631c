// Helpers of the picture tests: scratch directories, files, hand-built BMP
// files, pictures with known pixels and the third-party reader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundations/image.h"

namespace vh::test {

// A fresh directory for one test, removed with everything in it at the end.
class PictureScratchDir {
 public:
  PictureScratchDir();
  ~PictureScratchDir();
  PictureScratchDir(const PictureScratchDir&) = delete;
  PictureScratchDir& operator=(const PictureScratchDir&) = delete;
  std::string File(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

std::vector<std::uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

// A width x height picture whose every channel is a distinct function of
// x, y and the channel, so that any misplaced byte shows.
Image PatternImage(int width, int height, int channels = 3);

// Layouts of the hand-built BMP files.
enum class BmpLayout { Palette8, Rgb24, Bgra32 };

// A BMP file holding `image` (3 channels; for Bgra32 the alpha of pixel
// (x, y) is (x * 37 + y) & 255, for Palette8 the picture must have at most 256
// colours), bottom-up or top-down, built byte by byte independently of the
// program's own writer.
std::vector<std::uint8_t> HandBuiltBmp(const Image& image, BmpLayout layout, bool topDown);

// What ImageMagick's identify says about a file: "FORMAT WIDTH HEIGHT", or
// an empty string when identify is missing or fails.
std::string Identify(const std::string& path, const std::string& format = "%m %w %h");

// The largest difference between two same-sized pictures' channels.
int MaxChannelDifference(const Image& a, const Image& b);

}  // namespace vh::test
