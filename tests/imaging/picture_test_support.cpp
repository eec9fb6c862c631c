#include "picture_test_support.h"

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>

namespace vh::test {

PictureScratchDir::PictureScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vh-imaging-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a scratch directory");
  m_path = pattern;
}

PictureScratchDir::~PictureScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(m_path, ignored);
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Image PatternImage(int width, int height, int channels) {
  Image image(width, height, channels);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = image.At(x, y);
      for (int c = 0; c < channels; ++c) p[c] = static_cast<std::uint8_t>(x * 7 + y * 31 + c * 85 + x * y);
    }
  }
  return image;
}

namespace {

void Put16(std::vector<std::uint8_t>& out, std::size_t at, unsigned value) {
  out[at] = static_cast<std::uint8_t>(value);
  out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

std::vector<std::uint8_t> HandBuiltBmp(const Image& image, BmpLayout layout, bool topDown) {
  const int bits = layout == BmpLayout::Palette8 ? 8 : layout == BmpLayout::Rgb24 ? 24 : 32;
  // The palette: every distinct colour, in order of first appearance.
  std::map<std::uint32_t, int> index;
  std::vector<std::uint32_t> palette;
  if (layout == BmpLayout::Palette8) {
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        const std::uint8_t* p = image.At(x, y);
        const std::uint32_t colour = (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
        if (index.emplace(colour, static_cast<int>(palette.size())).second) palette.push_back(colour);
      }
    }
    if (palette.size() > 256) throw std::invalid_argument("too many colours for an 8-bit BMP");
  }
  const std::size_t rowBytes = (static_cast<std::size_t>(image.width) * bits / 8 + 3) / 4 * 4;
  const std::size_t headers = 14 + 40 + palette.size() * 4;
  std::vector<std::uint8_t> out(headers + rowBytes * static_cast<std::size_t>(image.height), 0);
  out[0] = 'B';
  out[1] = 'M';
  Put32(out, 2, static_cast<std::uint32_t>(out.size()));
  Put32(out, 10, static_cast<std::uint32_t>(headers));
  Put32(out, 14, 40);
  Put32(out, 18, static_cast<std::uint32_t>(image.width));
  Put32(out, 22, static_cast<std::uint32_t>(topDown ? -image.height : image.height));
  Put16(out, 26, 1);
  Put16(out, 28, static_cast<unsigned>(bits));
  Put32(out, 46, static_cast<std::uint32_t>(palette.size()));
  for (std::size_t i = 0; i < palette.size(); ++i)
    Put32(out, 54 + 4 * i, palette[i]);  // B, G, R, 0 in the file
  for (int y = 0; y < image.height; ++y) {
    const int fileRow = topDown ? y : image.height - 1 - y;
    std::uint8_t* row = out.data() + headers + rowBytes * static_cast<std::size_t>(fileRow);
    for (int x = 0; x < image.width; ++x) {
      const std::uint8_t* p = image.At(x, y);
      if (layout == BmpLayout::Palette8) {
        row[x] = static_cast<std::uint8_t>(
            index.at((std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2]));
        continue;
      }
      std::uint8_t* q = row + static_cast<std::size_t>(x) * static_cast<std::size_t>(bits / 8);
      q[0] = p[2];
      q[1] = p[1];
      q[2] = p[0];
      if (bits == 32) q[3] = static_cast<std::uint8_t>((x * 37 + y) & 255);
    }
  }
  return out;
}

std::string Identify(const std::string& path, const std::string& format) {
  const std::string command = "identify -format '" + format + "' '" + path + "' 2>/dev/null";
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return "";
  std::string output;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  if (::pclose(pipe) != 0) return "";
  return output;
}

int MaxChannelDifference(const Image& a, const Image& b) {
  if (a.pixels.size() != b.pixels.size()) return 256;
  int worst = 0;
  for (std::size_t i = 0; i < a.pixels.size(); ++i)
    worst = std::max(worst, std::abs(a.pixels[i] - b.pixels[i]));
  return worst;
}

}  // namespace vh::test
